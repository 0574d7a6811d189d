// What a click on a control of the form does, for every view: a command on the score
// sheet, a link to follow, or the QR-code window to open. A view turns its toolkit's click
// into run(sheet, actionOf(name)) and carries out the Effect; it decides nothing itself.
#pragma once

#include "links/outbound.h"
#include "scoring/fields.h"

#include <optional>
#include <string_view>

namespace pelmora {
class ScoreSheet;
}

namespace pelmora::form {

enum class Action : unsigned char {
    None,
    Reset,       // 重置
    UnifyMonths, // 统一月
    UnifyYears,  // 统一年
    InterpretId, // 身份证解读
    Consult,     // 在线咨询
    Verdict,     // 评分结果: the consultation page while it shows a result
    Site,        // logo, Vastrel
    OpenQrCode,  // Picture1
};

// The action of a click on the named control; None for a control that does nothing.
Action actionOf(std::string_view control);

// Whether the action writes the score sheet (so that a screen reader hears its results).
bool changesSheet(Action action);

// The field F1 explains when the named control has the focus: its own field, the box a
// command reads (统一月数, 统一年数, ID), else the verdict (重置, 在线咨询, 评分结果).
Field helpField(std::string_view control);

// What the view must do besides the sheet's own changes.
struct Effect {
    std::optional<outbound::Link> link; // open this address with this window style
    bool openQrCode = false;            // show the one QR-code window of the run
};

// What an action that does not write the sheet leaves for the view, given the verdict
// caption as the verdict button shows it (the verdict leads somewhere only on a result).
Effect effectOf(Action action, std::string_view verdictCaption);

// Runs the action on the sheet (the reset, the unify commands and the interpretation
// write it; the verdict reads it) and returns what is left for the view to do.
Effect run(ScoreSheet& sheet, Action action);

} // namespace pelmora::form
