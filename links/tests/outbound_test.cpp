// The link rules every view follows: which control opens what, and the command line.
#include "links/outbound.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace pelmora::outbound;

namespace {

struct Recorder final : Launcher {
    std::vector<std::pair<std::u16string, int>> launches;
    void launch(std::u16string_view commandLine, int windowStyle) override {
        launches.emplace_back(commandLine, windowStyle);
    }
};

TEST(Outbound, EachControlFollowsItsLinkWithItsStyle) {
    const std::u16string site = u"explorer https://www.vastrel.example/";
    const std::u16string consult = u"explorer https://www.vastrel.example/consult/";
    struct Row {
        const char* control;
        const char* verdict;
        std::u16string command; // empty: no launch
        int style;
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
        {"评分结果", "", u"", 0},
        {"Picture1", "积分通过，马上入户", u"", 0}, // opens a window, not a page
        {"重置", "", u"", 0},
    };
    for (const Row& row : rows) {
        Recorder recorder;
        EXPECT_EQ(followLink(recorder, row.control, row.verdict), !row.command.empty())
            << row.control << " " << row.verdict;
        if (row.command.empty()) {
            EXPECT_TRUE(recorder.launches.empty()) << row.control;
            continue;
        }
        ASSERT_EQ(recorder.launches.size(), 1u) << row.control;
        EXPECT_TRUE(recorder.launches[0].first == row.command) << row.control;
        EXPECT_EQ(recorder.launches[0].second, row.style) << row.control;
    }
}

TEST(Outbound, AddressToCopyIsTheCommandWithoutItsProgram) {
    EXPECT_TRUE(addressOf(u"explorer https://a.example/") == u"https://a.example/");
    EXPECT_TRUE(addressOf(u"explorer ") == u"");
    EXPECT_TRUE(addressOf(u"explorerhttps://a.example/") == u"explorerhttps://a.example/");
    EXPECT_TRUE(addressOf(u"cmd /c x") == u"cmd /c x");
    EXPECT_TRUE(commandLine(u"https://a.example/?q=\"x\" y") ==
                u"explorer https://a.example/?q=\"x\" y"); // passed on as it is, unquoted
}

} // namespace
