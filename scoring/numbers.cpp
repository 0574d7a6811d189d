#include "numbers.h"

#include <cmath>
#include <cstdint>
#include <version>

// <charconv> converts doubles exactly and without a locale wherever the standard library
// has it for double. Emscripten's libc++ has not; there the C library's strtod (correctly
// rounded) and "%.15g" (rounded from the exact value, a half to even) do the same, since
// its locale is always "C". A standard library with neither would not build.
#if defined(__cpp_lib_to_chars)
#define PELMORA_STD_CHARCONV 1
#include <charconv>
#include <system_error>
#elif defined(__EMSCRIPTEN__)
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#else
#error "no exact conversion of doubles: <charconv> lacks them and the locale may not be C"
#endif

namespace pelmora {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The extent of a decimal number at the start of a text:
// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
struct Scanned {
    std::size_t length = 0; // 0: no number
    bool negative = false;
    std::size_t signLength = 0;
    long long magnitude = 0; // decimal exponent of the leading digit, saturated
};

Scanned scanNumber(std::string_view s) {
    Scanned out;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        out.negative = s[i] == '-';
        ++i;
    }
    out.signLength = i;
    std::size_t intDigits = 0;
    std::size_t significantInt = 0; // integer digits after leading zeros
    for (; i < s.size() && isDigit(s[i]); ++i, ++intDigits) {
        if (significantInt > 0 || s[i] != '0')
            ++significantInt;
    }
    std::size_t fracDigits = 0;
    long long fracZeros = 0; // zeros before the first significant fraction digit
    bool seenSignificant = significantInt > 0;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        for (; j < s.size() && isDigit(s[j]); ++j, ++fracDigits) {
            if (!seenSignificant) {
                if (s[j] == '0')
                    ++fracZeros;
                else
                    seenSignificant = true;
            }
        }
        if (intDigits > 0 || fracDigits > 0)
            i = j;
    }
    if (intDigits == 0 && fracDigits == 0)
        return {};
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            negativeExponent = s[j] == '-';
            ++j;
        }
        std::size_t expStart = j;
        for (; j < s.size() && isDigit(s[j]); ++j) {
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (s[j] - '0');
        }
        if (j > expStart) {
            i = j;
            if (negativeExponent)
                exponent = -exponent;
        }
    }
    out.length = i;
    out.magnitude =
        (significantInt > 0 ? static_cast<long long>(significantInt) : -fracZeros) + exponent;
    return out;
}

// Converts a scanned number; nullopt when it overflows a double.
std::optional<double> convert(std::string_view s, const Scanned& scanned) {
    const char* first = s.data() + scanned.signLength;
    const char* last = s.data() + scanned.length;
#ifdef PELMORA_STD_CHARCONV
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (scanned.magnitude > 0)
            return std::nullopt;
        value = 0; // too small to represent
    } else if (ec != std::errc{} || ptr != last) {
        return std::nullopt; // cannot happen for a scanned number; never trust it blindly
    }
#else
    const std::string digits(first, last); // strtod reads up to a NUL
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(digits.c_str(), &end);
    if (errno == ERANGE && value == HUGE_VAL)
        return std::nullopt;
    if (end != digits.c_str() + digits.size())
        return std::nullopt; // cannot happen for a scanned number
        // ERANGE with any other value is an underflow: 0, or the subnormal strtod rounded to.
#endif
    if (scanned.negative)
        value = -value;
    return value == 0 ? 0.0 : value; // no negative zero
}

} // namespace

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    text.remove_prefix(i);
    Scanned scanned = scanNumber(text);
    if (scanned.length == 0)
        return 0;
    return convert(text, scanned).value_or(0.0);
}

std::optional<double> strictNumber(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    Scanned scanned = scanNumber(text);
    if (scanned.length == 0 || scanned.length != text.size())
        return std::nullopt;
    return convert(text, scanned);
}

double roundHalfEven(double value) {
    double rounded = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    return rounded == 0 ? 0.0 : rounded;
}

std::string shortestDecimal(double value) {
    if (!std::isfinite(value) || value == 0)
        return "0";
#ifdef PELMORA_STD_CHARCONV
    char buffer[64];
    auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc{})
        return "0";
    return std::string(buffer, ptr);
#else
    char buffer[32]; // "-d.dddddddddddddde-308" and a NUL
    const int length = std::snprintf(buffer, sizeof buffer, "%.15g", value);
    if (length <= 0 || std::size_t(length) >= sizeof buffer)
        return "0";
    return std::string(buffer, std::size_t(length));
#endif
}

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

std::string sanitizedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char b = s[i];
        std::size_t length = 0;
        std::uint32_t minimum = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            length = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2;
            cp = b & 0x1F;
            minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            cp = b & 0x0F;
            minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            cp = b & 0x07;
            minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (valid && length > 1 &&
            (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out.append("\xEF\xBF\xBD");
            ++i;
        }
    }
    return out;
}

} // namespace pelmora
