#include "mainwindow.h"

#include "controlids.h"
#include "form/actions.h"
#include "form/announce.h"
#include "form/inputrules.h"
#include "qrcodewindow.h"
#include "resources.h"
#include "text.h"
#include "windowclass.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <map>

namespace pelmora::win32 {

namespace {

using form::Kind;

// Not WS_CLIPCHILDREN: the group boxes are transparent, the window paints the face behind them.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

int scaled(int twips, UINT dpi) {
    return form::pixels(twips, int(dpi));
}

// Whether a character code types something. Backspace counts (the filters let it through);
// the other control characters are editing shortcuts (Ctrl+V is 22), which keep working.
bool typesCharacter(WPARAM code) {
    return code == 8 || (code >= 0x20 && code != 0x7f);
}

bool refused(Field box, std::wstring_view typed) {
    return std::ranges::any_of(typed, [box](wchar_t c) {
        return typesCharacter(c) && !acceptsTypedCharacter(box, char16_t(c));
    });
}

// The key filter of a number box, ahead of the edit control's own procedure. An input
// method's commit holding a refused character is dropped whole, as its characters would
// have been one by one.
LRESULT CALLBACK keyFilter(HWND edit, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR box) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
        if (refused(Field(box), std::wstring_view(reinterpret_cast<const wchar_t*>(&w), 1)))
            return 0;
        break;
    case WM_IME_COMPOSITION:
        if (l & GCS_RESULTSTR) {
            HIMC context = ImmGetContext(edit);
            const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
            std::wstring result(std::size_t(std::max(bytes, 0L)) / sizeof(wchar_t), L'\0');
            ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), bytes);
            ImmReleaseContext(edit, context);
            if (refused(Field(box), result))
                return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, keyFilter, 1);
        break;
    }
    return DefSubclassProc(edit, message, w, l);
}

// A list's item, in the selection field or the open list, drawn as the standard list draws
// it (text one pixel in from the item's edge, clipped to it), except that an item too wide
// for that inset is drawn from the edge: the five-character items of the form's 83-pixel
// lists need all 60 of the 60 pixels Wine leaves between the frame and the drop button.
void drawListItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool selected = item.itemState & ODS_SELECTED;
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT
                                 : selected                    ? COLOR_HIGHLIGHTTEXT
                                                               : COLOR_WINDOWTEXT));
    std::wstring text;
    if (item.itemID != UINT(-1)) {
        const LRESULT length = SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
        text.resize(std::size_t(std::max(length, LRESULT(0))) + 1);
        text.resize(std::size_t(
            std::max(SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, LPARAM(text.data())),
                     LRESULT(0))));
    }
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    const int inset = size.cx < item.rcItem.right - item.rcItem.left ? 1 : 0;
    ExtTextOutW(dc, item.rcItem.left + inset,
                item.rcItem.top + (item.itemState & ODS_COMBOBOXEDIT ? 1 : 0),
                ETO_OPAQUE | ETO_CLIPPED, &item.rcItem, text.c_str(), UINT(text.size()), nullptr);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}

// The height of a line of the font, which a standard list gives its items.
int lineHeight(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

// The order of the controls among their siblings, which is also the order Tab follows:
// the tab column, but each caption label directly before what it names (so that it names
// it for assistive technology) and the frames last, behind what they hold, a frame inside
// another before it (a group box clips the siblings behind it).
std::vector<const form::Control*> zOrder() {
    std::vector<const form::Control*> order;
    for (const form::Control& c : form::controls())
        order.push_back(&c);
    auto layer = [](const form::Control* c) {
        return c->kind != Kind::Frame ? 0 : c->container.empty() ? 2 : 1;
    };
    std::ranges::stable_sort(order, [&](const form::Control* a, const form::Control* b) {
        return layer(a) != layer(b) ? layer(a) < layer(b) : a->tab < b->tab;
    });
    for (const form::Control& caption : form::controls()) {
        if (caption.names.empty())
            continue;
        std::erase(order, &caption);
        auto named = std::ranges::find_if(
            order, [&](const form::Control* c) { return c->name == caption.names; });
        order.insert(named, &caption);
    }
    return order;
}

} // namespace

int controlId(std::string_view name) {
    for (const form::Control& c : form::controls()) {
        if (c.name == name)
            return controlId(c);
    }
    return 0;
}

MainWindow::MainWindow(ScoreSheet& sheet, outbound::Launcher& launcher)
    : m_sheet(sheet), m_launcher(launcher), m_fields(kFieldCount, nullptr) {
    registerWindowClass(kMainWindowClass, windowProc, true);

    m_window = CreateWindowExW(kWindowExStyle, kMainWindowClass, widen(form::kWindowTitle).c_str(),
                               kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), this);
    m_dpi = GetDpiForWindow(m_window);
    build();
    addTooltips();
    layout(m_dpi);
    m_subscription = m_sheet.subscribe([this](Field field) { refresh(field); });
    m_lastFocus = control(form::firstFocus().name);
}

