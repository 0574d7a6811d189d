// What would raise the total, and where the user stands in a few years: every figure comes
// from a copy of the sheet run through the real rules, never from a second copy of a rule.
#pragma once

#include "scoring/scoresheet.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelmora {

// One change a user can make, as the writes a view would make for it.
struct Change {
    std::vector<std::pair<Field, std::string>> writes; // in this order, each by setText
    bool checkEmployer = false;                        // then 公司申办 checked
};

// Days 居住时长 already holds while disabled, which picking 居住证 makes count.
struct HeldDays {
    std::string days;  // the box's text
    double points;     // what those days count for
    double yearPoints; // what the year the change adds to them brings
};

struct Suggestion {
    std::string action; // what to do, e.g. "学历改为“全日制本科”"
    Change change;
    double gain; // the total after the change minus the total now, above 0; ranks the list
    // What the change itself brings: the gain less the two parts below.
    double own;
    // Until a personal rule or the education rule runs, 个人得分 shows its start caption,
    // not the sum of its items: the items a change that runs one counts for the first
    // time, by name, e.g. {"年龄", 5}.
    std::vector<std::pair<std::string_view, double>> firstCounted;
    // Points a re-pick of 居住证 set aside, which any change of 居住时长 returns.
    double returned = 0;
    std::optional<HeldDays> heldDays; // part of own
    std::string total;                // 合计得分 after the change
    std::string verdict;              // 评分结果 after the change
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
    bool residenceGrows = false;         // a residence permit is picked
    // Of the first year's rise: the points a re-pick of 居住证 set aside, which its first
    // write of 居住时长 returns.
    double returned = 0;
};
Projection projection(const ScoreSheet& sheet);

} // namespace pelmora
