// Random sheets, edited as a user can edit them: every explanation agrees with the sheet,
// and every suggestion, made on a real copy, gives what it announced.
#include "present/explain.h"
#include "present/whatif.h"

#include "sheetsteps.h"

#include "scoring/numbers.h"
#include "scoring/points.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace pelmora;
using namespace pelmora::testing;

namespace {

// Pasted texts included: the key filters keep them out of typing, not out of the sheet.
const std::vector<std::string> kAges{"",   "17", "18", "34",  "35",  "39",    "40", "42", "44.75",
                                     "45", "47", "48", "120", "abc", "1e400", "-4", "042"};
const std::vector<std::string> kMonths{"", "0", "11", "12", "12.5", "23.5", "35", "120", "x", "-5"};
const std::vector<std::string> kDays{"", "0", "364", "365", "1000", "3650", "4015", "x", "1e12"};
const std::vector<std::string> kIds{"44030119850307123X", "440301850307122", "4403011985",
                                    "440301198503071", ""};
const Field kBoxes[] = {Field::养老月数, Field::医疗月数, Field::工伤月数, Field::生育险月数,
                        Field::失业月数};

class RandomUser {
  public:
    explicit RandomUser(unsigned seed) : m_random(seed) {}

    void edit(ScoreSheet& sheet) {
        switch (pick(9)) {
        case 0:
            for (Field list : {Field::选择学历, Field::房产状况, Field::生育状况}) {
                if (pick(2) == 0) {
                    auto items = listItems(list);
                    sheet.setText(list, items[pick(items.size())]);
                }
            }
            break;
        case 1:
            sheet.setText(Field::年龄, any(kAges));
            break;
        case 2:
            if (sheet.isResidenceEnabled()) // a disabled box takes no typing
                sheet.setText(Field::居住时长, any(kDays));
            break;
        case 3:
        case 4:
            sheet.setText(kBoxes[pick(5)], any(kMonths));
            break;
        case 5:
            sheet.setText(Field::统一月数, any(kMonths));
            sheet.click(Command::统一月);
            break;
        case 6:
            sheet.setText(Field::统一年数, any(kMonths));
            sheet.click(Command::统一年);
            break;
        case 7:
            sheet.setChecked(pick(2) == 0);
            break;
        case 8:
            if (pick(3) == 0) { // the reset's last write
                sheet.setText(Field::评分结果, "综合计算中…");
            } else {
                sheet.setText(Field::ID, any(kIds));
                sheet.click(Command::身份证解读);
            }
            break;
        }
    }

  private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }
    const std::string& any(const std::vector<std::string>& pool) { return pool[pick(pool.size())]; }

    std::mt19937 m_random;
};

void expectExplanationsAgree(const ScoreSheet& sheet, const std::string& where) {
    for (Field field : explainedFields()) {
        Explanation e = explain(sheet, field);
        SCOPED_TRACE(where + " " + std::string(fieldName(field)) + ": " + e.text);
        EXPECT_EQ(e.stated, sheet.text(field));
        EXPECT_NE(e.text.find(e.stated), std::string::npos);
        // The sentence's own arithmetic reached the field's text, unless the field still
        // shows its start caption (the only text the rules leave standing).
        if (!e.fromRules) {
            EXPECT_EQ(sheet.text(field), startText(field));
        }
        for (const auto& [quoted, text] : e.quoted) {
            EXPECT_EQ(sheet.text(quoted), text) << fieldName(quoted);
            EXPECT_NE(e.text.find(text), std::string::npos) << fieldName(quoted);
        }
    }
}

void expectSuggestionsHold(const ScoreSheet& sheet, const std::string& where) {
    SCOPED_TRACE(where);
    const double now = strictNumber(sheet.text(Field::合计得分)).value_or(0);
    std::vector<Suggestion> list = suggestions(sheet);
    EXPECT_LE(list.size(), kMaxSuggestions);
    if (!missingPoints(sheet)) {
        EXPECT_TRUE(list.empty());
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Suggestion& s = list[i];
        SCOPED_TRACE(s.action);
        if (i > 0) {
            EXPECT_GE(list[i - 1].gain, s.gain);
        }
        ScoreSheet trial(sheet);
        for (const auto& [field, text] : s.change.writes) {
            EXPECT_TRUE(field != Field::年龄 && field != Field::生育状况);
            if (field == Field::选择学历) {
                EXPECT_GT(educationPoints(text), educationPoints(trial.text(field)));
            }
            if (field == Field::居住时长) {
                EXPECT_TRUE(trial.isResidenceEnabled());
            }
            EXPECT_TRUE(trial.setText(field, text));
        }
        if (s.change.checkEmployer)
            trial.setChecked(true);
        const double after = strictNumber(trial.text(Field::合计得分)).value_or(0);
        EXPECT_GT(s.gain, 0);
        EXPECT_EQ(s.gain, after - now);
        // The line's parts add up to the gain it ranks by.
        double parts = s.own + s.returned;
        for (const auto& [name, points] : s.firstCounted)
            parts += points;
        EXPECT_EQ(parts, s.gain);
        if (s.heldDays) {
            EXPECT_EQ(s.heldDays->points + s.heldDays->yearPoints, s.own);
        }
        EXPECT_EQ(s.total, trial.text(Field::合计得分));
        EXPECT_EQ(s.verdict, trial.text(Field::评分结果));
    }
}

TEST(Property, ExplanationsAndSuggestionsAgreeWithTheRules) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        RandomUser user(seed);
        ScoreSheet sheet(fixedYear);
        expectExplanationsAgree(sheet, "start");
        for (int step = 1; step <= 25; ++step) {
            user.edit(sheet);
            const std::string where =
                "seed " + std::to_string(seed) + " step " + std::to_string(step);
            expectExplanationsAgree(sheet, where);
            if (step % 5 == 0)
                expectSuggestionsHold(sheet, where);
        }
        if (::testing::Test::HasFailure())
            return; // one sheet's faults are enough to read
    }
}

} // namespace
