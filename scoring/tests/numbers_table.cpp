// Prints what the number conversions give for a fixed table of texts and values, a line
// each, so that builds on different standard libraries (emscripten's under node among
// them) can be compared line by line. Values are shown by their bits as well, so that two
// readings that print alike still differ.
#include "scoring/numbers.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace pelmora;

namespace {

// Not std::bit_cast: emscripten's libc++ lacks it too.
template <typename To, typename From> To bitsAs(From from) {
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

void printValue(double value) {
    std::printf(" %016" PRIx64 " %s", bitsAs<std::uint64_t>(value), shortestDecimal(value).c_str());
}

void printReading(const std::string& text) {
    std::printf("\"%s\":", text.size() > 60 ? (text.substr(0, 60) + "...").c_str() : text.c_str());
    const std::optional<double> strict = strictNumber(text);
    if (strict)
        printValue(*strict);
    else
        std::printf(" none");
    std::printf(" |");
    printValue(leadingNumber(text));
    std::printf("\n");
}

} // namespace

int main() {
    std::vector<std::string> texts = {
        "", "0", "-0", "+.5", "5.", ".", "-", "1e", "1e+", "e5", "0012.50", " 12 ", "12abc",
        "1.2.3", "0.1", "0.3", "0.30000000000000004", "999999999999999.5", "1e15", "1e-4",
        "9.99999999999999e14", "1e308", "1e309", "-1e309", "1e-400", "4.9e-324",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "2.2250738585072011e-308",
        "1.7976931348623157e308", "1.7976931348623159e308", "9007199254740993", "9007199254740995",
        "1e99999999999999999999", "1e-99999999999999999999", std::string(100000, '9'),
        "0." + std::string(400, '0') + "1", "9007199254740993" + std::string(790, '0') + "1e-791",
        "1" + std::string(2000, '0') + "e-2000",
        // Ties: to the even neighbour, the last one to infinity.
        "9007199254740993" + std::string(790, '0') + "e-790",
        "1797693134862315807937289714053034150799341327100378269361"
        "7377898044496829276475094664901797758720709633028641669288"
        "7910946555547851940402630657488671505820681908902000708383"
        "6762738548458177115317644757302700698555713669596228429148"
        "1986083493647529271907416844436551070434271155969950809304"
        "2880177904174497792"};
    const double values[] = {0.1 + 0.2,
                             0.3 * 12,
                             1e15,
                             1e-4,
                             1e-5,
                             999999999999999.5,
                             1234567890123455,
                             12345678901234.25,
                             1.2e20,
                             1.0 / 3,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             -0.0};
    std::vector<double> written(std::begin(values), std::end(values));
    for (int k = 0; k < 2000; ++k) // halfway at the fifteenth digit
        written.push_back(1e14 + k + 0.5);
    for (double value : written) {
        printValue(value);
        std::printf("\n");
    }
    std::mt19937_64 random(7); // the same sequence in every standard library
    for (int n = 0; n < 3000; ++n) {
        const double value = bitsAs<double>(random());
        printValue(value);
        std::printf("\n");
        texts.push_back(shortestDecimal(value));
        // Drawn one by one: the order in which operands are evaluated varies by compiler.
        const auto whole = random() % 100'000'000;
        const auto fraction = random() % 100'000'000'000;
        const auto exponent = static_cast<int>(random() % 660) - 340;
        texts.push_back(std::to_string(whole) + "." + std::to_string(fraction) + "e" +
                        std::to_string(exponent));
    }
    for (const std::string& text : texts)
        printReading(text);
    return 0;
}
