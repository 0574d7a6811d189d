#include "decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace pelmora::decimal {
namespace {

// A natural number of any size, for the exact arithmetic the conversions need; the
// largest, 10^1125 shifted by about 1100 bits, has some 230 limbs.
class Natural {
  public:
    explicit Natural(std::uint64_t value = 0) {
        for (; value != 0; value >>= 32)
            m_limbs.push_back(static_cast<std::uint32_t>(value));
    }

    bool isZero() const { return m_limbs.empty(); }

    // *this = *this * factor + addend
    void multiplyAdd(std::uint32_t factor, std::uint32_t addend = 0) {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : m_limbs) {
            carry += std::uint64_t(limb) * factor;
            limb = std::uint32_t(carry);
            carry >>= 32;
        }
        if (carry != 0)
            m_limbs.push_back(std::uint32_t(carry));
    }

    void multiplyByPowerOf5(long long exponent) {
        constexpr std::uint32_t k5To13 = 1'220'703'125; // the largest power of 5 in 32 bits
        for (; exponent >= 13; exponent -= 13)
            multiplyAdd(k5To13);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent)
            rest *= 5;
        multiplyAdd(rest);
    }

    void shiftLeft(long long bits) {
        if (isZero() || bits <= 0)
            return;
        const std::size_t whole = std::size_t(bits / 32);
        const int part = int(bits % 32);
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : m_limbs) {
                const std::uint32_t next = limb >> (32 - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry != 0)
                m_limbs.push_back(carry);
        }
        m_limbs.insert(m_limbs.begin(), whole, 0);
    }

    void shiftRightOne() {
        std::uint32_t carry = 0;
        for (std::size_t i = m_limbs.size(); i-- > 0;) {
            const std::uint32_t next = m_limbs[i] << 31;
            m_limbs[i] = (m_limbs[i] >> 1) | carry;
            carry = next;
        }
        trim();
    }

    long long bitLength() const {
        if (isZero())
            return 0;
        long long bits = 32 * (long long)(m_limbs.size() - 1);
        for (std::uint32_t top = m_limbs.back(); top != 0; top >>= 1)
            ++bits;
        return bits;
    }

    friend int compare(const Natural& a, const Natural& b) {
        if (a.m_limbs.size() != b.m_limbs.size())
            return a.m_limbs.size() < b.m_limbs.size() ? -1 : 1;
        for (std::size_t i = a.m_limbs.size(); i-- > 0;) {
            if (a.m_limbs[i] != b.m_limbs[i])
                return a.m_limbs[i] < b.m_limbs[i] ? -1 : 1;
        }
        return 0;
    }

    // *this -= other, which must not be larger.
    void subtract(const Natural& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < m_limbs.size(); ++i) {
            std::int64_t d = std::int64_t(m_limbs[i]) - borrow -
                             (i < other.m_limbs.size() ? std::int64_t(other.m_limbs[i]) : 0);
            borrow = d < 0;
            m_limbs[i] = std::uint32_t(d + (borrow << 32));
        }
        trim();
    }

    // *this /= divisor; returns the remainder.
    std::uint32_t divide(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (std::size_t i = m_limbs.size(); i-- > 0;) {
            const std::uint64_t current = (remainder << 32) | m_limbs[i];
            m_limbs[i] = std::uint32_t(current / divisor);
            remainder = current % divisor;
        }
        trim();
        return std::uint32_t(remainder);
    }

  private:
    void trim() {
        while (!m_limbs.empty() && m_limbs.back() == 0)
            m_limbs.pop_back();
    }

    std::vector<std::uint32_t> m_limbs; // least significant first
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The exact decimal digits of a natural number, most significant first.
std::string digitsOf(Natural n) {
    std::string reversed;
    while (!n.isZero()) {
        std::uint32_t chunk = n.divide(1'000'000'000);
        for (int k = 0; k < 9; ++k, chunk /= 10)
            reversed += char('0' + chunk % 10);
    }
    while (reversed.size() > 1 && reversed.back() == '0')
        reversed.pop_back();
    return {reversed.rbegin(), reversed.rend()};
}

} // namespace

