// The main window's explanations: the tooltips. Their texts are composed by
// present/compose.h when asked for and shown unchanged.
#include "mainwindow.h"

#include "present/compose.h"
#include "text.h"

#include <commctrl.h>

namespace pelmora::win32 {

namespace {

// How wide a tooltip grows before it wraps a line: a suggestion keeps to one line (about
// forty characters of the form's font), yet the tip fits on a small screen.
constexpr int kTipWidth = 8100; // twips, 540 pixels at 96 dpi

// Long enough to read an explanation with its suggestions (the longest the control takes).
constexpr int kTipShowMs = 32767;

bool hasTooltip(Field field) {
    return fieldKind(field) == FieldKind::Label || fieldKind(field) == FieldKind::Button;
}

} // namespace

void MainWindow::addTooltips() {
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                m_window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipShowMs, 0));
    for (const Made& made : m_made) {
        const std::optional<Field> field = fieldByName(made.row->name);
        if (!field || !hasTooltip(*field))
            continue;
        // The text is asked for (TTN_GETDISPINFOW) each time the tip shows.
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(made.window);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// After layout() made the fonts for the window's DPI.
void MainWindow::fitTooltips() {
    // The form's font has the Chinese characters, which the system's may lack.
    SendMessageW(m_tooltip, WM_SETFONT, WPARAM(m_fonts[std::size_t(form::Font::D)]), FALSE);
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, form::pixels(kTipWidth, int(m_dpi)));
}

bool MainWindow::answerTooltip(NMHDR& notification) {
    if (notification.code != TTN_GETDISPINFOW || notification.hwndFrom != m_tooltip)
        return false;
    const Made* made = byWindow(reinterpret_cast<HWND>(notification.idFrom));
    const std::optional<Field> field = made ? fieldByName(made->row->name) : std::nullopt;
    m_tipText = field ? widen(tooltipText(m_sheet, *field)) : std::wstring();
    reinterpret_cast<NMTTDISPINFOW&>(notification).lpszText = m_tipText.data();
    return true;
}

} // namespace pelmora::win32
