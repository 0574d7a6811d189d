#include "actions.h"

#include "inputrules.h"
#include "scoring/scoresheet.h"

namespace pelmora::form {

Action actionOf(std::string_view control) {
    struct Binding {
        std::string_view control;
        Action action;
    };
    static constexpr Binding kBindings[] = {
        {"重置", Action::Reset},          {"统一月", Action::UnifyMonths},
        {"统一年", Action::UnifyYears},   {"身份证解读", Action::InterpretId},
        {"在线咨询", Action::Consult},    {"评分结果", Action::Verdict},
        {"logo", Action::Site},           {"Vastrel", Action::Site},
        {"Picture1", Action::OpenQrCode},
    };
    for (const Binding& b : kBindings) {
        if (b.control == control)
            return b.action;
    }
    return Action::None;
}

Field helpField(std::string_view control) {
    if (const std::optional<Field> field = fieldByName(control))
        return *field;
    switch (actionOf(control)) {
    case Action::UnifyMonths:
        return Field::统一月数;
    case Action::UnifyYears:
        return Field::统一年数;
    case Action::InterpretId:
        return Field::ID;
    default:
        return Field::评分结果;
    }
}

bool changesSheet(Action action) {
    switch (action) {
    case Action::Reset:
    case Action::UnifyMonths:
    case Action::UnifyYears:
    case Action::InterpretId:
        return true;
    default:
        return false;
    }
}

Effect run(ScoreSheet& sheet, Action action) {
    switch (action) {
    case Action::Reset:
        resetInputs(sheet);
        break;
    case Action::UnifyMonths:
        sheet.click(Command::统一月);
        break;
    case Action::UnifyYears:
        sheet.click(Command::统一年);
        break;
    case Action::InterpretId:
        sheet.click(Command::身份证解读);
        break;
    default:
        return effectOf(action, sheet.text(Field::评分结果));
    }
    return {};
}

Effect effectOf(Action action, std::string_view verdictCaption) {
    switch (action) {
    case Action::Consult:
        return {outbound::linkOf("在线咨询"), false};
    case Action::Verdict:
        return {outbound::linkOf("评分结果", verdictCaption), false};
    case Action::Site:
        return {outbound::linkOf("Vastrel"), false};
    case Action::OpenQrCode:
        return {std::nullopt, true};
    default:
        return {};
    }
}

} // namespace pelmora::form
