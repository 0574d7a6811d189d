// Sheet states, reached by a user's edits, and the sentence each score then gets.
#include "present/explain.h"

#include "sheetsteps.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::testing;

namespace {

struct Case {
    const char* name;
    Steps steps;
    Field field;
    const char* sentence;
};

const Case kCases[] = {
    {"AgeUnder18", {{Field::年龄, "17"}}, Field::年龄得分, "年龄 17 岁，不满 18 岁，计 0 分。"},
    {"AgeYoung",
     {{Field::年龄, "34"}},
     Field::年龄得分,
     "年龄 34 岁，在 18 至 35 岁以下一段，计 5 分。"},
    {"AgeMiddle",
     {{Field::年龄, "39"}},
     Field::年龄得分,
     "年龄 39 岁，在 35 至 40 岁以下一段，计 1 分。"},
    {"AgeDeduction",
     {{Field::选择学历, "全日制大专或高技"}, {Field::年龄, "42"}},
     Field::年龄得分,
     "年龄 42 岁，在 40 至 45 岁以下一段，学历不是全日制本科，不免扣分：-2 ×（42 − 39）= -6 分。"},
    {"AgeDeductionExempt",
     {{Field::年龄, "42"}, {Field::选择学历, "全日制本科"}},
     Field::年龄得分,
     "年龄 42 岁，在 40 至 45 岁以下一段，学历为“全日制本科”，免扣分，计 0 分。"},
    {"AgeSteeperDeduction",
     {{Field::年龄, "46"}},
     Field::年龄得分,
     "年龄 46 岁，在 45 至 48 岁以下一段，学历不是全日制本科，不免扣分：-（5 ×（46 − 44）+ 10）= "
     "-20 分。"},
    {"AgeSteeperExempt",
     {{Field::选择学历, "全日制本科有学位"}, {Field::年龄, "47"}},
     Field::年龄得分,
     "年龄 47 岁，在 45 至 48 岁以下一段，学历为“全日制本科有学位”，免扣分，计 0 分。"},
    {"AgeNoDeduction",
     {{Field::年龄, "48"}},
     Field::年龄得分,
     "年龄 48 岁，满 48 岁，不再扣分，计 0 分。"},
    {"AgePasted",
     {{Field::年龄, "abc"}},
     Field::年龄得分,
     "年龄一栏“abc”不是可读的数字，按 0 分计。"},
    {"EducationWithoutPoints",
     {{Field::选择学历, "中专"}},
     Field::学历得分,
     "学历为“中专”，计 0 分。"},
    {"HousingFromProperty",
     {{Field::房产状况, "有房有按揭"}},
     Field::房产得分,
     "房产状况为“有房有按揭”，计 20 分。"},
    {"HousingFromResidence",
     {{Field::房产状况, "居住证"}, {Field::居住时长, "1000"}},
     Field::房产得分,
     "房产状况为“居住证”，居住时长 1000 天，满 2 年（每满 365 天 1 分），计 2 分。"},
    {"HousingResidenceCapped",
     {{Field::房产状况, "居住证"}, {Field::居住时长, "4015"}},
     Field::房产得分,
     "房产状况为“居住证”，居住时长 4015 天，满 11 年，超过上限 10 分，按 10 分计。"},
    {"HousingPermitPickedAgain",
     {{Field::房产状况, "居住证"}, {Field::居住时长, "1000"}, {Field::房产状况, "居住证"}},
     Field::房产得分,
     "房产状况选为“居住证”时记 0 分；居住时长 1000 天要等这一栏再改动才计分。"},
    {"BirthOutsidePolicy",
     {{Field::生育状况, "政策外生育"}},
     Field::生育得分,
     "生育状况为“政策外生育”，计 -50 分。"},
    {"MonthsHalfToEven",
     {{Field::养老月数, "12.5"}},
     Field::养老得分,
     "养老已缴 12.5 个月（按 12 个月计），满 1 年，每年 3 分：1 × 3 = 3 分。"},
    {"MonthsPasted",
     {{Field::医疗月数, "1年"}},
     Field::医疗得分,
     "医疗月数“1年”不是可读的数字，按 0 分计。"},
    {"InsuranceCap",
     {{Field::统一月数, "120"}, {Field::公司申办, "1"}},
     Field::社保得分,
     "社保得分是五项之和加公司申办：养老 30 + 医疗 10 + 工伤 10 + 生育险 10 + 失业 10 + 公司申办 "
     "10 = 80，超过上限 60，按 60 分计。"},
    {"StartCaption", {}, Field::年龄得分, "年龄得分 5 是窗口打开时的初始值，尚未计算。"},
    {"PersonalStillStartCaption",
     {{Field::养老月数, "12"}},
     Field::个人得分,
     "个人得分 0 仍是窗口打开时的初始值，尚未按输入重算；按当前输入，个人得分是三项之和：年龄 5 + "
     "房产 0 + 生育 0 = 5 分。"},
    {"VerdictAfterReset",
     {{Field::年龄, "30"}, {Field::评分结果, "综合计算中…"}},
     Field::评分结果,
     "评分结果“综合计算中…”仍是窗口打开时的初始值，尚未按输入重算；按当前输入，合计 5 "
     "分，通过须高于 99 分，结果为“差一点，考证入户”；还须再得多于 94 分。"},
    {"Total99",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::养老月数, "12"},
      {Field::医疗月数, "12"}},
     Field::合计得分,
     "合计得分是三类之和：学历 90 + 个人 5 + 社保 4 = 99 分。"},
    {"Verdict99",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::养老月数, "12"},
      {Field::医疗月数, "12"}},
     Field::评分结果,
     "合计 99 分，通过须高于 99 分，结果为“差一点，考证入户”；再多得任何分数即可通过。"},
    {"Verdict99Point5",
     {{Field::选择学历, "非全日制本科"},
      {Field::年龄, "44.75"},
      {Field::统一月数, "36"},
      {Field::公司申办, "1"}},
     Field::评分结果,
     "合计 99.5 分，高于 99 分，结果为“积分通过，马上入户”。"},
    {"Verdict100",
     {{Field::选择学历, "全日制本科"},
      {Field::年龄, "30"},
      {Field::养老月数, "12"},
      {Field::医疗月数, "24"}},
     Field::评分结果,
     "合计 100 分，高于 99 分，结果为“积分通过，马上入户”。"},
    {"VerdictNoPoints",
     {{Field::年龄, "30"}, {Field::生育状况, "政策外生育"}},
     Field::评分结果,
     "合计 -45 分，不高于 0 分，结果为“需要补充一点分数…”；通过须高于 99 分，还须再得多于 144 "
     "分。"},
};

TEST(Explanation, SentenceOfEachState) {
    for (const Case& c : kCases) {
        ScoreSheet sheet(fixedYear);
        play(sheet, c.steps);
        EXPECT_EQ(explanation(sheet, c.field), c.sentence) << c.name;
    }
}

} // namespace