MainWindow::~MainWindow() {
    m_sheet.unsubscribe(m_subscription);
    m_qrCodeWindow.reset();
    if (m_window && IsWindow(m_window)) {
        for (const Made& made : m_made)
            m_annotations.clear(made.window);
        m_annotations.clear(m_liveRegion->hwnd());
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0); // nothing of the teardown reaches us
        DestroyWindow(m_window);
    }
    for (HFONT font : m_fonts)
        DeleteObject(font);
    for (HBITMAP picture : m_pictures) {
        if (picture)
            DeleteObject(picture);
    }
}

HWND MainWindow::control(std::string_view name) const {
    for (const Made& made : m_made) {
        if (made.row->name == name)
            return made.window;
    }
    return nullptr;
}

const MainWindow::Made* MainWindow::byWindow(HWND window) const {
    for (const Made& made : m_made) {
        if (made.window == window)
            return &made;
    }
    return nullptr;
}

bool MainWindow::translate(MSG& message) {
    if (!m_window || !IsWindow(m_window))
        return false;
    if (explainKey(message))
        return true;
    if (message.hwnd != m_window && !IsChild(m_window, message.hwnd))
        return false;
    return IsDialogMessageW(m_window, &message);
}

void MainWindow::build() {
    // Where each container's outer corner lies in the client area.
    std::map<std::string_view, POINT> origins{{std::string_view{}, POINT{0, 0}}};
    std::map<const form::Control*, POINT> places;
    for (const form::Control& c : form::controls()) {
        const POINT origin = origins.at(c.container);
        const POINT place{origin.x + c.left, origin.y + c.top};
        places.emplace(&c, place);
        if (c.kind == Kind::Frame)
            origins.emplace(c.name, place);
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const form::Control* c : zOrder()) {
        const std::optional<Field> field = fieldByName(c->name);
        // Empty for a field, which the sheet fills. A picture draws no text: what it is and
        // what a click does, its name wherever nothing else names it.
        const std::wstring caption = widen(c->kind == Kind::Picture ? c->says : c->text);
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (c->kind) {
        case Kind::Label:
            style |= SS_NOPREFIX | (c->look & form::Centre  ? SS_CENTER
                                    : c->look & form::Right ? SS_RIGHT
                                                            : SS_LEFT);
            // A field's label takes the mouse, so that its tooltip sees it hover.
            if (c->look & form::Link || field)
                style |= SS_NOTIFY;
            // A box of one line (less than two lines of its font high; a point is 20
            // twips) shows its text centred in its height, as the Qt window does: the large
            // font fills the 300-twip rows, and top-aligned its feet would be cut off. Only
            // higher boxes wrap their text.
            if (c->height < 2 * 20 * form::pointSize(c->font))
                style |= SS_CENTERIMAGE;
            break;
        case Kind::TextBox:
            className = L"EDIT";
            exStyle = WS_EX_CLIENTEDGE;
            style |= WS_TABSTOP | ES_AUTOHSCROLL | (c->look & form::Centre ? ES_CENTER : ES_LEFT);
            break;
        case Kind::List:
            className = WC_COMBOBOXW;
            // Pick only; owner-drawn for the items too wide for the standard look.
            style |=
                WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
            break;
        case Kind::Button:
            className = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case Kind::CheckBox:
            className = L"BUTTON";
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case Kind::Frame:
            className = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case Kind::Picture:
            style |= SS_OWNERDRAW | SS_NOTIFY;
            break;
        }
        HWND window =
            CreateWindowExW(exStyle, className, caption.c_str(), style, 0, 0, 0, 0, m_window,
                            reinterpret_cast<HMENU>(INT_PTR(controlId(*c))), instance, nullptr);
        const POINT place = places.at(c);
        m_made.push_back({c, window, int(place.x), int(place.y)});
        m_pictures.push_back(c->kind == Kind::Picture ? loadPicture(c->text) : nullptr);
        m_annotations.annotate(*c, window);

        if (!field)
            continue;
        m_fields[index(*field)] = window;
        if (c->kind == Kind::TextBox) {
            SendMessageW(window, EM_SETLIMITTEXT, 0, 0); // no length limit
            if (isFilteredBox(*field))
                SetWindowSubclass(window, keyFilter, 1, DWORD_PTR(*field));
        } else if (c->kind == Kind::List) {
            for (std::string_view item : listItems(*field))
                SendMessageW(window, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(widen(item).c_str()));
        }
        refresh(*field);
    }
    m_liveRegion = std::make_unique<LiveRegion>(m_window, kLiveRegionId, m_annotations);
}

