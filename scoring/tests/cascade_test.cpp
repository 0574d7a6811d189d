// The score sheet as a whole: what each write sets off, in which order, and where it ends.
#include "scoring/scoresheet.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace pelmora;

namespace {

class Sheet : public ::testing::Test {
  protected:
    Sheet() : sheet([] { return 2026; }) {
        sheet.subscribe(
            [this](Field f) { log.push_back(std::string(fieldName(f)) + "=" + sheet.text(f)); });
    }

    void set(Field f, const std::string& text) { ASSERT_TRUE(sheet.setText(f, text)); }
    // The writes that follow, alone.
    void clearLog() { log.clear(); }

    ScoreSheet sheet;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(Sheet, StartsWithTheFormsTextsAndRunsNoRule) {
    EXPECT_EQ(sheet.text(Field::年龄), "18");
    EXPECT_EQ(sheet.text(Field::年龄得分), "5");
    EXPECT_EQ(sheet.text(Field::个人得分), "0");
    EXPECT_EQ(sheet.text(Field::合计得分), "0");
    EXPECT_EQ(sheet.text(Field::评分结果), "综合计算中…");
    EXPECT_EQ(sheet.text(Field::选择学历), "");
    EXPECT_EQ(sheet.text(Field::居住时长), "0");
    EXPECT_EQ(sheet.text(Field::ID), "");
    EXPECT_FALSE(sheet.isChecked());
    EXPECT_FALSE(sheet.isResidenceEnabled());
    EXPECT_TRUE(log.empty());
}

TEST_F(Sheet, RoadOfOneEducationPick) {
    set(Field::年龄, "42");
    EXPECT_EQ(sheet.text(Field::年龄得分), "-6");
    clearLog();
    set(Field::选择学历, "全日制本科");
    EXPECT_EQ(log,
              (Log{"选择学历=全日制本科", "学历得分=90", "合计得分=84", "评分结果=差一点，考证入户",
                   "年龄得分=0", "个人得分=0", "合计得分=90", "评分结果=差一点，考证入户"}));
}

TEST_F(Sheet, CapRewritesTheSocialInsuranceScoreNested) {
    set(Field::学历得分, "80");
    clearLog();
    set(Field::社保得分, "75");
    EXPECT_EQ(log, (Log{"社保得分=75", "社保得分=60", "合计得分=140", "评分结果=积分通过，马上入户",
                        "合计得分=140", "评分结果=积分通过，马上入户"}));
    for (const char* kept : {"60", "59"}) {
        set(Field::社保得分, kept);
        EXPECT_EQ(sheet.text(Field::社保得分), kept);
    }
    set(Field::社保得分, "61");
    EXPECT_EQ(sheet.text(Field::社保得分), "60");
    EXPECT_EQ(sheet.text(Field::合计得分), "140");
}

TEST_F(Sheet, VerdictThresholdsAreStrict) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "需要补充一点分数…"}, {"-20", "需要补充一点分数…"},   {"0.5", "差一点，考证入户"},
        {"99", "差一点，考证入户"}, {"99.5", "积分通过，马上入户"}, {"100", "积分通过，马上入户"},
    };
    for (auto [education, verdict] : cases) {
        set(Field::学历得分, education);
        EXPECT_EQ(sheet.text(Field::合计得分), education);
        EXPECT_EQ(sheet.text(Field::评分结果), verdict) << education;
    }
}

TEST_F(Sheet, TotalAddsLeadingNumbersInShortestForm) {
    struct Case {
        const char *education, *personal, *insurance, *total;
    };
    const Case cases[] = {
        {"80", "25", "0", "105"}, {"12.5", "0", "0", "12.5"}, {"0.1", "0.2", "0", "0.3"},
        {"", "5", "0", "5"},      {"12abc", "0", "0", "12"},  {"100", "-50", "0", "50"},
    };
    for (const Case& c : cases) {
        set(Field::学历得分, c.education);
        set(Field::个人得分, c.personal);
        set(Field::社保得分, c.insurance);
        EXPECT_EQ(sheet.text(Field::合计得分), c.total) << c.education << "+" << c.personal;
    }
}

