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
        const std::string days = plus(sheet.text(Field::居住时长), kDaysPerYear);
        if (status == kResidencePermit && sheet.isResidenceEnabled()) {
            out.push_back(
                {"再住满一年（居住时长 " + sheet.text(Field::居住时长) + " → " + days + " 天）",
                 {{{Field::居住时长, days}}}});
        } else {
            // Picking the permit enables the residence box before the days are written.
            out.push_back(
                {"办居住证并住满一年（房产状况改为" + quoted(kResidencePermit) + "，居住时长 " +
                     days + " 天）",
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

} // namespace

std::vector<Suggestion> suggestions(const ScoreSheet& sheet) {
    const double now = totalOf(sheet);
    std::vector<Suggestion> out;
    if (verdictFor(now) == kVerdictPass)
        return out;
    for (auto& [action, change] : candidates(sheet)) {
        ScoreSheet trial(sheet);
        apply(trial, change);
        const double gain = totalOf(trial) - now;
        if (gain > 0)
            out.push_back({std::move(action), std::move(change), gain, trial.text(Field::合计得分),
                           trial.text(Field::评分结果)});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Suggestion& a, const Suggestion& b) { return a.gain > b.gain; });
    if (out.size() > kMaxSuggestions)
        out.erase(out.begin() + kMaxSuggestions, out.end());
    return out;
}

Projection projection(const ScoreSheet& sheet) {
    Projection out;
    ScoreSheet later(sheet);
    for (int year = 1; year <= static_cast<int>(out.years.size()); ++year) {
        if (std::optional<double> age = strictNumber(later.text(Field::年龄)))
            later.setText(Field::年龄, shortestDecimal(*age + 1));
        for (const Insurance& insurance : kInsurances) {
            std::optional<double> months = strictNumber(later.text(insurance.box));
            if (months && *months > 0)
                later.setText(insurance.box, plus(later.text(insurance.box), kMonthsPerYear));
        }
        if (later.text(Field::房产状况) == kResidencePermit && later.isResidenceEnabled())
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
