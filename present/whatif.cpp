#include "whatif.h"

#include "scoring/numbers.h"
#include "scoring/points.h"
#include "scoring/scheme.h"

#include <algorithm>

namespace pelmora {
namespace {

using namespace scheme;

double totalOf(const ScoreSheet& sheet) {
    // Read as the verdict rule reads it.
    return strictNumber(sheet.text(Field::合计得分)).value_or(0);
}

// A box's count plus more, counting from 0 when the box holds nothing positive.
std::string plus(const std::string& box, double more) {
    std::optional<double> value = strictNumber(box);
    return shortestDecimal((value && *value > 0 ? *value : 0) + more);
}

void apply(ScoreSheet& sheet, const Change& change) {
    for (const auto& [field, text] : change.writes)
        sheet.setText(field, text);
    if (change.checkEmployer)
        sheet.setChecked(true);
}

std::optional<int> homePoints(std::string_view status) {
    std::optional<PropertyOutcome> outcome = propertyOutcome(status);
    if (outcome && outcome->points > 0)
        return outcome->points;
    return std::nullopt;
}

bool permitInForce(const ScoreSheet& sheet) {
    return sheet.text(Field::房产状况) == kResidencePermit && sheet.isResidenceEnabled();
}

// A box written again with its own text, which runs its rules on unchanged inputs.
void rewrite(ScoreSheet& sheet, Field field) {
    const std::string text = sheet.text(field);
    sheet.setText(field, text);
}

// A re-pick of the permit writes 0 to 房产得分 until 居住时长 changes: what the least such
// change, the box written again, gives back.
double setAside(const ScoreSheet& sheet) {
    if (!permitInForce(sheet))
        return 0;
    ScoreSheet rewritten(sheet);
    rewrite(rewritten, Field::居住时长);
    return totalOf(rewritten) - totalOf(sheet);
}

double totalAfter(const ScoreSheet& sheet, const Change& change) {
    ScoreSheet trial(sheet);
    apply(trial, change);
    return totalOf(trial);
}

std::string quoted(std::string_view text) {
    return "“" + std::string(text) + "”";
}

// Every change worth trying, in the form's order; those that gain nothing drop out later.
std::vector<std::pair<std::string, Change>> candidates(const ScoreSheet& sheet) {
    std::vector<std::pair<std::string, Change>> out;
    const int educationNow = educationPoints(sheet.text(Field::选择学历));
    for (std::string_view item : listItems(Field::选择学历)) {
        if (educationPoints(item) > educationNow)
            out.push_back({"学历改为" + quoted(item), {{{Field::选择学历, std::string(item)}}}});
    }
    const std::string& status = sheet.text(Field::房产状况);
    if (std::optional<int> owned = homePoints(status)) {
        // Of a home owned, only the mortgaged one can be bettered: by paying it off.
        for (std::string_view item : listItems(Field::房产状况)) {
            if (homePoints(item).value_or(0) > *owned)
                out.push_back({"还清按揭（房产状况改为" + quoted(item) + "）",
                               {{{Field::房产状况, std::string(item)}}}});
        }
    } else {
        for (std::string_view item : listItems(Field::房产状况)) {
            if (homePoints(item))
                out.push_back(
                    {"房产状况改为" + quoted(item), {{{Field::房产状况, std::string(item)}}}});
        }
        const std::string& held = sheet.text(Field::居住时长);
        const std::string days = plus(held, kDaysPerYear);
        if (permitInForce(sheet)) {
            out.push_back({"再住满一年（居住时长 " + held + " → " + days + " 天）",
                           {{{Field::居住时长, days}}}});
        } else {
            // Picking the permit enables the residence box before the days are written.
            const bool holdsDays = strictNumber(held).value_or(0) > 0;
            out.push_back(
                {std::string(holdsDays ? "办居住证并再住满一年" : "办居住证并住满一年") +
                     "（房产状况改为" + quoted(kResidencePermit) + "，居住时长 " +
                     (holdsDays ? held + " → " : "") + days + " 天）",
                 {{{Field::房产状况, std::string(kResidencePermit)}, {Field::居住时长, days}}}});
        }
    }
    Change year;
    for (const Insurance& insurance : kInsurances)
        year.writes.push_back({insurance.box, plus(sheet.text(insurance.box), kMonthsPerYear)});
    out.push_back({"五项社保各再缴 " + shortestDecimal(kMonthsPerYear) + " 个月", year});
    if (!sheet.isChecked())
        out.push_back({"勾选公司申办", Change{{}, true}});
    return out;
}

bool writes(const Change& change, Field field) {
    return std::any_of(change.writes.begin(), change.writes.end(),
                       [&](const auto& write) { return write.first == field; });
}

// The days a disabled 居住时长 still holds, and what they and the added year count for
// once the permit is picked; nullopt when those days count for nothing.
std::optional<HeldDays> heldDays(const ScoreSheet& counted, const Change& change) {
    if (permitInForce(counted) || !writes(change, Field::居住时长))
        return std::nullopt;
    ScoreSheet picked(counted);
    picked.setText(Field::房产状况, kResidencePermit);
    ScoreSheet held(picked);
    rewrite(held, Field::居住时长);
    const double points = totalOf(held) - totalOf(picked);
    if (points == 0)
        return std::nullopt;
    return HeldDays{counted.text(Field::居住时长), points,
                    totalAfter(counted, change) - totalOf(held)};
}

} // namespace

std::vector<Suggestion> suggestions(const ScoreSheet& sheet) {
    const double now = totalOf(sheet);
    std::vector<Suggestion> out;
    if (verdictFor(now) == kVerdictPass)
        return out;
    // The parts of a gain are measured from the sheet with its personal sum written: until
    // a personal rule or the education rule runs, 个人得分 keeps its start caption. The age
    // rule, run again on the same age, changes no item and writes their sum.
    ScoreSheet counted(sheet);
    rewrite(counted, Field::年龄);
    const double countedNow = totalOf(counted);
    for (auto& [action, change] : candidates(sheet)) {
        ScoreSheet trial(sheet);
        apply(trial, change);
        const double gain = totalOf(trial) - now;
        if (gain <= 0)
            continue;
        const double own = totalAfter(counted, change) - countedNow;
        Suggestion s{.action = std::move(action),
                     .change = std::move(change),
                     .gain = gain,
                     .own = own,
                     .firstCounted = {},
                     .heldDays = std::nullopt,
                     .total = trial.text(Field::合计得分),
                     .verdict = trial.text(Field::评分结果)};
        if (s.own != gain) {
            for (auto [name, label] :
                 {std::pair{"年龄", Field::年龄得分}, std::pair{"房产", Field::房产得分},
                  std::pair{"生育", Field::生育得分}}) {
                if (double points = leadingNumber(counted.text(label)); points != 0)
                    s.firstCounted.emplace_back(name, points);
            }
        }
        if (writes(s.change, Field::居住时长)) {
            s.returned = setAside(counted);
            s.own -= s.returned;
            s.heldDays = heldDays(counted, s.change);
        }
        out.push_back(std::move(s));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Suggestion& a, const Suggestion& b) { return a.gain > b.gain; });
    if (out.size() > kMaxSuggestions)
        out.erase(out.begin() + kMaxSuggestions, out.end());
    return out;
}