double parse(std::string_view text) {
    // Every midpoint between two doubles has at most 767 significant digits, so the first
    // 800 and whether any later one is nonzero decide the rounding.
    constexpr std::size_t kKeptDigits = 800;
    std::string digits;     // the significant ones, without leading zeros
    long long exponent = 0; // value = digits * 10^exponent
    bool droppedNonzero = false;
    bool afterPoint = false;
    std::size_t i = 0;
    for (; i < text.size() && (isDigit(text[i]) || (text[i] == '.' && !afterPoint)); ++i) {
        const char c = text[i];
        if (c == '.') {
            afterPoint = true;
        } else if (digits.empty() && c == '0') { // a leading zero
            if (afterPoint)
                --exponent;
        } else if (digits.size() < kKeptDigits) {
            digits += c;
            if (afterPoint)
                --exponent;
        } else {
            droppedNonzero = droppedNonzero || c != '0';
            if (!afterPoint)
                ++exponent;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        long long written = 0; // saturates far beyond any double's exponent
        for (; i < text.size() && isDigit(text[i]); ++i) {
            if (written < 1'000'000'000)
                written = written * 10 + (text[i] - '0');
        }
        exponent += negative ? -written : written;
    }
    if (digits.empty())
        return 0;
    if (droppedNonzero) { // stands for the dropped digits: above the kept ones, below the next
        digits += '1';
        --exponent;
    }
    const long long leading = static_cast<long long>(digits.size()) - 1 + exponent;
    if (leading > 308) // at least 1e309
        return HUGE_VAL;
    if (leading < -325) // below 1e-324, less than half the smallest denormal
        return 0;

    // value = numerator / denominator exactly.
    Natural numerator;
    for (std::size_t k = 0; k < digits.size(); k += 9) {
        const std::size_t n = std::min<std::size_t>(9, digits.size() - k);
        std::uint32_t chunk = 0;
        std::uint32_t scale = 1;
        for (std::size_t j = 0; j < n; ++j) {
            chunk = chunk * 10 + std::uint32_t(digits[k + j] - '0');
            scale *= 10;
        }
        numerator.multiplyAdd(scale, chunk);
    }
    Natural denominator(1);
    if (exponent >= 0) {
        numerator.multiplyByPowerOf5(exponent);
        numerator.shiftLeft(exponent);
    } else {
        denominator.multiplyByPowerOf5(-exponent);
        denominator.shiftLeft(-exponent);
    }

    // binary = floor(log2(value)).
    long long binary = numerator.bitLength() - denominator.bitLength();
    {
        Natural a = numerator;
        Natural b = denominator;
        if (binary >= 0)
            b.shiftLeft(binary);
        else
            a.shiftLeft(-binary);
        if (compare(a, b) < 0)
            --binary;
    }
    if (binary > 1023)
        return HUGE_VAL;
    // The result is quotient * 2^-shift: 53 bits for a normal double, fewer for a denormal.
    const long long shift = binary >= -1022 ? 52 - binary : 1074;
    if (shift >= 0)
        numerator.shiftLeft(shift);
    else
        denominator.shiftLeft(-shift);
    // Long division, a bit at a time; the quotient is below 2^53.
    std::uint64_t quotient = 0;
    Natural step = denominator;
    step.shiftLeft(52);
    for (int bit = 52; bit >= 0; --bit) {
        if (compare(numerator, step) >= 0) {
            numerator.subtract(step);
            quotient |= std::uint64_t(1) << bit;
        }
        step.shiftRightOne();
    }
    numerator.shiftLeft(1); // twice the remainder, against the divisor: above, at or below half
    const int half = compare(numerator, denominator);
    if (half > 0 || (half == 0 && (quotient & 1) != 0))
        ++quotient; // may reach 2^53, which ldexp carries into the next power of two
    return std::ldexp(static_cast<double>(quotient), static_cast<int>(-shift));
}

std::string format(double value) {
    const bool negative = std::signbit(value);
    int binary = 0;
    const double fraction = std::frexp(std::fabs(value), &binary);
    // value = significand * 2^binary exactly.
    auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    binary -= 53;
    while (binary < 0 && significand % 2 == 0) {
        significand /= 2;
        ++binary;
    }

    // value = digits * 10^(exponent of the first digit - digits.size() + 1), exactly.
    Natural n(significand);
    long long exponent = 0; // of the first digit
    if (binary >= 0) {
        n.shiftLeft(binary);
    } else {
        n.multiplyByPowerOf5(-binary); // value = n / 10^-binary
        exponent = binary;
    }
    std::string digits = digitsOf(n);
    exponent += static_cast<long long>(digits.size()) - 1;

    constexpr std::size_t kPrecision = 15;
    if (digits.size() > kPrecision) {
        const char next = digits[kPrecision];
        const bool above =
            next > '5' ||
            (next == '5' && digits.find_first_not_of('0', kPrecision + 1) != std::string::npos);
        const bool tie = next == '5' && !above;
        const bool up = above || (tie && (digits[kPrecision - 1] - '0') % 2 != 0);
        digits.resize(kPrecision);
        if (up) {
            std::size_t k = kPrecision;
            while (k > 0 && digits[k - 1] == '9')
                digits[--k] = '0';
            if (k == 0) { // 999... became 1000...
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++exponent;
            } else {
                ++digits[k - 1];
            }
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= static_cast<long long>(kPrecision)) {
        out += digits[0];
        if (digits.size() > 1)
            out.append(".").append(digits, 1);
        out += exponent < 0 ? "e-" : "e+";
        const long long magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            out.append(digits).append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole).append(".").append(digits, whole);
        }
    }
    return out;
}

} // namespace pelmora::decimal
