#include "announce.h"

#include "actions.h"
#include "scoring/idnumber.h"
#include "scoring/scoresheet.h"

namespace pelmora::form {

namespace {

constexpr std::string_view kSeparator = "，";
constexpr std::string_view kCleared = "输入已清空";

// The labels that hold points: said only when they changed. Every other heard field (a
// list's item, the birth date, the sex and the age that an interpretation fills in) is said
// as it stands, because the action is about it.
bool isScore(Field field) {
    switch (field) {
    case Field::学历得分:
    case Field::年龄得分:
    case Field::房产得分:
    case Field::生育得分:
    case Field::个人得分:
    case Field::养老得分:
    case Field::医疗得分:
    case Field::工伤得分:
    case Field::生育险得分:
    case Field::失业得分:
    case Field::社保得分:
    case Field::合计得分:
        return true;
    default:
        return false;
    }
}

void add(std::string& message, std::string_view part) {
    if (!message.empty())
        message += kSeparator;
    message += part;
}

// A list's item and the verdict say what they are; any other value needs its name.
void addField(std::string& message, Field field, const std::string& text) {
    const FieldKind kind = fieldKind(field);
    if (kind == FieldKind::List || kind == FieldKind::Button) {
        if (!text.empty())
            add(message, text);
        return;
    }
    add(message, fieldName(field));
    message.append(" ").append(text);
}

} // namespace

Heard::Heard(const ScoreSheet& sheet, const Control& control) : m_control(control) {
    std::size_t i = 0;
    for (Field field : control.heard)
        m_before[i++] = sheet.text(field);
}

std::string Heard::message(const ScoreSheet& sheet) const {
    if (m_control.heard.empty())
        return {};
    std::string message;
    if (actionOf(m_control.name) == Action::Reset) {
        add(message, kCleared);
    } else {
        // An unreadable number fills in nothing but the error. (出生日期 keeps showing it
        // after other actions: only the interpretation's own result counts.)
        const bool unreadable = actionOf(m_control.name) == Action::InterpretId &&
                                sheet.text(Field::出生日期) == kIdNumberError;
        std::size_t i = 0;
        for (Field field : m_control.heard) {
            const std::string& now = sheet.text(field);
            const std::string& before = m_before[i++];
            if (field == Field::合计得分 || field == Field::评分结果)
                continue; // always said, last
            if (isScore(field)) {
                if (now != before)
                    addField(message, field, now);
            } else if (!unreadable) {
                addField(message, field, now);
            } else if (field == Field::出生日期) {
                add(message, now); // "号码有误": 性别 and 年龄 were left as they were
            }
        }
    }
    addField(message, Field::合计得分, sheet.text(Field::合计得分));
    addField(message, Field::评分结果, sheet.text(Field::评分结果));
    return message;
}

} // namespace pelmora::form