Projection projection(const ScoreSheet& sheet) {
    Projection out;
    out.residenceGrows = permitInForce(sheet);
    out.returned = setAside(sheet);
    ScoreSheet later(sheet);
    for (int year = 1; year <= static_cast<int>(out.years.size()); ++year) {
        if (std::optional<double> age = strictNumber(later.text(Field::年龄)))
            later.setText(Field::年龄, shortestDecimal(*age + 1));
        for (const Insurance& insurance : kInsurances) {
            std::optional<double> months = strictNumber(later.text(insurance.box));
            if (months && *months > 0)
                later.setText(insurance.box, plus(later.text(insurance.box), kMonthsPerYear));
        }
        if (permitInForce(later))
            later.setText(Field::居住时长, plus(later.text(Field::居住时长), kDaysPerYear));
        ProjectedYear& projected = out.years[year - 1];
        projected.total = later.text(Field::合计得分);
        projected.verdict = later.text(Field::评分结果);
        // Only when no write ran a rule does the verdict still wait for its first total.
        if (projected.verdict == kCalculating)
            projected.verdict = verdictFor(totalOf(later));
        if (!out.firstPassingYear && projected.verdict == kVerdictPass)
            out.firstPassingYear = year;
    }
    return out;
}

} // namespace pelmora
