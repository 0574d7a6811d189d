#include "idnumber.h"

#include <vector>

namespace pelmora {
namespace {

// The code points of valid UTF-8, each as its own byte range.
std::vector<std::string_view> characters(std::string_view utf8) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= utf8.size(); ++i) {
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            out.push_back(utf8.substr(start, i - start));
            start = i;
        }
    }
    return out;
}

bool isDigit(std::string_view c) {
    return c.size() == 1 && c[0] >= '0' && c[0] <= '9';
}

} // namespace

std::optional<IdReading> readIdNumber(std::string_view number) {
    // Cheap length bound first: a pasted text can be very long.
    if (number.size() < 15 || number.size() > 18 * 4)
        return std::nullopt;
    std::vector<std::string_view> c = characters(number);
    // 1-based positions: year, month, day, sex.
    std::size_t yearFirst = 7, yearLength, month, day, sex;
    if (c.size() == 15) {
        yearLength = 2, month = 9, day = 11, sex = 15;
    } else if (c.size() == 18) {
        yearLength = 4, month = 11, day = 13, sex = 17;
    } else {
        return std::nullopt;
    }
    std::string yearText;
    for (std::size_t p = yearFirst; p < yearFirst + yearLength; ++p) {
        if (!isDigit(c[p - 1]))
            return std::nullopt;
        yearText += c[p - 1];
    }
    if (!isDigit(c[sex - 1]))
        return std::nullopt;

    int year = 0;
    for (char d : yearText)
        year = year * 10 + (d - '0');
    if (yearLength == 2) {
        year += 1900;
        yearText = std::to_string(year);
    }
    IdReading reading;
    reading.birthYear = year;
    reading.birthDate = yearText + "年";
    reading.birthDate.append(c[month - 1]).append(c[month]) += "月";
    reading.birthDate.append(c[day - 1]).append(c[day]) += "日";
    reading.sex = (c[sex - 1][0] - '0') % 2 == 0 ? "女" : "男";
    return reading;
}

} // namespace pelmora
