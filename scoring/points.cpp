#include "points.h"

#include "numbers.h"

#include <algorithm>
#include <cmath>

namespace pelmora {

int educationPoints(std::string_view education) {
    if (education == "全日制大专或高技")
        return 70;
    if (education == "全日制本科")
        return 90;
    if (education == "全日制本科有学位")
        return 100;
    if (education == "非全日制大专或高技")
        return 60;
    if (education == "非全日制本科")
        return 80;
    return 0; // "高中或以下学历", "中专" and anything else
}

bool isExemptEducation(std::string_view education) {
    return education == "全日制本科" || education == "全日制本科有学位";
}

double agePoints(double age, std::string_view education) {
    if (age < 18)
        return 0;
    if (age < 35)
        return 5;
    if (age < 40)
        return 1;
    if (age < 45)
        return isExemptEducation(education) ? 0 : -2 * (age - 39);
    if (age < 48)
        return isExemptEducation(education) ? 0 : -(5 * (age - 44) + 10);
    return 0; // 48 and older, and NaN, which no reader produces
}

int birthPoints(std::string_view status) {
    return status == "政策外生育" ? -50 : 0;
}

std::optional<PropertyOutcome> propertyOutcome(std::string_view status) {
    if (status == "无房产")
        return PropertyOutcome{0, false};
    if (status == "有房无按揭")
        return PropertyOutcome{30, false};
    if (status == "有房有按揭")
        return PropertyOutcome{20, false};
    if (status == "居住证")
        return PropertyOutcome{0, true};
    return std::nullopt;
}

double residencePoints(std::string_view days) {
    std::optional<double> d = strictNumber(days);
    if (!d || *d <= 0)
        return 0;
    // Rounded in double rather than to 32 bits, so ten digits of days still score 10.
    return std::min(10.0, std::trunc(roundHalfEven(*d) / 365));
}

double monthsPoints(std::string_view months, int pointsPerYear) {
    std::optional<double> v = strictNumber(months);
    if (!v || *v <= 0)
        return 0;
    return std::trunc(roundHalfEven(*v) / 12) * pointsPerYear;
}

} // namespace pelmora
