// What a click on each control does, for every view: the link it follows (the rules of
// links/outbound.h through the form's actions), the QR-code window, or a command.
#include "form/actions.h"
#include "scoring/scoresheet.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace pelmora;
using namespace pelmora::outbound;
using form::Action;

namespace {

struct Recorder final : Launcher {
    std::vector<std::pair<std::u16string, int>> launches;
    void launch(std::u16string_view commandLine, int windowStyle) override {
        launches.emplace_back(commandLine, windowStyle);
    }
};

TEST(Actions, EachControlFollowsItsLinkWithItsStyle) {
    const std::u16string site = u"explorer https://www.vastrel.example/";
    const std::u16string consult = u"explorer https://www.vastrel.example/consult/";
    struct Row {
        const char* control;
        const char* verdict;
        std::u16string command; // empty: no launch
        int style;
        bool qrCode = false;
    };
    const Row rows[] = {
        {"在线咨询", "综合计算中…", consult, kWindowNormal},
        {"logo", "", site, kWindowHidden},
        {"Vastrel", "", site, kWindowHidden},
        {"评分结果", "积分通过，马上入户", consult, kWindowNormal},
        {"评分结果", "差一点，考证入户", consult, kWindowNormal},
        {"评分结果", "综合计算中…", u"", 0},
        {"评分结果", "需要补充一点分数…", u"", 0},
        {"评分结果", "积分通过，马上入户 ", u"", 0}, // character for character
        {"评分结果", "差一点,考证入户", u"", 0},     // an ASCII comma
        {"评分结果", "积分通过", u"", 0},
        {"评分结果", "", u"", 0},
        {"Picture1", "积分通过，马上入户", u"", 0, true}, // opens a window, not a page
        {"重置", "", u"", 0},
        {"合计得分", "", u"", 0},
    };
    for (const Row& row : rows) {
        Recorder recorder;
        const form::Effect effect = form::effectOf(form::actionOf(row.control), row.verdict);
        EXPECT_EQ(effect.openQrCode, row.qrCode) << row.control;
        if (effect.link)
            launch(recorder, *effect.link);
        if (row.command.empty()) {
            EXPECT_TRUE(recorder.launches.empty()) << row.control << " " << row.verdict;
            continue;
        }
        ASSERT_EQ(recorder.launches.size(), 1u) << row.control << " " << row.verdict;
        EXPECT_TRUE(recorder.launches[0].first == row.command) << row.control;
        EXPECT_EQ(recorder.launches[0].second, row.style) << row.control;
    }
}

TEST(Actions, CommandsRunOnTheSheetAndTheVerdictReadsIt) {
    ScoreSheet sheet([] { return 2026; });
    sheet.setText(Field::统一月数, "36");
    EXPECT_FALSE(form::run(sheet, form::actionOf("统一月")).link);
    EXPECT_EQ(sheet.text(Field::失业月数), "36");
    sheet.setText(Field::统一年数, "2");
    form::run(sheet, form::actionOf("统一年"));
    EXPECT_EQ(sheet.text(Field::养老月数), "24");
    sheet.setText(Field::ID, "440301198503071234");
    form::run(sheet, form::actionOf("身份证解读"));
    EXPECT_EQ(sheet.text(Field::年龄), "41");
    EXPECT_TRUE(form::run(sheet, form::actionOf("评分结果")).link); // a result: it leads on
    form::run(sheet, form::actionOf("重置"));
    EXPECT_EQ(sheet.text(Field::养老月数), "0");
    EXPECT_FALSE(form::run(sheet, form::actionOf("评分结果")).link); // "综合计算中…"
}

TEST(Actions, AddressToCopyIsTheCommandWithoutItsProgram) {
    EXPECT_TRUE(addressOf(u"explorer https://a.example/") == u"https://a.example/");
    EXPECT_TRUE(addressOf(u"explorer ") == u"");
    EXPECT_TRUE(addressOf(u"explorerhttps://a.example/") == u"explorerhttps://a.example/");
    EXPECT_TRUE(addressOf(u"cmd /c x") == u"cmd /c x");
    EXPECT_TRUE(commandLine(u"https://a.example/?q=\"x\" y") ==
                u"explorer https://a.example/?q=\"x\" y"); // passed on as it is, unquoted
}

} // namespace
