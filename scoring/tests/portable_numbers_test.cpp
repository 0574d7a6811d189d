// The number conversions the library was built with, held against the same code built on
// decimal.h's own conversions (numbers_portable in scoring/CMakeLists.txt), which builds
// without <charconv> for double: each text must read, and each value write, the same.
#include "scoring/decimal.h"
#include "scoring/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>

#ifdef PELMORA_STD_CHARCONV
#include <charconv>
#endif

namespace pelmora_portable {
double leadingNumber(std::string_view text);
std::optional<double> strictNumber(std::string_view text);
std::string shortestDecimal(double value);
} // namespace pelmora_portable

namespace {

#ifdef PELMORA_STD_CHARCONV

namespace portable = pelmora_portable;

std::string shown(std::string_view text) {
    if (text.size() > 60)
        return std::string(text.substr(0, 60)) + "...(" + std::to_string(text.size()) + ")";
    return std::string(text);
}

std::string shown(std::optional<double> value) {
    if (!value)
        return "nullopt";
    std::ostringstream out;
    out << std::hexfloat << *value;
    return out.str();
}

// Runs both paths on texts and values, keeping a few of the differences to show. Values
// compare bit for bit, so that a negative zero on one side counts too.
class Comparison {
  public:
    void read(std::string_view text) {
        const auto strict = pelmora::strictNumber(text);
        const auto other = portable::strictNumber(text);
        if (strict.has_value() != other.has_value() || (strict && bits(*strict) != bits(*other)))
            differ("strictNumber(\"" + shown(text) + "\"): " + shown(strict) + " vs " +
                   shown(other));
        const double leading = pelmora::leadingNumber(text);
        const double otherLeading = portable::leadingNumber(text);
        if (bits(leading) != bits(otherLeading))
            differ("leadingNumber(\"" + shown(text) + "\"): " + shown(leading) + " vs " +
                   shown(otherLeading));
        m_read.insert(bits(leading));
        if (strict) {
            ++m_numbers;
            m_read.insert(bits(*strict));
        }
    }

    void write(double value) {
        ++m_writes;
        const std::string text = pelmora::shortestDecimal(value);
        const std::string other = portable::shortestDecimal(value);
        if (text != other)
            differ("shortestDecimal(" + shown(value) + "): " + text + " vs " + other);
    }

    // Writes each value read so far, and twelve times it as the unify boxes do; then
    // expects no difference at all.
    void finish() {
        for (std::uint64_t value : m_read) {
            write(std::bit_cast<double>(value));
            write(std::bit_cast<double>(value) * 12);
        }
        m_read.clear();
        EXPECT_EQ(m_differences, 0u) << m_examples;
    }

    std::size_t numbers() const { return m_numbers; }
    std::size_t writes() const { return m_writes; }

  private:
    static std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

    void differ(const std::string& what) {
        if (++m_differences <= 20)
            m_examples += what + "\n";
    }

    std::set<std::uint64_t> m_read;
    std::size_t m_differences = 0;
    std::size_t m_numbers = 0;
    std::size_t m_writes = 0;
    std::string m_examples;
};

// The exact decimal expansion of a finite double, with as many integer digits as the
// largest has, so that two line up digit for digit.
std::string exactFixed(double value) {
    char buffer[1500];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1074);
    EXPECT_EQ(ec, std::errc{});
    const std::string text(buffer, end);
    return std::string(309 - text.find('.'), '0') + text;
}

// The exact decimal halfway between a positive double and the next one up: the value
// that rounding must send to the one with the even significand.
std::string halfwayAbove(double value) {
    const std::string a = exactFixed(value);
    const std::string b = exactFixed(std::nextafter(value, HUGE_VAL));
    std::string sum(a.size(), '.');
    int carry = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] == '.')
            continue;
        const int digit = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i] = char('0' + digit % 10);
        carry = digit / 10;
    }
    std::string half;
    int rest = carry; // the sum is below 2 * 10^309: a carry out is its one extra digit
    for (char c : sum) {
        if (c == '.') {
            half += '.';
            continue;
        }
        const int current = rest * 10 + (c - '0');
        half += char('0' + current / 2);
        rest = current % 2;
    }
    if (rest)
        half += '5';
    return half;
}

TEST(PortableNumbers, ReadEdgeTextsAsTheStandardLibrary) {
    // 2^1024 - 2^970, halfway between the largest double and 2^1024.
    const std::string halfwayToInfinity =
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649"
        "017977587207096330286416692887910946555547851940402630657488671505820681908902000708383"
        "676273854845817711531764475730270069855571366959622842914819860834936475292719074168444"
        "365510704342711559699508093042880177904174497792";
    const std::string halfwayToDenormal = halfwayAbove(0.0);
    const std::string halfwayAboveNormal = halfwayAbove(std::numeric_limits<double>::min());
    const std::string texts[] = {
        "", " ", "0", "00", "-0", "+0", "0.0", "-0.0e-5", "0e99999999999", "+.5", "-.5", "5.", ".",
        "-", "+", "1e", "1e+", "1e-", "e5", ".e5", "-.e1", "1.e5", "1.5E+3", "0012.50",
        "000.000001", " 12 ", "\t-3.5\t", "12abc", "1.2.3", "1e5e5", "0x1p3", "1,5", "inf", "0.1",
        "0.2", "0.3", "0.30000000000000004", "999999999999999.5", "1e15", "1e-4",
        "9.99999999999999e14", "1e308", "1e309", "-1e309", "1e-324", "3e-324", "1e-400",
        "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "4.9e-324",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "2.2250738585072011e-308",
        "2.2250738585072012e-308", "2.2250738585072014e-308", "9007199254740993",
        "9007199254740995", "9007199254740993.000000000000000000000001", "1e99999999999999999999",
        "1e-99999999999999999999", "1e000000000000000000000000001",
        "123456789012345678901234567890", halfwayToInfinity, halfwayToInfinity + "1",
        halfwayToInfinity.substr(0, 300) + "e9", halfwayToDenormal, halfwayToDenormal + "1",
        halfwayToDenormal.substr(0, 700), halfwayAboveNormal, halfwayAboveNormal + "1",
        // A tie, and the same broken only by a digit past the first 800.
        "9007199254740993" + std::string(790, '0') + "e-790",
        "9007199254740993" + std::string(790, '0') + "1e-791", std::string(800, '1'),
        "1" + std::string(2000, '0') + "e-2000", "0." + std::string(320, '0') + "494065645841",
        std::string(400, '0') + "1.5", std::string(100000, '9'),
        "0." + std::string(100000, '0') + "1e100001"};
    Comparison both;
    for (const std::string& text : texts) {
        both.read(text);
        both.read("-" + text);
    }
    both.finish();
}

