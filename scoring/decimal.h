// Exact conversions between decimal texts and doubles in plain C++, for standard libraries
// whose <charconv> has none for double (emscripten's libc++). They use no locale and no
// floating-point arithmetic that could round, so they give the same results everywhere.
#pragma once

#include <string>
#include <string_view>
#include <version>

// numbers.cpp converts with <charconv> where the standard library offers it for double,
// and with the functions below elsewhere or when the build defines
// PELMORA_PORTABLE_DECIMAL; the tests hold the two against each other.
#if defined(__cpp_lib_to_chars) && !defined(PELMORA_PORTABLE_DECIMAL)
#define PELMORA_STD_CHARCONV 1
#endif

namespace pelmora::decimal {

// The double nearest to an unsigned decimal: digits with an optional decimal point (at
// least one digit), then an optional exponent ([eE] [+-]? digits); ties go to the even
// neighbour. Infinity when that lies beyond the largest double, 0 when the value is
// nearer 0 than to the smallest denormal.
double parse(std::string_view text);

// A finite, nonzero value as printf's "%.15g" writes it in the C locale, rounded from its
// exact decimal expansion (an exact half to even): "0.3" for 0.1 + 0.2, "1.2e+20",
// "1e-05".
std::string format(double value);

} // namespace pelmora::decimal