TEST_F(Sheet, EducationRescoresTheAgeOnlyFrom40To47) {
    struct Case {
        const char* age;
        const char* from;
        const char* to;
        const char* ageBefore;
        const char* ageAfter;
        const char* educationAfter;
    };
    const Case cases[] = {
        {"42", "全日制大专或高技", "全日制本科", "-6", "0", "90"},
        {"44", "全日制本科有学位", "非全日制本科", "0", "-10", "80"},
        {"38", "全日制本科", "中专", "1", "1", "0"},
        {"50", "高中或以下学历", "全日制本科有学位", "0", "0", "100"},
        {"47", "全日制本科", "非全日制大专或高技", "0", "-25", "60"},
    };
    for (const Case& c : cases) {
        set(Field::年龄, c.age);
        set(Field::选择学历, c.from);
        EXPECT_EQ(sheet.text(Field::年龄得分), c.ageBefore) << c.age;
        set(Field::选择学历, c.to);
        EXPECT_EQ(sheet.text(Field::年龄得分), c.ageAfter) << c.age;
        EXPECT_EQ(sheet.text(Field::学历得分), c.educationAfter) << c.age;
        EXPECT_EQ(sheet.text(Field::个人得分), c.ageAfter) << c.age;
    }
}

TEST_F(Sheet, RepickingTheSameItemRewritesTheSameTexts) {
    set(Field::选择学历, "全日制本科有学位");
    const std::string total = sheet.text(Field::合计得分);
    clearLog();
    set(Field::选择学历, "全日制本科有学位");
    EXPECT_EQ(log, (Log{"选择学历=全日制本科有学位", "学历得分=100", "合计得分=105",
                        "评分结果=积分通过，马上入户", "年龄得分=5", "个人得分=5", "合计得分=105",
                        "评分结果=积分通过，马上入户"}));
    EXPECT_EQ(sheet.text(Field::合计得分), total);
}

TEST_F(Sheet, ListsRefuseTextsThatAreNoItem) {
    set(Field::房产状况, "居住证");
    clearLog();
    for (const char* text : {"", "居住", "居住证 ", "全日制本科"})
        EXPECT_FALSE(sheet.setText(Field::房产状况, text)) << text;
    EXPECT_FALSE(sheet.setText(Field::公司申办, "1"));
    EXPECT_EQ(sheet.text(Field::房产状况), "居住证");
    EXPECT_TRUE(log.empty());
}

TEST_F(Sheet, EmptiedAgeIsRefilledByANestedRun) {
    set(Field::年龄, "42");
    clearLog();
    set(Field::年龄, "");
    EXPECT_EQ(log, (Log{"年龄=", "年龄=18", "年龄得分=5", "个人得分=5", "合计得分=5",
                        "评分结果=差一点，考证入户", "个人得分=5", "合计得分=5",
                        "评分结果=差一点，考证入户"}));
}

TEST_F(Sheet, EmptiedResidenceIsRefilled) {
    set(Field::房产状况, "居住证");
    set(Field::居住时长, "1000");
    EXPECT_EQ(sheet.text(Field::房产得分), "2");
    set(Field::居住时长, "");
    EXPECT_EQ(sheet.text(Field::居住时长), "0");
    EXPECT_EQ(sheet.text(Field::房产得分), "0");
}

TEST_F(Sheet, TypingScoresEveryIntermediateText) {
    set(Field::年龄, "4");
    EXPECT_EQ(sheet.text(Field::年龄得分), "0");
    set(Field::年龄, "45");
    EXPECT_EQ(sheet.text(Field::年龄得分), "-15");
    EXPECT_EQ(sheet.text(Field::个人得分), "-15");
    EXPECT_EQ(sheet.text(Field::评分结果), "需要补充一点分数…");
}

TEST_F(Sheet, UnreadableAgeScoresZeroEveryTime) {
    set(Field::年龄, "42");
    for (const char* text : {"abc", "1e999", "４２", "nan"}) {
        set(Field::年龄, text);
        EXPECT_EQ(sheet.text(Field::年龄得分), "0") << text;
        EXPECT_EQ(sheet.text(Field::个人得分), "0") << text;
        set(Field::选择学历, "中专");
        EXPECT_EQ(sheet.text(Field::年龄得分), "0") << text;
    }
}

TEST_F(Sheet, PropertyAndResidenceShareTheHousingItem) {
    set(Field::房产状况, "居住证");
    EXPECT_TRUE(sheet.isResidenceEnabled());
    EXPECT_EQ(sheet.text(Field::房产得分), "0");
    set(Field::居住时长, "1000");
    EXPECT_EQ(sheet.text(Field::房产得分), "2");
    set(Field::房产状况, "有房无按揭");
    EXPECT_EQ(sheet.text(Field::房产得分), "30");
    EXPECT_FALSE(sheet.isResidenceEnabled());
    EXPECT_EQ(sheet.text(Field::居住时长), "1000");
    set(Field::房产状况, "居住证");
    EXPECT_EQ(sheet.text(Field::房产得分), "0"); // not 2 until the box changes
    // The residence rule scores even while the box is disabled.
    set(Field::房产状况, "有房有按揭");
    set(Field::居住时长, "9999999999");
    EXPECT_EQ(sheet.text(Field::房产得分), "10");
    EXPECT_EQ(sheet.text(Field::个人得分), "15");
}

