// What a screen reader hears after each action: one self-contained message.
#include "form/actions.h"
#include "form/announce.h"
#include "scoring/scoresheet.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pelmora;

namespace {

TEST(Announce, EachActionIsHeardWithTheTotalAndTheVerdict) {
    ScoreSheet sheet([] { return 2026; });
    auto write = [&](Field field, const char* text) {
        return [&sheet, field, text] { sheet.setText(field, text); };
    };
    auto click = [&](const char* control) {
        return [&sheet, control] { form::run(sheet, form::actionOf(control)); };
    };
    struct Step {
        const char* control;
        std::function<void()> action;
        const char* heard;
    };
    // Each step starts where the one before left off.
    const Step steps[] = {
        {"年龄", write(Field::年龄, "4"), "年龄得分 0，合计得分 0，需要补充一点分数…"},
        {"年龄", write(Field::年龄, "42"),
         "年龄得分 -6，个人得分 -6，合计得分 -6，需要补充一点分数…"},
        {"选择学历", write(Field::选择学历, "全日制本科"),
         "全日制本科，学历得分 90，年龄得分 0，个人得分 0，合计得分 90，差一点，考证入户"},
        {"养老月数", write(Field::养老月数, "36"),
         "养老得分 9，社保得分 9，合计得分 99，差一点，考证入户"},
        {"医疗月数", write(Field::医疗月数, "12"),
         "医疗得分 1，社保得分 10，合计得分 100，积分通过，马上入户"},
        {"医疗月数", write(Field::医疗月数, "12"), "合计得分 100，积分通过，马上入户"}, // no change
        {"公司申办", [&] { sheet.setChecked(true); },
         "社保得分 20，合计得分 110，积分通过，马上入户"},
        {"统一月数", write(Field::统一月数, "36"), ""}, // nothing scored changes before the click
        {"统一月", click("统一月"),
         "医疗得分 3，工伤得分 3，生育险得分 3，失业得分 3，社保得分 31，合计得分 121，"
         "积分通过，马上入户"},
        {"ID", write(Field::ID, "440301198503071234"), ""},
        {"身份证解读", click("身份证解读"),
         "出生日期 1985年03月07日，性别 男，年龄 41，合计得分 121，积分通过，马上入户"},
        {"ID", write(Field::ID, "123"), ""},
        {"身份证解读", click("身份证解读"), "号码有误，合计得分 121，积分通过，马上入户"},
        {"重置", click("重置"), "输入已清空，合计得分 5，综合计算中…"},
        {"房产状况", write(Field::房产状况, "有房无按揭"),
         "有房无按揭，房产得分 30，个人得分 35，合计得分 35，差一点，考证入户"},
    };
    for (const Step& step : steps) {
        const form::Heard heard(sheet, *form::control(step.control));
        step.action();
        EXPECT_EQ(heard.message(sheet), step.heard) << step.control;
    }
}

} // namespace
