// The main window's explanations: the tooltips, F1 and the copied assessment. Their texts
// are composed by present/compose.h when asked for and delivered unchanged.
#include "mainwindow.h"

#include "form/actions.h"
#include "present/compose.h"
#include "text.h"

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace pelmora::win32 {

namespace {

// How wide a tooltip grows before it wraps a line: a suggestion keeps to one line (about
// forty characters of the form's font), yet the tip fits on a small screen.
constexpr int kTipWidth = 8100; // twips, 540 pixels at 96 dpi

// What the system posts after F1's key, and DefWindowProc turns into WM_HELP (not in the
// headers).
constexpr UINT kKeyF1 = 0x004d;

// Long enough to read an explanation with its suggestions (the longest the control takes).
constexpr int kTipShowMs = 32767;

// The one item of the window's menu.
constexpr UINT kCopyCommand = 1;

// Windows' plain text ends its lines with "\r\n".
std::wstring windowsLines(std::wstring_view text) {
    std::wstring lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            lines += L'\r';
        lines += text[i];
    }
    return lines;
}

bool hasTooltip(Field field) {
    return fieldKind(field) == FieldKind::Label || fieldKind(field) == FieldKind::Button;
}

HWND createTooltip(HWND owner) {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The one tool of the F1 tooltip: placed by the window, shown until taken away.
TTTOOLINFOW helpTool(HWND owner, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = owner;
    tool.lpszText = const_cast<wchar_t*>(text);
    return tool;
}

} // namespace

void MainWindow::addTooltips() {
    m_tooltip = createTooltip(m_window);
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

    m_helpTip = createTooltip(m_window);
    TTTOOLINFOW tool = helpTool(m_window, L"");
    SendMessageW(m_helpTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// After layout() made the fonts for the window's DPI.
void MainWindow::fitTooltips() {
    for (HWND tip : {m_tooltip, m_helpTip}) {
        // The form's font has the Chinese characters, which the system's may lack.
        SendMessageW(tip, WM_SETFONT, WPARAM(m_fonts[std::size_t(form::Font::D)]), FALSE);
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, form::pixels(kTipWidth, int(m_dpi)));
    }
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

// Takes F1 and Ctrl+Shift+C, and ends F1's tooltip at the next key or click, before the
// dialog keys see them.
bool MainWindow::explainKey(const MSG& message) {
    if (message.hwnd != m_window && message.hwnd != m_helpTip && !IsChild(m_window, message.hwnd))
        return false;
    switch (message.message) {
    case kKeyF1:
        return true; // F1 has explained: nothing else asks for help (WM_HELP)
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        hideHelp();
        break;
    default:
        return false;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
        explainFocus();
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
        GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_MENU) >= 0) {
        copyAssessment();
        return true;
    }
    return false;
}

// Shows under the focused control, and says, what its score is made of, the total and the
// verdict, what is missing and the best step to take.
void MainWindow::explainFocus() {
    const Made* made = byWindow(GetFocus());
    if (!made)
        return;
    const std::wstring text = widen(helpText(m_sheet, form::helpField(made->row->name)));
    TTTOOLINFOW tool = helpTool(m_window, text.c_str());
    SendMessageW(m_helpTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT box{};
    GetWindowRect(made->window, &box);
    SendMessageW(m_helpTip, TTM_TRACKPOSITION, 0, MAKELPARAM(box.left, box.bottom));
    SendMessageW(m_helpTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    say(text);
}

void MainWindow::hideHelp() {
    if (!IsWindowVisible(m_helpTip))
        return;
    TTTOOLINFOW tool = helpTool(m_window, nullptr);
    SendMessageW(m_helpTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::showContextMenu(LPARAM at) {
    POINT place{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) { // from the keyboard: under the focused control
        RECT box{};
        GetWindowRect(GetFocus() ? GetFocus() : m_window, &box);
        place = {box.left, box.bottom};
    }
    // Drawn by the window in the form's font: the system's menu font may have no Chinese.
    // Screen readers know an item drawn so by the name its data carries.
    std::wstring caption = widen(form::kCopyAssessment);
    MSAAMENUINFO named{MSAA_MENU_SIG, DWORD(caption.size()), caption.data()};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STRING;
    item.fType = MFT_OWNERDRAW;
    item.wID = kCopyCommand;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(&named);
    item.dwTypeData = caption.data();
    HMENU menu = CreatePopupMenu();
    InsertMenuItemW(menu, 0, TRUE, &item);
    const UINT chosen = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, place.x, place.y,
                                            0, m_window, nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyCommand)
        copyAssessment();
}

// The menu's item, as wide as its caption in the form's font and a check mark's room on
// either side.
bool MainWindow::measureMenuItem(MEASUREITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU || item.itemID != kCopyCommand)
        return false;
    const auto* named = reinterpret_cast<const MSAAMENUINFO*>(item.itemData);
    HDC dc = GetDC(m_window);
    HGDIOBJ old = SelectObject(dc, m_fonts[std::size_t(form::Font::D)]);
    SIZE text{};
    GetTextExtentPoint32W(dc, named->pszWText, int(named->cchWText), &text);
    SelectObject(dc, old);
    ReleaseDC(m_window, dc);
    const int room = GetSystemMetricsForDpi(SM_CXMENUCHECK, m_dpi);
    item.itemWidth = UINT(text.cx + 2 * room);
    item.itemHeight = UINT(std::max<int>(text.cy + form::pixels(60, int(m_dpi)),
                                         GetSystemMetricsForDpi(SM_CYMENU, m_dpi)));
    return true;
}

bool MainWindow::drawMenuItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU || item.itemID != kCopyCommand)
        return false;
    const auto* named = reinterpret_cast<const MSAAMENUINFO*>(item.itemData);
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(item.hDC, m_fonts[std::size_t(form::Font::D)]);
    RECT text = item.rcItem;
    text.left += GetSystemMetricsForDpi(SM_CXMENUCHECK, m_dpi);
    DrawTextW(item.hDC, named->pszWText, int(named->cchWText), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    return true;
}

void MainWindow::copyAssessment() {
    const std::wstring text = windowsLines(widen(assessmentText(m_sheet, today())));
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!data)
        return;
    std::memcpy(GlobalLock(data), text.c_str(), bytes);
    GlobalUnlock(data);
    if (!OpenClipboard(m_window)) {
        GlobalFree(data);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, data))
        GlobalFree(data); // else the clipboard owns it
    CloseClipboard();
}

// F1 is heard through the same live region as every action.
void MainWindow::say(const std::wstring& message) {
    m_liveRegion->say(narrow(message));
}

} // namespace pelmora::win32
