#include "compose.h"

#include "explain.h"

#include "scoring/idnumber.h"
#include "scoring/numbers.h"
#include "scoring/scheme.h"

#include <algorithm>
#include <array>
#include <ctime>

namespace pelmora {
namespace {

using namespace scheme;

constexpr std::array<std::string_view, 3> kYearsLater{"一年后", "两年后", "三年后"};

// 性别 and 出生日期 hold what the last interpretation read; the box may have changed since.
std::string idTooltip(const ScoreSheet& sheet, Field field) {
    const std::string name(fieldName(field));
    const std::string& shown = sheet.text(field);
    if (shown.empty())
        return name + "：点“身份证解读”后由身份证号码读出。";
    if (shown == "号码有误")
        return name + "：号码有误，身份证号码须为 15 或 18 位，出生年份和性别位须为数字。";
    std::optional<IdReading> reading = readIdNumber(sheet.text(Field::ID));
    const bool current =
        reading && shown == (field == Field::性别 ? reading->sex : reading->birthDate);
    if (!current)
        return name + "：" + shown +
               "，是上次身份证解读的结果；号码已改动，再点“身份证解读”可更新。";
    std::string text = name + "：" + shown + "，由身份证号码 " + sheet.text(Field::ID);
    if (field == Field::性别)
        return text + " 的性别位读出，奇数为男，偶数为女。";
    const int age = sheet.currentYear() - reading->birthYear;
    return text + " 读出；解读时年龄只按年份相减：" + std::to_string(sheet.currentYear()) + " − " +
           std::to_string(reading->birthYear) + " = " + std::to_string(age) + " 岁。";
}

std::string points(double value) {
    return shortestDecimal(value) + " 分";
}

// Points a re-pick of 居住证 set aside, which come back with any change of 居住时长.
std::string setAsidePhrase(double returned) {
    return "同时补计重选“" + std::string(kResidencePermit) + "”后未计的 " + points(returned) +
           "，只要改写居住时长同样可以补计";
}

std::string suggestionList(const std::vector<Suggestion>& list) {
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i)
        text += std::to_string(i + 1) + ". " + suggestionLine(list[i]) + "\n";
    return text;
}

} // namespace

std::optional<Field> scoreFedBy(Field field) {
    switch (field) {
    case Field::选择学历:
        return Field::学历得分;
    case Field::ID:
    case Field::年龄:
        return Field::年龄得分;
    case Field::房产状况:
    case Field::居住时长:
        return Field::房产得分;
    case Field::生育状况:
        return Field::生育得分;
    case Field::统一月数:
    case Field::统一年数:
    case Field::公司申办:
        return Field::社保得分;
    case Field::性别:
    case Field::出生日期:
        return std::nullopt;
    default:
        for (const Insurance& insurance : kInsurances) {
            if (insurance.box == field)
                return insurance.score;
        }
        return field; // a score feeds itself
    }
}

std::string suggestionLine(const Suggestion& s) {
    // The gain is what the change brings; what else the new total counts is said beside it.
    std::vector<std::string> notes;
    if (s.heldDays)
        notes.push_back("已填的 " + s.heldDays->days + " 天计 " + points(s.heldDays->points) +
                        "，多住的一年计 " + points(s.heldDays->yearPoints));
    if (!s.firstCounted.empty()) {
        std::string note = "个人得分同时计入";
        for (std::size_t i = 0; i < s.firstCounted.size(); ++i)
            note += (i == 0 ? "" : "，") + std::string(s.firstCounted[i].first) + " " +
                    points(s.firstCounted[i].second);
        notes.push_back(note);
    }
    if (s.returned != 0)
        notes.push_back(setAsidePhrase(s.returned));
    std::string text = s.action + "：+" + points(s.own);
    for (std::size_t i = 0; i < notes.size(); ++i)
        text += (i == 0 ? "（" : "；") + notes[i] + (i + 1 == notes.size() ? "）" : "");
    return text + "，合计 " + s.total + " 分，结果“" + s.verdict + "”";
}

