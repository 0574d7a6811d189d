// The points tables of the scheme, as pure functions of texts and numbers.
#pragma once

#include <optional>
#include <string_view>

namespace pelmora {

// Education list text -> points of the education category (exact text match, else 0).
int educationPoints(std::string_view education);

// "全日制本科" and "全日制本科有学位" cancel the age deductions from 40 to 47.
bool isExemptEducation(std::string_view education);

// Age in years (fractions scored by the same formulas) -> age points.
double agePoints(double age, std::string_view education);

// Birth-status list text -> birth points (exact text match, else 0).
int birthPoints(std::string_view status);

struct PropertyOutcome {
    int points;
    bool residenceEnabled;
};
// Property list text -> housing points and whether the residence box is usable;
// nullopt for a text that is no item, which changes nothing.
std::optional<PropertyOutcome> propertyOutcome(std::string_view status);

// Residence days (a non-empty box text) -> one point per full 365 days, at most 10.
// A text that is no number scores 0.
double residencePoints(std::string_view days);

// Months paid (a non-empty box text) -> pointsPerYear for each full 12 months. The count
// is rounded half to even and scored in double precision, so counts beyond 32 bits are
// scored by the same formula. A text that is no number, or not above 0, scores 0.
double monthsPoints(std::string_view months, int pointsPerYear);

} // namespace pelmora