TEST_F(Sheet, BirthOutsidePolicy) {
    set(Field::房产状况, "无房产");
    set(Field::生育状况, "政策外生育");
    EXPECT_EQ(sheet.text(Field::生育得分), "-50");
    EXPECT_EQ(sheet.text(Field::个人得分), "-45");
    EXPECT_EQ(sheet.text(Field::合计得分), "-45");
}

TEST_F(Sheet, PersonalSumIsRecomputedNeverAdjusted) {
    set(Field::个人得分, "77");
    set(Field::生育状况, "未育");
    EXPECT_EQ(sheet.text(Field::个人得分), "5");
}

TEST_F(Sheet, MonthsWorkedExampleWithAndWithoutEmployer) {
    const std::pair<Field, const char*> months[] = {{Field::养老月数, "35"},
                                                    {Field::医疗月数, "35"},
                                                    {Field::工伤月数, "11"},
                                                    {Field::生育险月数, "12"},
                                                    {Field::失业月数, "24"}};
    for (auto [box, text] : months)
        set(box, text);
    EXPECT_EQ(sheet.text(Field::养老得分), "6");
    EXPECT_EQ(sheet.text(Field::医疗得分), "2");
    EXPECT_EQ(sheet.text(Field::工伤得分), "0");
    EXPECT_EQ(sheet.text(Field::生育险得分), "1");
    EXPECT_EQ(sheet.text(Field::失业得分), "2");
    EXPECT_EQ(sheet.text(Field::社保得分), "11");
    sheet.setChecked(true);
    EXPECT_EQ(sheet.text(Field::社保得分), "21");
    sheet.setChecked(false);
    EXPECT_EQ(sheet.text(Field::社保得分), "11");
}

TEST_F(Sheet, EmployerFlagNotifiesOnlyOnChange) {
    sheet.setChecked(true);
    EXPECT_EQ(sheet.text(Field::社保得分), "10");
    clearLog();
    sheet.setChecked(true);
    EXPECT_TRUE(log.empty());
}

TEST_F(Sheet, EmptiedMonthsBoxIsRefilled) {
    set(Field::医疗月数, "24");
    clearLog();
    set(Field::医疗月数, "");
    EXPECT_EQ(log, (Log{"医疗月数=", "医疗月数=0", "医疗得分=0", "社保得分=0", "合计得分=0",
                        "评分结果=需要补充一点分数…", "社保得分=0", "合计得分=0",
                        "评分结果=需要补充一点分数…"}));
}

TEST_F(Sheet, ItemScoresStayUncappedWhileTheCategoryIsCapped) {
    set(Field::养老月数, "360");
    EXPECT_EQ(sheet.text(Field::养老得分), "90");
    EXPECT_EQ(sheet.text(Field::社保得分), "60");
    set(Field::医疗月数, "120");
    EXPECT_EQ(sheet.text(Field::社保得分), "60");
    set(Field::养老月数, "3000000000");
    EXPECT_EQ(sheet.text(Field::养老得分), "750000000");
    EXPECT_EQ(sheet.text(Field::社保得分), "60");
    set(Field::养老月数, "12");
    EXPECT_EQ(sheet.text(Field::社保得分), "13"); // from the items, not from the capped 60
}

struct UnifyCase {
    const char* name;
    Command command;
    Field source;
    const char* text;
    const char* boxes;   // what each months box shows afterwards
    const char* pension; // 养老得分
    const char* total;   // 社保得分 without the employer
};

// Lets a failure or a test listing show the case, not its bytes.
void PrintTo(const UnifyCase& c, std::ostream* out) {
    *out << commandName(c.command) << " with " << fieldName(c.source) << " \"" << c.text
         << "\" -> boxes \"" << c.boxes << "\", 养老得分 " << c.pension << ", 社保得分 " << c.total;
}

class Unify : public Sheet, public ::testing::WithParamInterface<UnifyCase> {};

