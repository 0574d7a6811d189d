// What the window tells a screen reader (Narrator, NVDA) beyond what the standard controls
// expose: names and descriptions from the form's table, and the results of each action
// through a live region.
//
// Both go through Microsoft Active Accessibility's annotations (IAccPropServices). Where
// they are not implemented (Wine answers E_NOTIMPL), the program goes on with what the
// standard proxies give: a box named by the caption label before it in the z-order, a
// control by its own text, and the live region by its text.
#pragma once

#include "form/form.h"

#include <windows.h>

#include <string_view>

struct IAccPropServices;

namespace pelmora::win32 {

class Annotations {
  public:
    Annotations(); // COM must be initialised on this thread
    ~Annotations();
    Annotations(const Annotations&) = delete;
    Annotations& operator=(const Annotations&) = delete;

    // Names and describes the control of a row as the Qt window does on Linux, in Windows'
    // convention: a box or a list by its form name (a list's value is its item), a box
    // with its unit or note; a picture by what it is and what a click does.
    void annotate(const form::Control& row, HWND control);
    // Marks a window as a polite live region.
    void markPolite(HWND window);
    // Drops what was set on a window; before it is destroyed.
    void clear(HWND window);

  private:
    IAccPropServices* m_services = nullptr;
};

// The one status control: a visible static that shows nothing, whose name is the last
// message. Created after every control of the form, last in the z-order, so that it never
// names another control; it takes no focus and no tab place.
class LiveRegion {
  public:
    LiveRegion(HWND parent, int id, Annotations& annotations);
    HWND hwnd() const { return m_window; }
    // Says the message; an empty one says nothing.
    void say(std::string_view message);

  private:
    HWND m_window = nullptr;
};

} // namespace pelmora::win32