TEST(PortableNumbers, WriteEdgeValuesAsTheStandardLibrary) {
    using limits = std::numeric_limits<double>;
    const double values[] = {
        0.1 + 0.2, 0.3 * 12, 1e15, std::nextafter(1e15, 0), 1e-4, std::nextafter(1e-4, 0), 1e-5,
        9.99999999999999e14, 999999999999999.5, 999999999999998.5, 999999999999999.4,
        // Exactly halfway at the 15th digit, each way to the even neighbour.
        1234567890123455, 1234567890123445, 12345678901234.25, 12345678901234.75,
        0.000123456789012345, 1.2e20, 123456789012345678.0, 1.0 / 3, 2.0 / 3, 100, 1e100,
        limits::denorm_min(), limits::min(), std::nextafter(limits::min(), 0), limits::max(),
        limits::epsilon(), -0.0, limits::infinity(), limits::quiet_NaN()};
    Comparison both;
    for (double value : values) {
        both.write(value);
        both.write(-value);
    }
    both.finish();
}

// The texts in the fuzz corpus: its bytes as they are, and as the characters the fuzzer
// types; each distinct run of up to 48 signs, digits, points and exponent marks that could
// be a number (it starts with no exponent mark and ends in a digit or point) is read.
TEST(PortableNumbers, AgreeOnTextsFromTheFuzzCorpus) {
    static constexpr char kTyped[] = {'0', '1', '2', '3', '4', '5', '6', '7',  '8', '9',
                                      'X', 'x', '-', '+', '.', 'e', ' ', '\t', 'a', '\0'};
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    constexpr std::string_view kNumeric = "0123456789.+-eE";
    std::set<std::string> texts;
    Comparison both;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELMORA_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        std::string typed;
        for (unsigned char b : bytes)
            typed += kTyped[b % sizeof kTyped];
        ++files;
        for (std::string_view text : {std::string_view(bytes), std::string_view(typed)}) {
            for (std::size_t run = 0; run < text.size();) {
                const std::size_t end =
                    std::min(text.find_first_not_of(kNumeric, run), text.size());
                for (std::size_t start = run; start < end; ++start) {
                    for (std::size_t stop = start + 1; stop <= std::min(end, start + 48); ++stop) {
                        const char first = text[start];
                        const char last = text[stop - 1];
                        if (first != 'e' && first != 'E' && (isDigit(last) || last == '.'))
                            texts.emplace(text.substr(start, stop - start));
                    }
                }
                run = end + 1;
            }
        }
    }
    ASSERT_GT(files, 0u) << "no corpus in " << PELMORA_FUZZ_CORPUS;
    for (const std::string& text : texts)
        both.read(text);
    EXPECT_GT(both.numbers(), 10000u); // the texts reach the conversions
    both.finish();
}

TEST(PortableNumbers, AgreeOnRandomValuesAndTexts) {
    std::mt19937_64 random(20260101);
    Comparison both;
    for (int n = 0; n < 1000; ++n) {
        // Any finite double, written and its text read back.
        const double value = std::bit_cast<double>(random());
        if (std::isfinite(value)) {
            both.write(value);
            both.read(pelmora::shortestDecimal(value));
        }
        // 16-digit values, some with a fraction: a tenth are halfway at the 15th digit.
        const auto whole =
            static_cast<double>(random() % 8'000'000'000'000'000 + 1'000'000'000'000'000);
        both.write(std::ldexp(whole, -static_cast<int>(random() % 4)));
        // Short decimals at any exponent.
        both.read(std::to_string(random() % 100000) + "." + std::to_string(random() % 1000) + "e" +
                  std::to_string(static_cast<int>(random() % 700) - 350));
    }
    for (int n = 0; n < 50; ++n) {
        // Exact halfway points between neighbouring doubles, and just either side of them.
        const double value = std::abs(std::bit_cast<double>(random() >> 1));
        if (!std::isfinite(value) || value == std::numeric_limits<double>::max())
            continue;
        const std::string halfway = halfwayAbove(value);
        std::string below = halfway; // by one unit in its last place
        const std::size_t last = below.find_last_not_of("0.");
        --below[last];
        for (std::size_t k = last + 1; k < below.size(); ++k)
            below[k] = below[k] == '.' ? '.' : '9';
        both.read(halfway);
        both.read(halfway + "1");
        both.read(below);
    }
    both.finish();
    EXPECT_GT(both.writes(), 2000u);
}

#else

TEST(PortableNumbers, AgreeWithTheStandardLibrary) {
    GTEST_SKIP() << "the library itself converts with decimal.h's code";
}

#endif

} // namespace