TEST_P(Unify, FillsTheFiveBoxes) {
    const UnifyCase& c = GetParam();
    set(Field::养老月数, "7");
    set(c.source, c.text);
    sheet.click(c.command);
    for (Field box :
         {Field::养老月数, Field::医疗月数, Field::工伤月数, Field::生育险月数, Field::失业月数})
        EXPECT_EQ(sheet.text(box), c.boxes) << fieldName(box);
    EXPECT_EQ(sheet.text(Field::养老得分), c.pension);
    EXPECT_EQ(sheet.text(Field::社保得分), c.total);
    EXPECT_EQ(sheet.text(c.source), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Unify,
    ::testing::Values(
        UnifyCase{"months36", Command::统一月, Field::统一月数, "36", "36", "9", "21"},
        UnifyCase{"months12_5", Command::统一月, Field::统一月数, "12.5", "12.5", "3", "7"},
        UnifyCase{"months23_5", Command::统一月, Field::统一月数, "23.5", "23.5", "6", "14"},
        UnifyCase{"monthsLeadingZeros", Command::统一月, Field::统一月数, "0024", "0024", "6",
                  "14"},
        UnifyCase{"monthsZero", Command::统一月, Field::统一月数, "0", "0", "0", "0"},
        UnifyCase{"monthsNegative", Command::统一月, Field::统一月数, "-5", "0", "0", "0"},
        UnifyCase{"years2", Command::统一年, Field::统一年数, "2", "24", "6", "14"},
        UnifyCase{"years1_5", Command::统一年, Field::统一年数, "1.5", "18", "3", "7"},
        UnifyCase{"years0_5", Command::统一年, Field::统一年数, "0.5", "6", "0", "0"},
        UnifyCase{"years0_3", Command::统一年, Field::统一年数, "0.3", "3.6", "0", "0"},
        UnifyCase{"yearsNegative", Command::统一年, Field::统一年数, "-1", "0", "0", "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Sheet, UnifyWith36AndTheEmployer) {
    sheet.setChecked(true);
    set(Field::统一月数, "36");
    sheet.click(Command::统一月);
    EXPECT_EQ(sheet.text(Field::社保得分), "31");
    EXPECT_EQ(sheet.text(Field::失业得分), "3");
}

TEST_F(Sheet, UnifyWithAnEmptyBoxOnlyRefillsIt) {
    for (auto [command, source] : {std::pair{Command::统一月, Field::统一月数},
                                   std::pair{Command::统一年, Field::统一年数}}) {
        set(Field::养老月数, "24");
        set(source, "");
        clearLog();
        sheet.click(command);
        EXPECT_EQ(log, Log{std::string(fieldName(source)) + "=0"});
        EXPECT_EQ(sheet.text(Field::养老月数), "24");
    }
}

TEST_F(Sheet, UnifyWithTextThatIsNoNumberChangesNothing) {
    set(Field::养老月数, "24");
    const std::pair<Field, const char*> cases[] = {
        {Field::统一月数, "abc"},
        {Field::统一月数, "1e999"},
        {Field::统一年数, "3年"},
        {Field::统一年数, "1e308"}, // twelve times it overflows
    };
    for (auto [source, text] : cases) {
        set(source, text);
        clearLog();
        sheet.click(source == Field::统一月数 ? Command::统一月 : Command::统一年);
        EXPECT_TRUE(log.empty()) << text;
        EXPECT_EQ(sheet.text(Field::养老月数), "24");
    }
}

TEST_F(Sheet, UnifyWritesTheBoxesInOrderEachWithItsCascade) {
    set(Field::统一月数, "12");
    clearLog();
    sheet.click(Command::统一月);
    std::vector<std::string> boxes;
    for (const std::string& entry : log) {
        if (entry.find("月数=") != std::string::npos)
            boxes.push_back(entry);
    }
    EXPECT_EQ(boxes,
              (Log{"养老月数=12", "医疗月数=12", "工伤月数=12", "生育险月数=12", "失业月数=12"}));
    // Each box's cascade ends before the next box is written.
    EXPECT_EQ(log[1], "养老得分=3");
    EXPECT_EQ(log[2], "社保得分=3");
    EXPECT_EQ(log.back(), "评分结果=差一点，考证入户");
}

TEST_F(Sheet, IdNumberWritesBirthDateSexThenAge) {
    set(Field::ID, "440301198503071234");
    clearLog();
    sheet.click(Command::身份证解读);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ((Log{log[0], log[1], log[2], log[3]}),
              (Log{"出生日期=1985年03月07日", "性别=男", "年龄=41", "年龄得分=-4"}));
    EXPECT_EQ(sheet.text(Field::个人得分), "-4");
    // Clicking again rewrites the same texts.
    Log first = log;
    clearLog();
    sheet.click(Command::身份证解读);
    EXPECT_EQ(log, first);
}

TEST_F(Sheet, IdNumberAgeFollowsTheYearAndFeedsTheAgeRule) {
    const std::pair<const char*, const char*> cases[] = {
        {"440301850307122", "41"},    // 1985
        {"440301000101001", "126"},   // 1900
        {"440301203001011234", "-4"}, // born after this year
        {"440301199001011234", "36"},
    };
    for (auto [number, age] : cases) {
        set(Field::ID, number);
        sheet.click(Command::身份证解读);
        EXPECT_EQ(sheet.text(Field::年龄), age) << number;
    }
    EXPECT_EQ(sheet.text(Field::年龄得分), "1"); // 36
}

TEST_F(Sheet, WrongIdNumberOnlyShowsTheError) {
    set(Field::ID, "440301198503071234");
    sheet.click(Command::身份证解读);
    for (const char* number : {"", "44030119850307123", "4403011985030712345", "44030119X503071234",
                               "身份证号码身份证号码身份证号码"}) {
        set(Field::ID, number);
        clearLog();
        sheet.click(Command::身份证解读);
        EXPECT_EQ(log, Log{"出生日期=号码有误"}) << number;
        EXPECT_EQ(sheet.text(Field::性别), "男");
        EXPECT_EQ(sheet.text(Field::年龄), "41");
    }
}

TEST_F(Sheet, InvalidUtf8IsStoredRepaired) {
    set(Field::统一月数, "3\xFF");
    EXPECT_EQ(sheet.text(Field::统一月数), "3\xEF\xBF\xBD");
}

TEST(Subscriptions, SafeToChangeWhileDelivering) {
    ScoreSheet sheet;
    std::vector<std::string> heard;
    ScoreSheet::SubscriptionId self = 0, late = 0;
    // Unsubscribes itself and subscribes another on its first notification.
    self = sheet.subscribe([&](Field f) {
        heard.push_back("self:" + std::string(fieldName(f)));
        sheet.unsubscribe(self);
        late =
            sheet.subscribe([&](Field g) { heard.push_back("late:" + std::string(fieldName(g))); });
    });
    // Writes while being told of a write: the nested write is delivered in full.
    bool wrote = false;
    sheet.subscribe([&](Field f) {
        if (f == Field::统一年数 && !wrote) {
            wrote = true;
            sheet.setText(Field::统一月数, "5");
        }
    });
    sheet.setText(Field::统一年数, "1");
    EXPECT_EQ(heard, (std::vector<std::string>{"self:统一年数", "late:统一月数"}));
    EXPECT_EQ(sheet.text(Field::统一月数), "5");
    sheet.unsubscribe(late);
    heard.clear();
    sheet.setText(Field::统一年数, "2");
    EXPECT_TRUE(heard.empty());
}

TEST_F(Sheet, CopyTakesTheStateButNotTheObservers) {
    // The start state is inconsistent (个人得分 "0" beside 年龄得分 "5"): no replay of the
    // inputs could rebuild it, a copy must keep it.
    EXPECT_EQ(ScoreSheet(sheet).text(Field::个人得分), "0");

    set(Field::房产状况, "居住证");
    set(Field::居住时长, "1000");
    sheet.setChecked(true);
    set(Field::ID, "440301200001011234");
    clearLog();

    ScoreSheet copy(sheet);
    for (int i = 0; i < kFieldCount; ++i)
        EXPECT_EQ(copy.text(Field(i)), sheet.text(Field(i))) << fieldName(Field(i));
    EXPECT_TRUE(copy.isChecked());
    EXPECT_TRUE(copy.isResidenceEnabled());

    copy.setText(Field::房产状况, "有房无按揭");
    copy.setChecked(false);
    copy.click(Command::身份证解读);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(copy.text(Field::年龄), "26"); // the year source came along
    EXPECT_EQ(copy.text(Field::房产得分), "30");
    EXPECT_FALSE(copy.isResidenceEnabled());
    EXPECT_EQ(sheet.text(Field::房产得分), "2");
    EXPECT_TRUE(sheet.isResidenceEnabled());
    EXPECT_TRUE(sheet.isChecked());
    EXPECT_EQ(sheet.text(Field::年龄), "18");
}

TEST(Clock, YearComesFromTheInjectedSource) {
    int year = 2030;
    ScoreSheet sheet([&] { return year; });
    sheet.setText(Field::ID, "440301200001011234");
    sheet.click(Command::身份证解读);
    EXPECT_EQ(sheet.text(Field::年龄), "30");
    year = 2031;
    sheet.click(Command::身份证解读);
    EXPECT_EQ(sheet.text(Field::年龄), "31");
    EXPECT_GE(localCalendarYear(), 2024);
}

} // namespace
