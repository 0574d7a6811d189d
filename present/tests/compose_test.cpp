// The texts the views deliver: tooltips, the F1 message and the copied assessment.
#include "present/compose.h"

#include "sheetsteps.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::testing;

namespace {

const Steps kAt99{{Field::选择学历, "全日制本科"},
                  {Field::年龄, "30"},
                  {Field::养老月数, "12"},
                  {Field::医疗月数, "12"}};
const Steps kFarAbove{{Field::ID, "44030119950307123X"},
                      {Field::选择学历, "全日制本科有学位"},
                      {Field::房产状况, "有房无按揭"},
                      {Field::统一年数, "5"},
                      {Field::公司申办, "1"}};

enum class Text { Tooltip, Help };

struct Case {
    const char* name;
    Steps steps;
    Text kind;
    Field field;
    const char* text;
};

const Case kCases[] = {
    {"SexBeforeAnyId", {}, Text::Tooltip, Field::性别, "性别：点“身份证解读”后由身份证号码读出。"},
    {"BirthDateOfFifteenDigits",
     {{Field::ID, "440301850307122"}},
     Text::Tooltip,
     Field::出生日期,
     "出生日期：1985年03月07日，由身份证号码 440301850307122 读出；解读时年龄只按年份相减：2026 "
     "− 1985 = 41 岁。"},
    {"SexOfANumberSinceEdited",
     {{Field::ID, "440301850307122"}, {Field::ID, "4403018503"}},
     Text::Tooltip,
     Field::性别,
     "性别：女，是上次身份证解读的结果；号码已改动，再点“身份证解读”可更新。"},
    {"WrongNumber",
     {{Field::ID, "4403018503"}},
     Text::Tooltip,
     Field::出生日期,
     "出生日期：号码有误，身份证号码须为 15 或 18 位，出生年份和性别位须为数字。"},
    {"VerdictShortWithSuggestions", kAt99, Text::Tooltip, Field::评分结果,
     "合计 99 分，通过须高于 99 分，结果为“差一点，考证入户”；再多得任何分数即可通过。\n"
     "可以这样提分：\n"
     "1. 房产状况改为“有房无按揭”：+30 分，合计 129 分，结果“积分通过，马上入户”\n"
     "2. 房产状况改为“有房有按揭”：+20 分，合计 119 分，结果“积分通过，马上入户”\n"
     "3. 学历改为“全日制本科有学位”：+10 分，合计 109 分，结果“积分通过，马上入户”\n"
     "4. 勾选公司申办：+10 分，合计 109 分，结果“积分通过，马上入户”\n"
     "5. 五项社保各再缴 12 个月：+7 分，合计 106 分，结果“积分通过，马上入户”"},
    {"VerdictPassingAlone", kFarAbove, Text::Tooltip, Field::评分结果,
     "合计 180 分，高于 99 分，结果为“积分通过，马上入户”。"},
    {"HelpOnAnInputWhileShort", kAt99, Text::Help, Field::年龄,
     "年龄 30 岁，在 18 至 35 岁以下一段，计 5 分。\n"
     "合计得分是三类之和：学历 90 + 个人 5 + 社保 4 = 99 分。\n"
     "合计 99 分，通过须高于 99 分，结果为“差一点，考证入户”；再多得任何分数即可通过。\n"
     "最有效的一步是房产状况改为“有房无按揭”：+30 分，合计 129 分，结果“积分通过，马上入户”。"},
    {"HelpOnTheIdWhilePassing", kFarAbove, Text::Help, Field::ID,
     "年龄 31 岁，在 18 至 35 岁以下一段，计 5 分。\n"
     "合计得分是三类之和：学历 100 + 个人 35 + 社保 45 = 180 分。\n"
     "合计 180 分，高于 99 分，结果为“积分通过，马上入户”。"},
};

TEST(Composed, TooltipsAndHelp) {
    for (const Case& c : kCases) {
        ScoreSheet sheet(fixedYear);
        play(sheet, c.steps);
        EXPECT_EQ(c.kind == Text::Tooltip ? tooltipText(sheet, c.field) : helpText(sheet, c.field),
                  c.text)
            << c.name;
    }
}

TEST(Composed, AssessmentToCopy) {
    ScoreSheet sheet(fixedYear);
    play(sheet, kAt99);
    EXPECT_EQ(assessmentText(sheet, {2026, 3, 5}), R"(Pelmora 评分明细（2026年3月5日）
【填写】
选择学历：全日制本科
年龄：30
房产状况：
居住时长：0
生育状况：
养老月数：12
医疗月数：12
工伤月数：0
生育险月数：0
失业月数：0
公司申办：未勾选
【得分】
学历得分：90
　学历为“全日制本科”，计 90 分。
年龄得分：5
　年龄 30 岁，在 18 至 35 岁以下一段，计 5 分。
房产得分：0
　尚未选择房产状况，计 0 分。
生育得分：0
　尚未选择生育状况，计 0 分。
个人得分：5
　个人得分是三项之和：年龄 5 + 房产 0 + 生育 0 = 5 分。
养老得分：3
　养老已缴 12 个月，满 1 年，每年 3 分：1 × 3 = 3 分。
医疗得分：1
　医疗已缴 12 个月，满 1 年，每年 1 分：1 × 1 = 1 分。
工伤得分：0
　工伤月数为 0，计 0 分。
生育险得分：0
　生育险月数为 0，计 0 分。
失业得分：0
　失业月数为 0，计 0 分。
社保得分：4
　社保得分是五项之和：养老 3 + 医疗 1 + 工伤 0 + 生育险 0 + 失业 0 = 4 分。
合计得分：99
　合计得分是三类之和：学历 90 + 个人 5 + 社保 4 = 99 分。
【结果】
评分结果：差一点，考证入户
　合计 99 分，通过须高于 99 分，结果为“差一点，考证入户”；再多得任何分数即可通过。
【提分建议】
1. 房产状况改为“有房无按揭”：+30 分，合计 129 分，结果“积分通过，马上入户”
2. 房产状况改为“有房有按揭”：+20 分，合计 119 分，结果“积分通过，马上入户”
3. 学历改为“全日制本科有学位”：+10 分，合计 109 分，结果“积分通过，马上入户”
4. 勾选公司申办：+10 分，合计 109 分，结果“积分通过，马上入户”
5. 五项社保各再缴 12 个月：+7 分，合计 106 分，结果“积分通过，马上入户”
【照现状推算】每年长一岁，已缴的社保各多缴 12 个月
一年后：合计 103 分，结果“积分通过，马上入户”
两年后：合计 107 分，结果“积分通过，马上入户”
三年后：合计 111 分，结果“积分通过，马上入户”
照现状，一年后可以通过。
)");
}

} // namespace
