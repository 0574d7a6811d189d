#include "announce.h"

#include "scoring/scoresheet.h"

#include <algorithm>

namespace pelmora::form {

Heard::Heard(const ScoreSheet& sheet, const Control& control)
    : m_fields(control.heard.begin(), control.heard.end()) {
    for (Field always : {Field::合计得分, Field::评分结果}) {
        if (std::find(m_fields.begin(), m_fields.end(), always) == m_fields.end())
            m_fields.push_back(always);
    }
    m_before.reserve(m_fields.size());
    for (Field field : m_fields)
        m_before.push_back(sheet.text(field));
}

std::string Heard::message(const ScoreSheet& sheet) const {
    std::string message;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const std::string& now = sheet.text(m_fields[i]);
        if (now == m_before[i])
            continue;
        if (!message.empty())
            message += "，";
        // A list's item and the verdict say what they are; a number needs its name.
        const FieldKind kind = fieldKind(m_fields[i]);
        if (kind != FieldKind::List && kind != FieldKind::Button)
            message.append(fieldName(m_fields[i])).append(" ");
        message += now;
    }
    return message;
}

} // namespace pelmora::form
