// The suggestions and the projection of a few sheets, worked out by hand from the scheme.
#include "present/compose.h"
#include "present/whatif.h"

#include "sheetsteps.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

using namespace pelmora;
using namespace pelmora::testing;

namespace {

struct Case {
    const char* name;
    Steps steps;
    std::vector<std::string> suggestions;
    std::array<const char*, 3> projectedTotals;
    std::optional<int> firstPassingYear;
    const char* projectionSentence = nullptr; // checked when given
};

const Case kCases[] = {
    {"TiesKeepTheFormsOrder",
     {{Field::年龄, "30"},
      {Field::选择学历, "全日制大专或高技"},
      {Field::房产状况, "无房产"},
      {Field::统一月数, "24"}},
     {"学历改为“全日制本科有学位”：+30 分，合计 119 分，结果“积分通过，马上入户”",
      "房产状况改为“有房无按揭”：+30 分，合计 119 分，结果“积分通过，马上入户”",
      "学历改为“全日制本科”：+20 分，合计 109 分，结果“积分通过，马上入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 109 分，结果“积分通过，马上入户”",
      "学历改为“非全日制本科”：+10 分，合计 99 分，结果“差一点，考证入户”"},
     {"96", "103", "110"},
     2},
    // Only the boxes holding months go on growing.
    {"At99AnyGainPasses",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::养老月数, "12"},
      {Field::医疗月数, "12"}},
     {"房产状况改为“有房无按揭”：+30 分，合计 129 分，结果“积分通过，马上入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 119 分，结果“积分通过，马上入户”",
      "学历改为“全日制本科有学位”：+10 分，合计 109 分，结果“积分通过，马上入户”",
      "勾选公司申办：+10 分，合计 109 分，结果“积分通过，马上入户”",
      "五项社保各再缴 12 个月：+7 分，合计 106 分，结果“积分通过，马上入户”"},
     {"103", "107", "111"},
     1},
    // At 46 the exemption adds the age deduction to what a full-time bachelor's brings; the
    // years bring the steeper deduction, then none, and residence under the permit.
    {"ExemptionAndAgeBands",
     {{Field::选择学历, "全日制大专或高技"},
      {Field::年龄, "46"},
      {Field::房产状况, "居住证"},
      {Field::居住时长, "300"},
      {Field::统一月数, "12"}},
     {"学历改为“全日制本科有学位”：+50 分，合计 107 分，结果“积分通过，马上入户”",
      "学历改为“全日制本科”：+40 分，合计 97 分，结果“差一点，考证入户”",
      "房产状况改为“有房无按揭”：+30 分，合计 87 分，结果“差一点，考证入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 77 分，结果“差一点，考证入户”",
      "学历改为“非全日制本科”：+10 分，合计 67 分，结果“差一点，考证入户”"},
     {"60", "93", "101"},
     3,
     "每年长一岁，已缴的社保各多缴 12 个月，居住时长多 365 天"},
    {"PermitWhenLittleElseIsLeft",
     {{Field::选择学历, "全日制本科有学位"},
      {Field::年龄, "30"},
      {Field::生育状况, "政策外生育"},
      {Field::统一月数, "36"},
      {Field::公司申办, "1"}},
     {"房产状况改为“有房无按揭”：+30 分，合计 116 分，结果“积分通过，马上入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 106 分，结果“积分通过，马上入户”",
      "五项社保各再缴 12 个月：+7 分，合计 93 分，结果“差一点，考证入户”",
      "办居住证并住满一年（房产状况改为“居住证”，居住时长 365 天）：+1 分，合计 87 分，结果“差一"
      "点，考证入户”"},
     {"93", "100", "107"},
     2},
    // Paying the mortgage off ties with the educations and 公司申办, between them.
    {"MortgagedHome",
     {{Field::选择学历, "全日制大专或高技"}, {Field::年龄, "30"}, {Field::房产状况, "有房有按揭"}},
     {"学历改为“全日制本科有学位”：+30 分，合计 125 分，结果“积分通过，马上入户”",
      "学历改为“全日制本科”：+20 分，合计 115 分，结果“积分通过，马上入户”",
      "学历改为“非全日制本科”：+10 分，合计 105 分，结果“积分通过，马上入户”",
      "还清按揭（房产状况改为“有房无按揭”）：+10 分，合计 105 分，结果“积分通过，马上入户”",
      "勾选公司申办：+10 分，合计 105 分，结果“积分通过，马上入户”"},
     {"95", "95", "95"},
     std::nullopt},
    // 个人得分 still shows its start caption: the education's personal sum counts the age.
    {"UntouchedForm",
     {},
     {"学历改为“全日制本科有学位”：+100 分（个人得分同时计入年龄 5 分），合计 105 分，结果“积分"
      "通过，马上入户”",
      "学历改为“全日制本科”：+90 分（个人得分同时计入年龄 5 分），合计 95 分，结果“差一点，考证"
      "入户”",
      "学历改为“非全日制本科”：+80 分（个人得分同时计入年龄 5 分），合计 85 分，结果“差一点，考"
      "证入户”",
      "学历改为“全日制大专或高技”：+70 分（个人得分同时计入年龄 5 分），合计 75 分，结果“差一点"
      "，考证入户”",
      "学历改为“非全日制大专或高技”：+60 分（个人得分同时计入年龄 5 分），合计 65 分，结果“差一"
      "点，考证入户”"},
     {"5", "5", "5"},
     std::nullopt},
    // The disabled box keeps ten years of days, which the permit counts, up to the cap.
    {"PermitWithOldDays",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::房产状况, "居住证"},
      {Field::居住时长, "3650"},
      {Field::房产状况, "无房产"}},
     {"房产状况改为“有房无按揭”：+30 分，合计 125 分，结果“积分通过，马上入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 115 分，结果“积分通过，马上入户”",
      "学历改为“全日制本科有学位”：+10 分，合计 105 分，结果“积分通过，马上入户”",
      "办居住证并再住满一年（房产状况改为“居住证”，居住时长 3650 → 4015 天）：+10 分（已填的 3650 "
      "天计 10 分，多住的一年计 0 分），合计 105 分，结果“积分通过，马上入户”",
      "勾选公司申办：+10 分，合计 105 分，结果“积分通过，马上入户”"},
     {"95", "95", "95"},
     std::nullopt},
    // Picked again, the permit scores 0 until the box changes; the next write of the days,
    // the suggested year's or the projection's, brings the 2 points of 730 days back too.
    {"PermitPickedAgain",
     {{Field::选择学历, "全日制本科有学位"},
      {Field::年龄, "30"},
      {Field::生育状况, "政策外生育"},
      {Field::统一月数, "12"},
      {Field::公司申办, "1"},
      {Field::房产状况, "居住证"},
      {Field::居住时长, "730"},
      {Field::房产状况, "居住证"}},
     {"房产状况改为“有房无按揭”：+30 分，合计 102 分，结果“积分通过，马上入户”",
      "房产状况改为“有房有按揭”：+20 分，合计 92 分，结果“差一点，考证入户”",
      "五项社保各再缴 12 个月：+7 分，合计 79 分，结果“差一点，考证入户”",
      "再住满一年（居住时长 730 → 1095 天）：+1 分（同时补计重选“居住证”后未计的 2 分，只要改写居住"
      "时长同样可以补计），合计 75 分，结果“差一点，考证入户”"},
     {"82", "90", "98"},
     std::nullopt,
     "每年长一岁，已缴的社保各多缴 12 个月，居住时长多 365 天；一年后同时补计重选“居住证”后未计的 "
     "2 分，只要改写居住时长同样可以补计"},
    {"NothingWhilePassing",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::养老月数, "12"},
      {Field::医疗月数, "24"}},
     {},
     {"104", "108", "112"},
     1},
};

TEST(WhatIf, SuggestionsAndProjection) {
    for (const Case& c : kCases) {
        ScoreSheet sheet(fixedYear);
        play(sheet, c.steps);
        std::vector<std::string> lines;
        for (const Suggestion& s : suggestions(sheet))
            lines.push_back(suggestionLine(s));
        EXPECT_EQ(lines, c.suggestions) << c.name;
        Projection later = projection(sheet);
        for (std::size_t i = 0; i < later.years.size(); ++i)
            EXPECT_EQ(later.years[i].total, c.projectedTotals[i]) << c.name << " year " << i + 1;
        EXPECT_EQ(later.firstPassingYear, c.firstPassingYear) << c.name;
        if (c.projectionSentence) {
            EXPECT_EQ(projectionSentence(later), c.projectionSentence) << c.name;
        }
    }
}

} // namespace
