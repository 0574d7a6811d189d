// What the views say about the score sheet beyond its own texts, composed once here and
// delivered unchanged by every view. Standard C++ only; every figure comes from the rules
// of scoring/ (their constants, or a copy of the sheet run through them).
//
//   explain.h  one sentence per score: which input and which band or rule gave it
//   whatif.h   the changes that would raise the total most, and the next three years
//   compose.h  the tooltips, the F1 message and the assessment to copy
#pragma once

#include "scoring/scoresheet.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pelmora {

struct Explanation {
    std::string text;   // one sentence, full-width punctuation
    std::string stated; // the field's text, as the sentence states it
    // The texts of other fields the sentence quotes, each verbatim.
    std::vector<std::pair<Field, std::string>> quoted;
    // False when the field still holds a text the rules did not compute from the current
    // inputs (its start caption); the sentence then says so.
    bool fromRules = true;
};

// The item scores, the category scores, 合计得分 and 评分结果, in the form's order.
std::span<const Field> explainedFields();

// The explanation of one of explainedFields(); an empty one for any other field.
Explanation explain(const ScoreSheet& sheet, Field field);
inline std::string explanation(const ScoreSheet& sheet, Field field) {
    return explain(sheet, field).text;
}

// How many points the total lacks: the total must be above the line, so more than this
// is needed (0 at 99: any gain passes). nullopt when the total passes.
std::optional<double> missingPoints(const ScoreSheet& sheet);
// "还须再得多于 9 分", or "再多得任何分数即可通过" when nothing but a gain is missing.
std::string missingPhrase(double missing);

} // namespace pelmora
