// The one sentence a screen reader hears after the user acts on a control, composed here
// for every view: a view takes a Heard before the action and delivers message() after it.
//
// Each message tells the whole current result on its own: what the action changed among
// the control's heard fields (form.h), then always the total and the verdict. A screen
// reader that drops all but the newest of several quick messages (keys typed fast) loses
// nothing, and a change that leaves every score as it was is heard as such.
#pragma once

#include "form.h"

#include <array>
#include <string>

namespace pelmora {
class ScoreSheet;
}

namespace pelmora::form {

class Heard {
  public:
    // Notes what the fields heard for the control hold before the action.
    Heard(const ScoreSheet& sheet, const Control& control);

    // "年龄得分 -6，个人得分 -6，合计得分 -6，需要补充一点分数…"; empty for a control whose
    // edits are not heard (the ID and unify boxes), whatever they did.
    std::string message(const ScoreSheet& sheet) const;

  private:
    const Control& m_control;
    std::array<std::string, FieldList::kCapacity> m_before;
};

} // namespace pelmora::form
