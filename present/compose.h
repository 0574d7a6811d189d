// The texts the views deliver unchanged: tooltips, the F1 message and the assessment to
// copy. Plain UTF-8 strings; lines are separated by "\n".
#pragma once

#include "whatif.h"

#include "scoring/scoresheet.h"

#include <optional>
#include <string>

namespace pelmora {

struct Date {
    int year;
    int month;
    int day;
};

// Today in local time, from the system clock: the date an assessment is copied on.
Date today();

// The score an input feeds (选择学历 -> 学历得分, ID -> 年龄得分, a months box -> its item
// score, 统一月数 -> 社保得分 ...); a score field feeds itself. nullopt for 性别 and 出生日期.
std::optional<Field> scoreFedBy(Field field);

// "学历改为“全日制本科”：+20 分，合计 109 分，结果“积分通过，马上入户”"; the gain is what
// the change brings, and a note in brackets names what else the new total counts.
std::string suggestionLine(const Suggestion& suggestion);

// "每年长一岁，已缴的社保各多缴 12 个月，居住时长多 365 天": how the projection goes on,
// and the points its first year returns that a re-pick of 居住证 set aside.
std::string projectionSentence(const Projection& projection);

// The tooltip of a score label, of 性别 or 出生日期, or of 评分结果 (with the suggestions);
// empty for any other field.
std::string tooltipText(const ScoreSheet& sheet, Field field);

// F1 on a focused input: the explanation of the score it feeds, the total, the verdict with
// the missing points, and the best suggestion.
std::string helpText(const ScoreSheet& sheet, Field input);

// The whole assessment as plain text, one "名称：值" line per input and per score.
std::string assessmentText(const ScoreSheet& sheet, const Date& date);

} // namespace pelmora