std::string projectionSentence(const Projection& later) {
    std::string text = "每年长一岁，已缴的社保各多缴 " + shortestDecimal(kMonthsPerYear) + " 个月";
    if (later.residenceGrows)
        text += "，居住时长多 " + shortestDecimal(kDaysPerYear) + " 天";
    if (later.returned != 0)
        text += "；一年后" + setAsidePhrase(later.returned);
    return text;
}

std::string tooltipText(const ScoreSheet& sheet, Field field) {
    if (field == Field::性别 || field == Field::出生日期)
        return idTooltip(sheet, field);
    std::string text = explanation(sheet, field);
    if (field != Field::评分结果 || !missingPoints(sheet))
        return text;
    std::vector<Suggestion> list = suggestions(sheet);
    if (list.empty())
        return text + "\n表上已没有能再提分的单项改动。";
    text += "\n可以这样提分：\n" + suggestionList(list);
    text.pop_back();
    return text;
}

std::string helpText(const ScoreSheet& sheet, Field input) {
    std::string text;
    std::optional<Field> score = scoreFedBy(input);
    if (score && *score != Field::合计得分 && *score != Field::评分结果)
        text += explanation(sheet, *score) + "\n";
    if (score != Field::评分结果)
        text += explanation(sheet, Field::合计得分) + "\n";
    text += explanation(sheet, Field::评分结果);
    if (missingPoints(sheet)) {
        std::vector<Suggestion> list = suggestions(sheet);
        if (!list.empty())
            text += "\n最有效的一步是" + suggestionLine(list.front()) + "。";
    }
    return text;
}

Date today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string assessmentText(const ScoreSheet& sheet, const Date& date) {
    std::string text = "Pelmora 评分明细（" + std::to_string(date.year) + "年" +
                       std::to_string(date.month) + "月" + std::to_string(date.day) + "日）\n";
    auto line = [&](Field field, std::string_view value) {
        text += std::string(fieldName(field)) + "：" + std::string(value) + "\n";
    };

    text += "【填写】\n";
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (scoreFedBy(field) == field || field == Field::统一月数 || field == Field::统一年数)
            continue; // scores follow below; the unify boxes only fill the months boxes
        if (field == Field::公司申办)
            line(field, sheet.isChecked() ? "已勾选" : "未勾选");
        else if (!sheet.text(field).empty() ||
                 (field != Field::ID && field != Field::性别 && field != Field::出生日期))
            line(field, sheet.text(field));
    }

    text += "【得分】\n";
    for (Field field : explainedFields()) {
        if (field == Field::评分结果)
            continue;
        line(field, sheet.text(field));
        text += "　" + explanation(sheet, field) + "\n";
    }

    text += "【结果】\n";
    line(Field::评分结果, sheet.text(Field::评分结果));
    text += "　" + explanation(sheet, Field::评分结果) + "\n";

    const bool short_ = missingPoints(sheet).has_value();
    if (short_) {
        std::vector<Suggestion> list = suggestions(sheet);
        text += "【提分建议】\n";
        text += list.empty() ? "表上已没有能再提分的单项改动。\n" : suggestionList(list);
    }

    Projection later = projection(sheet);
    text += "【照现状推算】" + projectionSentence(later) + "\n";
    for (std::size_t i = 0; i < later.years.size(); ++i)
        text += std::string(kYearsLater[i]) + "：合计 " + later.years[i].total + " 分，结果“" +
                later.years[i].verdict + "”\n";
    if (short_) {
        text += later.firstPassingYear
                    ? "照现状，" + std::string(kYearsLater[*later.firstPassingYear - 1]) +
                          "可以通过。\n"
                    : "照现状，三年内仍不能通过。\n";
    } else {
        auto fails = std::find_if(later.years.begin(), later.years.end(),
                                  [](const ProjectedYear& y) { return y.verdict != kVerdictPass; });
        text += fails == later.years.end()
                    ? "照现状，三年内仍然通过。\n"
                    : "照现状，" + std::string(kYearsLater[fails - later.years.begin()]) +
                          "将不再通过。\n";
    }
    return text;
}

} // namespace pelmora