void MainWindow::layout(UINT dpi) {
    m_dpi = dpi;
    for (HFONT font : m_fonts)
        DeleteObject(font);
    m_fonts.clear();
    for (form::Font letter :
         {form::Font::D, form::Font::L, form::Font::M, form::Font::S, form::Font::Su}) {
        const int height = -int(form::pointSize(letter) * dpi / 72.0 + 0.5);
        m_fonts.push_back(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, form::isUnderlined(letter),
                                      FALSE, systemHasSong() ? GB2312_CHARSET : DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH, songFace().c_str()));
    }

    for (const Made& made : m_made) {
        const form::Control& c = *made.row;
        SendMessageW(made.window, WM_SETFONT, WPARAM(m_fonts[std::size_t(c.font)]), FALSE);
        // The margins a box takes from a CJK font leave no room in the 25-pixel unify
        // boxes: with the focus there, the text scrolls out of sight.
        if (c.kind == Kind::TextBox)
            SendMessageW(made.window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                         MAKELPARAM(0, 0));
        const int height = scaled(c.height, dpi);
        // A drop-down list's window reaches down over its open list; the box itself is as
        // high as the form says, its selection field filling it inside the 3-pixel edges.
        MoveWindow(made.window, scaled(made.left, dpi), scaled(made.top, dpi), scaled(c.width, dpi),
                   c.kind == Kind::List ? height * 8 : height, FALSE);
        if (c.kind == Kind::List) {
            SendMessageW(made.window, CB_SETITEMHEIGHT, WPARAM(-1), std::max(height - 6, 1));
            // An owner-drawn list keeps the height it was measured with; a standard one
            // takes its font's.
            SendMessageW(made.window, CB_SETITEMHEIGHT, 0,
                         lineHeight(m_fonts[std::size_t(c.font)]));
        }
        // A box keeps the scrolling it worked out for its old size and font: the same text
        // set again is placed anew.
        if (c.kind == Kind::TextBox) {
            ++m_updating;
            SetWindowTextW(made.window, windowText(made.window).c_str());
            --m_updating;
        }
    }

    fitTooltips();

    RECT frame{0, 0, scaled(form::kClientWidth, dpi), scaled(form::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_window, nullptr, TRUE);
}

void MainWindow::refresh(Field field) {
    HWND window = m_fields[index(field)];
    if (!window)
        return;
    const std::string& text = m_sheet.text(field);
    ++m_updating;
    switch (fieldKind(field)) {
    case FieldKind::TextBox:
    case FieldKind::Label:
    case FieldKind::Button: {
        // Only a different text is set: setting it moves the caret to the end.
        const std::wstring wide = widen(text);
        if (windowText(window) != wide) {
            SetWindowTextW(window, wide.c_str());
            // As after the user's own typing: the caret at the end of the new text.
            if (fieldKind(field) == FieldKind::TextBox)
                SendMessageW(window, EM_SETSEL, wide.size(), LPARAM(wide.size()));
        }
        if (fieldKind(field) == FieldKind::TextBox)
            EnableWindow(window, form::isEnabled(m_sheet, field));
        break;
    }
    case FieldKind::List: {
        const LRESULT picked = form::pickedIndex(field, text);
        if (SendMessageW(window, CB_GETCURSEL, 0, 0) != picked)
            SendMessageW(window, CB_SETCURSEL, WPARAM(picked), 0);
        break;
    }
    case FieldKind::CheckBox: {
        const WPARAM state = m_sheet.isChecked() ? BST_CHECKED : BST_UNCHECKED;
        if (WPARAM(SendMessageW(window, BM_GETCHECK, 0, 0)) != state)
            SendMessageW(window, BM_SETCHECK, state, 0);
        break;
    }
    }
    --m_updating;
}

