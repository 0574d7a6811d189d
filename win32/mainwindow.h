// The Windows view: the main window built from the form's table with standard controls,
// bound to the score sheet, as the Qt window is on Linux.
//
//   controlids.h     the control identifiers, derived from the form's tab column
//   mainwindow.h     builds the controls from the table and binds the sheet's fields to them
//   accessibility.h  names and descriptions for screen readers, and the live region
//   explanations.cpp  the main window's tooltips, which say why each score is what it is,
//                    F1, which explains the score the focused input feeds, and the
//                    assessment copied by Ctrl+Shift+C or the window's menu
//   resources.h      the pictures (WIC) and the bundled Song-style font
//   processlauncher.h  the outbound links' launcher: CreateProcessW
//   qrcodewindow.h   the second window with the large QR code
//
// The sheet is the one source of truth. A user's edit (EN_CHANGE, a pick, a click) is
// written into the sheet, whose rules run before the write returns; the window hears of
// every write through its subscription and shows the new text at once. What a user's action
// changed is then said through the live region, in the one message the form composes. Texts from
// the sheet are set only when they differ, and with the window's own notifications ignored, so they
// never echo back and the caret stays where the user left it. The key filters judge typed
// characters (WM_CHAR, and what an input method commits) with the shared input rules; pasted text
// passes unfiltered.
//
// The explanations (present/compose.h) are composed only when asked for: a tooltip's text
// when it shows, F1's on the key, the assessment on Ctrl+Shift+C or the window's menu.
#pragma once

#include "accessibility.h"
#include "form/form.h"
#include "links/outbound.h"
#include "scoring/scoresheet.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::win32 {

class QrCodeWindow;

class MainWindow {
  public:
    MainWindow(ScoreSheet& sheet, outbound::Launcher& launcher);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return m_window; }
    // The control of the named form row, else null.
    HWND control(std::string_view name) const;

    // Hands a message of the thread's loop to the dialog keys (Tab, Shift+Tab); true if
    // it was taken and needs no dispatching.
    bool translate(MSG& message);

    // Runs when the last of the program's windows (this one, the QR-code window) closes.
    void setLastWindowClosed(std::function<void()> closed) { m_lastClosed = std::move(closed); }

    // Null until the first click on Picture1.
    QrCodeWindow* qrCodeWindow() const { return m_qrCodeWindow.get(); }

    // The tooltip of the score labels, 性别, 出生日期 and 评分结果: a tool per control.
    HWND tooltip() const { return m_tooltip; }
    // The tooltip F1 shows under the focused control until the next key or click.
    HWND helpTip() const { return m_helpTip; }

  private:
    struct Made {
        const form::Control* row;
        HWND window;
        int left, top; // twips, from the client area's corner
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void build();
    void layout(UINT dpi);
    void command(const Made& made, int code);
    void act(const form::Control& row, const std::function<void()>& action);
    void refresh(Field field);
    void openQrCodeWindow();
    void checkLastWindowClosed();
    const Made* byWindow(HWND window) const;
    // The explanations (explanations.cpp).
    void addTooltips();
    void fitTooltips();
    bool answerTooltip(NMHDR& notification);
    bool explainKey(const MSG& message);
    void explainFocus();
    void hideHelp();
    void showContextMenu(LPARAM at);
    bool measureMenuItem(MEASUREITEMSTRUCT& item) const;
    bool drawMenuItem(const DRAWITEMSTRUCT& item) const;
    void copyAssessment();
    // Hands a message to a screen reader.
    void say(const std::wstring& message);

    ScoreSheet& m_sheet;
    outbound::Launcher& m_launcher;
    HWND m_window = nullptr;
    std::vector<Made> m_made;        // in the form's order
    std::vector<HWND> m_fields;      // by Field
    std::vector<HFONT> m_fonts;      // by form::Font, for the current DPI
    std::vector<HBITMAP> m_pictures; // by row, null for other controls
    UINT m_dpi = 96;
    HWND m_lastFocus = nullptr;
    HWND m_openList = nullptr; // the drop-down list whose list is open
    int m_updating = 0;        // > 0 while the window itself sets a control's text or pick
    ScoreSheet::SubscriptionId m_subscription = 0;
    Annotations m_annotations;
    std::unique_ptr<LiveRegion> m_liveRegion;
    HWND m_tooltip = nullptr;
    HWND m_helpTip = nullptr;
    std::wstring m_tipText; // what the tooltip shows, kept while it shows
    std::unique_ptr<QrCodeWindow> m_qrCodeWindow;
    std::function<void()> m_lastClosed;
};

} // namespace pelmora::win32
