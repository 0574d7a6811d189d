#include "scoring/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace pelmora;

namespace {

struct TextCase {
    std::string text;
    double expected;
};

TEST(LeadingNumber, ReadsTheNumberATextBeginsWith) {
    const TextCase cases[] = {
        {"", 0},        {"abc", 0},    {"12abc", 12},  {"  42", 42},          {"\t7", 7},
        {"-15", -15},   {"+5", 5},     {"12.5", 12.5}, {".5", 0.5},           {"5.", 5},
        {"1e3x", 1000}, {"12e", 12},   {"12e+", 12},   {"1.2.3", 1.2},        {"-", 0},
        {"1e309", 0},   {"1e-400", 0}, {"-0", 0},      {"0012", 12},          {"１２", 0},
        {"inf", 0},     {"nan", 0},    {"0x10", 0},    {"2.5e+299", 2.5e299},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(StrictNumber, AcceptsOnlyWholeNumbers) {
    const TextCase numbers[] = {
        {"0", 0},       {"42", 42},
        {"-20", -20},   {"+5", 5},
        {"12.5", 12.5}, {".5", 0.5},
        {"5.", 5},      {"1e3", 1000},
        {"1E-2", 0.01}, {" 36 ", 36},
        {"0012", 12},   {"1e-400", 0},
        {"-0", 0},      {"2147483648", 2147483648.0},
    };
    for (const auto& c : numbers) {
        auto value = strictNumber(c.text);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*value, c.expected) << '"' << c.text << '"';
        EXPECT_FALSE(std::signbit(*value) && *value == 0) << "negative zero from " << c.text;
    }
    const std::string notNumbers[] = {"",
                                      " ",
                                      "abc",
                                      "12abc",
                                      "1e",
                                      "1e309",
                                      "-1e309",
                                      "inf",
                                      "nan",
                                      "-",
                                      ".",
                                      "1,000",
                                      "１２",
                                      "0x10",
                                      "1 2",
                                      "--1",
                                      "e5",
                                      "1.2.3",
                                      std::string("1\0", 2)};
    for (const auto& text : notNumbers)
        EXPECT_FALSE(strictNumber(text).has_value()) << '"' << text << '"';
}

TEST(StrictNumber, LongInputsNeitherCrashNorOverflow) {
    EXPECT_EQ(strictNumber(std::string(100000, '9')), std::nullopt);
    EXPECT_EQ(strictNumber("0." + std::string(100000, '0') + "1"), 0.0);
    EXPECT_EQ(leadingNumber(std::string(100000, '1') + "x"), 0.0);
    EXPECT_EQ(strictNumber("1e99999999999999999999"), std::nullopt);
    EXPECT_EQ(strictNumber("1e-99999999999999999999"), 0.0);
}

TEST(RoundHalfEven, SendsExactHalvesToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {12.5, 12}, {13.5, 14}, {0.5, 0},   {1.5, 2},     {2.5, 2},       {-2.5, -2},
        {23.5, 24}, {12.4, 12}, {12.6, 13}, {-12.6, -13}, {1e300, 1e300}, {3.6, 4},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(ShortestDecimal, WritesAtMostFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {60, "60"},
        {-15, "-15"},
        {-20, "-20"},
        {12.5, "12.5"},
        {0.1 + 0.2, "0.3"},
        {0.3 * 12, "3.6"},
        {1.5 * 12, "18"},
        {100, "100"},
        {750000000, "750000000"},
        {123456789012345, "123456789012345"},
        {1e15, "1e+15"},
        {2.5e299, "2.5e+299"},
        {1.0 / 3, "0.333333333333333"},
        {std::numeric_limits<double>::infinity(), "0"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(shortestDecimal(value), text) << value;
}

// Puts the C library's locale back however the test ends.
class LocaleGuard {
  public:
    LocaleGuard() : m_saved(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleGuard() { std::setlocale(LC_ALL, m_saved.c_str()); }

  private:
    std::string m_saved;
};

TEST(Conversions, IgnoreTheProcessLocale) {
    LocaleGuard guard;
    // The names the C library knows: glibc's, then Windows' C runtime's.
    const char* const commaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252",
                                        "de-DE"};
    if (std::ranges::none_of(commaLocales,
                             [](const char* name) { return std::setlocale(LC_ALL, name); }))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(shortestDecimal(12.5), "12.5");
    EXPECT_EQ(strictNumber("12.5"), 12.5);
    EXPECT_EQ(strictNumber("12,5"), std::nullopt);
    EXPECT_EQ(leadingNumber("12,5"), 12);
}

TEST(Utf8, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(sanitizedUtf8("年龄42"), "年龄42");
    EXPECT_EQ(sanitizedUtf8("a\xFF"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(sanitizedUtf8("\xE5\xB9"), "\xEF\xBF\xBD\xEF\xBF\xBD");                 // cut short
    EXPECT_EQ(sanitizedUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");                 // overlong
    EXPECT_EQ(sanitizedUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // surrogate
    EXPECT_EQ(sanitizedUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");                 // emoji
}

} // namespace