void MainWindow::command(const Made& made, int code) {
    const form::Control& c = *made.row;
    const std::optional<Field> field = fieldByName(c.name);
    if (field && m_updating == 0) {
        switch (c.kind) {
        case Kind::TextBox:
            if (code == EN_CHANGE)
                act(c, [&] { m_sheet.setText(*field, narrow(windowText(made.window))); });
            // Wine's edit control scrolls the text of the 25-pixel unify boxes out of sight
            // when they take the focus; once it leaves, the same text set again shows it.
            if (code == EN_KILLFOCUS) {
                ++m_updating;
                SetWindowTextW(made.window, windowText(made.window).c_str());
                --m_updating;
            }
            return;
        case Kind::List: {
            // One pick, one write. On an open list the keys only move through the items:
            // the pick is the item it closes on (SELENDOK, which comes whether or not it
            // is the item shown before). On a closed list each key picks (SELCHANGE); the
            // SELENDOK that follows it is the same pick.
            const auto items = listItems(*field);
            const LRESULT picked = SendMessageW(made.window, CB_GETCURSEL, 0, 0);
            const bool opened = m_openList == made.window;
            if (code == CBN_DROPDOWN)
                m_openList = made.window;
            if (code == CBN_SELENDOK || code == CBN_SELENDCANCEL)
                m_openList = nullptr;
            const bool pick = opened ? code == CBN_SELENDOK : code == CBN_SELCHANGE;
            if (pick && picked >= 0 && std::size_t(picked) < items.size())
                act(c, [&] { m_sheet.setText(*field, items[std::size_t(picked)]); });
            return;
        }
        case Kind::CheckBox:
            if (code == BN_CLICKED)
                act(c, [&] {
                    m_sheet.setChecked(SendMessageW(made.window, BM_GETCHECK, 0, 0) == BST_CHECKED);
                });
            return;
        default:
            break;
        }
    }
    if (m_updating != 0)
        return;
    if ((c.kind == Kind::Button && code == BN_CLICKED) ||
        ((c.kind == Kind::Label || c.kind == Kind::Picture) && code == STN_CLICKED)) {
        const form::Action action = form::actionOf(c.name);
        form::Effect effect;
        if (form::changesSheet(action))
            act(c, [&] { effect = form::run(m_sheet, action); });
        else
            effect = form::run(m_sheet, action);
        if (effect.link)
            outbound::launch(m_launcher, *effect.link);
        if (effect.openQrCode)
            openQrCodeWindow();
    }
}

// Runs a user's action, then says the one message the form composes of its results.
void MainWindow::act(const form::Control& row, const std::function<void()>& action) {
    const form::Heard heard(m_sheet, row);
    action();
    m_liveRegion->say(heard.message(m_sheet));
}

void MainWindow::openQrCodeWindow() {
    if (!m_qrCodeWindow)
        m_qrCodeWindow = std::make_unique<QrCodeWindow>([this] { checkLastWindowClosed(); });
    m_qrCodeWindow->open();
}

void MainWindow::checkLastWindowClosed() {
    const bool mainOpen = m_window && IsWindow(m_window) && IsWindowVisible(m_window);
    const bool qrOpen = m_qrCodeWindow && IsWindowVisible(m_qrCodeWindow->hwnd());
    if (!mainOpen && !qrOpen && m_lastClosed)
        m_lastClosed();
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = windowObject<MainWindow>(window, message, l);
    if (self && self->m_window == window)
        return self->handle(message, w, l);
    return DefWindowProcW(window, message, w, l);
}

LRESULT MainWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
        if (const Made* made = byWindow(reinterpret_cast<HWND>(l)))
            command(*made, HIWORD(w));
        return 0;
    case WM_NOTIFY:
        if (answerTooltip(*reinterpret_cast<NMHDR*>(l)))
            return 0;
        break;
    case WM_CONTEXTMENU: // from the window and the controls; the text boxes keep their own
        showContextMenu(l);
        return 0;
    case WM_CTLCOLORSTATIC: {
        const Made* made = byWindow(reinterpret_cast<HWND>(l));
        if (!made || !(made->row->look & (form::Red | form::Link)))
            break;
        HDC dc = reinterpret_cast<HDC>(w);
        const std::optional<form::Rgb> colour = form::textColour(made->row->look);
        SetTextColor(dc, colour ? RGB(colour->red, colour->green, colour->blue)
                                : GetSysColor(COLOR_HIGHLIGHT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_MEASUREITEM:
        if (measureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(l)))
            return TRUE;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        if (drawMenuItem(*item))
            return TRUE;
        if (item->CtlType == ODT_COMBOBOX) {
            drawListItem(*item);
            return TRUE;
        }
        for (std::size_t i = 0; i < m_made.size(); ++i) {
            if (m_made[i].window == item->hwndItem)
                drawPicture(item->hDC, item->rcItem, m_pictures[i], m_dpi / 96.0);
        }
        return TRUE;
    }
    case WM_SETCURSOR: {
        // The controls that lead somewhere show the pointing hand, as links do.
        const Made* made = byWindow(reinterpret_cast<HWND>(w));
        if (made && ((made->row->look & form::Link) || made->row->kind == Kind::Picture)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_ACTIVATE:
        // The focus comes back where it was when the window is activated again.
        if (LOWORD(w) == WA_INACTIVE) {
            hideHelp();
            if (HWND focus = GetFocus(); focus && IsChild(m_window, focus))
                m_lastFocus = focus;
        } else if (m_lastFocus && IsWindowEnabled(m_lastFocus)) {
            SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(l);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout(HIWORD(w));
        return 0;
    }
    case WM_CLOSE:
        ShowWindow(m_window, SW_HIDE);
        checkLastWindowClosed();
        return 0;
    }
    return DefWindowProcW(m_window, message, w, l);
}

} // namespace pelmora::win32
