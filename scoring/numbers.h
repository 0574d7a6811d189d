// Conversions between texts and numbers. None depends on the process locale: "." is
// always the decimal point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The decimal number a text begins with, after leading spaces and tabs; 0 when there is
// none ("12abc" reads 12, "" and "abc" read 0). A number too large for a double reads 0,
// so no sum can become infinite.
double leadingNumber(std::string_view text);

// The whole text as a decimal number: optional sign, digits with an optional decimal
// point, optional exponent; spaces and tabs around it are allowed. Nothing else is a
// number: no "inf", "nan", hexadecimal, thousands separator or full-width digit.
// A value beyond a double's range gives nullopt; one too small to represent gives 0.
std::optional<double> strictNumber(std::string_view text);

// Rounds to the nearest whole number, an exact half to the even neighbour (12.5 -> 12).
double roundHalfEven(double value);

// The whole-number rule: strictNumber, then roundHalfEven; nullopt unless the text is a
// number whose rounded value fits a signed 32-bit integer.
std::optional<int> wholeNumber(std::string_view text);

// At most 15 significant digits, no trailing zeros or trailing point, "-" for negatives,
// no separators ("0", "12.5", "-20", "0.3" for 0.1 + 0.2). Values of 1e15 and above, or
// below 1e-4, take an exponent ("1.2e+20"), which both readers above accept.
std::string shortestDecimal(double value);

// Valid UTF-8, each byte that starts no valid sequence replaced by U+FFFD.
std::string sanitizedUtf8(std::string_view text);

// A code point as UTF-8 (the views' UTF-16 and the tests' characters, turned into the
// sheet's texts).
std::string utf8(char32_t c);

} // namespace pelmora
