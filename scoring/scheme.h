// The numbers of the points scheme, each stated once. The rules compute with them and the
// explanations quote them, so an explanation cannot disagree with the score it explains.
#pragma once

#include "fields.h"

#include <array>
#include <string_view>

namespace pelmora::scheme {

// Age bands, each from one limit up to, not including, the next: below kAdultAge 0 points;
// then kYoungPoints; from kMiddleAge kMiddlePoints; from kDeductionAge the first deduction;
// from kSteeperAge the steeper one; from kNoDeductionAge 0 again. The exempt educations
// cancel both deductions.
inline constexpr double kAdultAge = 18;
inline constexpr double kMiddleAge = 35;
inline constexpr double kDeductionAge = 40;
inline constexpr double kSteeperAge = 45;
inline constexpr double kNoDeductionAge = 48;
inline constexpr double kYoungPoints = 5;
inline constexpr double kMiddlePoints = 1;
// First deduction: -kDeductionRate × (age − kDeductionBase).
inline constexpr double kDeductionRate = 2;
inline constexpr double kDeductionBase = 39;
// Steeper deduction: -(kSteeperRate × (age − kSteeperBase) + kSteeperOffset).
inline constexpr double kSteeperRate = 5;
inline constexpr double kSteeperBase = 44;
inline constexpr double kSteeperOffset = 10;

struct EducationPoints {
    std::string_view education;
    int points;
};
// Every other text of the education list, and the empty text, gives 0.
inline constexpr std::array<EducationPoints, 5> kEducationPoints{{
    {"全日制大专或高技", 70},
    {"全日制本科", 90},
    {"全日制本科有学位", 100},
    {"非全日制大专或高技", 60},
    {"非全日制本科", 80},
}};
// The educations that cancel both age deductions.
inline constexpr std::array<std::string_view, 2> kExemptEducations{"全日制本科",
                                                                   "全日制本科有学位"};

// The one birth status that costs points; every other gives 0.
inline constexpr std::string_view kDeductedBirth = "政策外生育";
inline constexpr int kDeductedBirthPoints = -50;

struct PropertyItem {
    std::string_view status;
    int points;
    bool residenceEnabled;
};
inline constexpr std::string_view kResidencePermit = "居住证";
inline constexpr std::array<PropertyItem, 4> kPropertyItems{{
    {"无房产", 0, false},
    {"有房无按揭", 30, false},
    {"有房有按揭", 20, false},
    {kResidencePermit, 0, true},
}};
// Under a residence permit: one point per full year of residence, at most kResidenceCap.
inline constexpr int kDaysPerYear = 365;
inline constexpr int kResidenceCap = 10;

struct Insurance {
    Field box;
    Field score;
    int pointsPerYear;
};
inline constexpr int kMonthsPerYear = 12;
// In the order every rule visits them, top to bottom in the form.
inline constexpr std::array<Insurance, 5> kInsurances{{
    {Field::养老月数, Field::养老得分, 3},
    {Field::医疗月数, Field::医疗得分, 1},
    {Field::工伤月数, Field::工伤得分, 1},
    {Field::生育险月数, Field::生育险得分, 1},
    {Field::失业月数, Field::失业得分, 1},
}};
inline constexpr int kEmployerBonus = 10; // while 公司申办 is checked
inline constexpr int kInsuranceCap = 60;  // of 社保得分, whatever the items add up to

// A total passes only when it is above the line: 99 is short, 99.5 passes.
inline constexpr double kPassLine = 99;
inline constexpr std::string_view kCalculating = "综合计算中…"; // no verdict yet
inline constexpr std::string_view kVerdictNoPoints = "需要补充一点分数…";
inline constexpr std::string_view kVerdictShort = "差一点，考证入户";
inline constexpr std::string_view kVerdictPass = "积分通过，马上入户";

// The verdict caption a total gives.
constexpr std::string_view verdictFor(double total) {
    if (total > kPassLine)
        return kVerdictPass;
    if (total > 0)
        return kVerdictShort;
    return kVerdictNoPoints;
}

} // namespace pelmora::scheme
