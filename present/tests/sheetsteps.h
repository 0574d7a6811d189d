// A sheet state written as the edits a user makes, for the tables of these tests.
#pragma once

#include "scoring/scoresheet.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace pelmora::testing {

inline int fixedYear() {
    return 2026;
}

struct Step {
    Field field;
    std::string_view text; // 公司申办: "1" checks it; 统一月数 and 统一年数 are clicked after
};
using Steps = std::vector<Step>;

inline void play(ScoreSheet& sheet, const Steps& steps) {
    for (const Step& step : steps) {
        if (step.field == Field::公司申办) {
            sheet.setChecked(step.text == "1");
            continue;
        }
        ASSERT_TRUE(sheet.setText(step.field, step.text)) << fieldName(step.field);
        if (step.field == Field::统一月数)
            sheet.click(Command::统一月);
        else if (step.field == Field::统一年数)
            sheet.click(Command::统一年);
        else if (step.field == Field::ID)
            sheet.click(Command::身份证解读);
    }
}

} // namespace pelmora::testing
