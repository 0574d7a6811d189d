// The one sentence a screen reader hears after the user acts on a control, composed here
// for every view: a view takes a Heard before the action and delivers message() after it.
#pragma once

#include "form.h"

#include <string>
#include <vector>

namespace pelmora {
class ScoreSheet;
}

namespace pelmora::form {

class Heard {
  public:
    // Notes what the fields heard for the control hold before the action.
    Heard(const ScoreSheet& sheet, const Control& control);

    // Which of those fields the action changed, each as a sighted user sees it change:
    // a list's item and the verdict as they read, a number with its name ("年龄得分 -6").
    // Empty when nothing changed: then nothing is said.
    std::string message(const ScoreSheet& sheet) const;

  private:
    std::vector<Field> m_fields;
    std::vector<std::string> m_before;
};

} // namespace pelmora::form
