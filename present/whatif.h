// What would raise the total, and where the user stands in a few years: every figure comes
// from a copy of the sheet run through the real rules, never from a second copy of a rule.
#pragma once

#include "scoring/scoresheet.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pelmora {

// One change a user can make, as the writes a view would make for it.
struct Change {
    std::vector<std::pair<Field, std::string>> writes; // in this order, each by setText
    bool checkEmployer = false;                        // then 公司申办 checked
};

struct Suggestion {
    std::string action; // what to do, e.g. "学历改为“全日制本科”"
    Change change;
    double gain;         // the total after the change minus the total now, above 0
    std::string total;   // 合计得分 after the change
    std::string verdict; // 评分结果 after the change
};

inline constexpr std::size_t kMaxSuggestions = 5;

// While the total does not pass: the single changes that raise it most, at most
// kMaxSuggestions, largest gain first. Equal gains keep the form's order from top to
// bottom: educations in list order, homes in list order, the residence permit, a year of
// insurance, 公司申办. A mortgage paid off, offered while 房产状况 is a mortgaged home
// (no other home and no permit raise that), stands where the homes do: after the
// educations, before a year of insurance and 公司申办. Never a younger age, other
// children, or a box the form disables.
std::vector<Suggestion> suggestions(const ScoreSheet& sheet);

struct ProjectedYear {
    std::string total;
    std::string verdict;
};
// Going on as now: each year one year older, 12 more months in every insurance box that
// holds more than 0, and 365 more days of residence while a residence permit is picked.
struct Projection {
    std::array<ProjectedYear, 3> years;  // after one, two and three years
    std::optional<int> firstPassingYear; // 1 to 3; nullopt when none of them passes
};
Projection projection(const ScoreSheet& sheet);

} // namespace pelmora
