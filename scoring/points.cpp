#include "points.h"

#include "numbers.h"
#include "scheme.h"

#include <algorithm>
#include <cmath>

namespace pelmora {

int educationPoints(std::string_view education) {
    for (const scheme::EducationPoints& row : scheme::kEducationPoints) {
        if (row.education == education)
            return row.points;
    }
    return 0; // "高中或以下学历", "中专" and anything else
}

bool isExemptEducation(std::string_view education) {
    return std::find(scheme::kExemptEducations.begin(), scheme::kExemptEducations.end(),
                     education) != scheme::kExemptEducations.end();
}

double agePoints(double age, std::string_view education) {
    using namespace scheme;
    if (age < kAdultAge)
        return 0;
    if (age < kMiddleAge)
        return kYoungPoints;
    if (age < kDeductionAge)
        return kMiddlePoints;
    if (age < kSteeperAge)
        return isExemptEducation(education) ? 0 : -kDeductionRate * (age - kDeductionBase);
    if (age < kNoDeductionAge)
        return isExemptEducation(education)
                   ? 0
                   : -(kSteeperRate * (age - kSteeperBase) + kSteeperOffset);
    return 0; // 48 and older, and NaN, which no reader produces
}

int birthPoints(std::string_view status) {
    return status == scheme::kDeductedBirth ? scheme::kDeductedBirthPoints : 0;
}

std::optional<PropertyOutcome> propertyOutcome(std::string_view status) {
    for (const scheme::PropertyItem& item : scheme::kPropertyItems) {
        if (item.status == status)
            return PropertyOutcome{item.points, item.residenceEnabled};
    }
    return std::nullopt;
}

double residencePoints(std::string_view days) {
    std::optional<double> d = strictNumber(days);
    if (!d || *d <= 0)
        return 0;
    // Rounded in double rather than to 32 bits, so ten digits of days still score 10.
    return std::min<double>(scheme::kResidenceCap,
                            std::trunc(roundHalfEven(*d) / scheme::kDaysPerYear));
}

double monthsPoints(std::string_view months, int pointsPerYear) {
    std::optional<double> v = strictNumber(months);
    if (!v || *v <= 0)
        return 0;
    return std::trunc(roundHalfEven(*v) / scheme::kMonthsPerYear) * pointsPerYear;
}

} // namespace pelmora
