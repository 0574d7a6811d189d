// The real Win32 main window, driven under Wine with the messages that keys, picks and
// clicks send: each scenario runs a few user steps, then every field's control must show
// what the sheet holds and the listed fields the expected texts. Rectangles are the form's
// own twips, divided by 15, not read back from the code under test.
#include "form/announce.h"
#include "form/inputrules.h"
#include "present/compose.h"
#include "win32/controlids.h"
#include "win32/mainwindow.h"
#include "win32/processlauncher.h"
#include "win32/qrcodewindow.h"
#include "win32/resources.h"
#include "win32/text.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace pelmora;
using namespace pelmora::win32;

namespace {

struct Recorder final : outbound::Launcher {
    std::vector<std::pair<std::u16string, int>> launches;
    void launch(std::u16string_view commandLine, int windowStyle) override {
        launches.emplace_back(commandLine, windowStyle);
    }
};

enum class Op { Replace, Type, Ime, Paste, Pick, Click };
struct Step {
    Op op;
    const char* control;
    const wchar_t* text = L"";
};
struct Scenario {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::pair<Field, const char*>> expected;
    std::vector<std::pair<std::u16string, int>> launches = {};
};

const std::u16string kConsult = u"explorer https://www.vastrel.example/consult/";
const std::u16string kSite = u"explorer https://www.vastrel.example/";

// Pumps what the steps posted (painting, the QR-code window's activation).
void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Pumps until the condition holds, for at most five seconds (a tooltip waits half a second
// before it shows).
template <class Condition> bool pumpUntil(Condition condition) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(10)) {
        if (GetTickCount() - start > 5000)
            return false;
        pump();
    }
    return true;
}

std::wstring clipboardText() {
    std::wstring text = L"(no text)";
    if (!OpenClipboard(nullptr))
        return L"(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// The text of the lines with Windows' line ends.
std::wstring withCrLf(std::string_view text) {
    std::wstring lines;
    for (wchar_t c : widen(text))
        lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    return lines;
}

// The text a tooltip has for a tool, as it would show it.
std::wstring tipText(HWND tooltip, HWND owner, UINT_PTR tool) {
    std::wstring text(4096, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = tool;
    info.lpszText = text.data();
    SendMessageW(tooltip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
    text.resize(wcslen(text.c_str()));
    return text;
}

class Window : public ::testing::Test {
  protected:
    Window() : sheet([] { return 2024; }), window(sheet, launcher) {
        ShowWindow(window.hwnd(), SW_SHOWNORMAL);
        pump();
    }

    HWND item(const char* name) const {
        HWND found = GetDlgItem(window.hwnd(), controlId(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    void typeChars(HWND edit, std::wstring_view text, UINT message = WM_CHAR) {
        for (wchar_t c : text)
            SendMessageW(edit, message, c, 1);
    }

    void run(const Step& step) {
        HWND control = item(step.control);
        switch (step.op) {
        case Op::Replace:
            SendMessageW(control, EM_SETSEL, 0, -1);
            typeChars(control, step.text);
            break;
        case Op::Type: // at the end of what the box holds
            SendMessageW(control, EM_SETSEL, 0x7fffffff, 0x7fffffff);
            typeChars(control, step.text);
            break;
        case Op::Ime: // characters an input method commits
            SendMessageW(control, EM_SETSEL, 0x7fffffff, 0x7fffffff);
            typeChars(control, step.text, WM_IME_CHAR);
            break;
        case Op::Paste: {
            SendMessageW(control, EM_SETSEL, 0, -1);
            const std::size_t bytes = (wcslen(step.text) + 1) * sizeof(wchar_t);
            HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
            memcpy(GlobalLock(data), step.text, bytes);
            GlobalUnlock(data);
            ASSERT_TRUE(OpenClipboard(window.hwnd()));
            EmptyClipboard();
            SetClipboardData(CF_UNICODETEXT, data);
            CloseClipboard();
            SendMessageW(control, WM_PASTE, 0, 0);
            break;
        }
        case Op::Pick: { // by keyboard on the closed list: Home, then Down to the item
            const auto items = listItems(*fieldByName(step.control));
            const std::string wanted = narrow(step.text);
            SendMessageW(control, WM_KEYDOWN, VK_HOME, 0);
            for (std::size_t i = 0; i < items.size() && items[i] != wanted; ++i)
                SendMessageW(control, WM_KEYDOWN, VK_DOWN, 0);
            break;
        }
        case Op::Click: {
            wchar_t className[32] = {};
            GetClassNameW(control, className, 32);
            if (std::wstring_view(className) == L"Button") {
                SendMessageW(control, BM_CLICK, 0, 0);
            } else {
                SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            }
            break;
        }
        }
        pump();
    }

    // Real key presses (SendInput) to the foreground window, held down together and let go
    // in reverse, handed on by a message loop like the program's.
    void press(std::initializer_list<WORD> keys) {
        std::vector<INPUT> inputs;
        for (WORD key : keys)
            inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            inputs.push_back({INPUT_KEYBOARD, {.ki = {*key, 0, KEYEVENTF_KEYUP, 0, 0}}});
        SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!window.translate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    // What a field's control shows: its text, its pick, or its state.
    std::string shown(Field field) const {
        HWND control = item(std::string(fieldName(field)).c_str());
        if (fieldKind(field) == FieldKind::CheckBox)
            return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
        return narrow(windowText(control));
    }

    Recorder launcher;
    ScoreSheet sheet;
    MainWindow window;
};

TEST_F(Window, Scenarios) {
    const Scenario scenarios[] = {
        {"the road of one event: age 42, then a full-time bachelor's degree",
         {{Op::Replace, "年龄", L"42"}, {Op::Pick, "选择学历", L"全日制本科"}},
         {{Field::年龄, "42"},
          {Field::选择学历, "全日制本科"},
          {Field::学历得分, "90"},
          {Field::年龄得分, "0"},
          {Field::个人得分, "0"},
          {Field::合计得分, "90"},
          {Field::评分结果, "差一点，考证入户"}}},
        {"months of the five insurances, then through the company",
         {{Op::Replace, "养老月数", L"35"},
          {Op::Replace, "医疗月数", L"35"},
          {Op::Replace, "工伤月数", L"11"},
          {Op::Replace, "生育险月数", L"12"},
          {Op::Replace, "失业月数", L"24"},
          {Op::Click, "公司申办"}},
         {{Field::养老得分, "6"},
          {Field::医疗得分, "2"},
          {Field::工伤得分, "0"},
          {Field::生育险得分, "1"},
          {Field::失业得分, "2"},
          {Field::公司申办, "1"},
          {Field::社保得分, "21"}}},
        {"an identity-card number interpreted",
         {{Op::Type, "ID", L"44030119900101123"},
          {Op::Type, "ID", L"x"}, // refused: only the capital X
          {Op::Type, "ID", L"X"},
          {Op::Type, "ID", L"\b4"},
          {Op::Click, "身份证解读"}},
         {{Field::ID, "440301199001011234"},
          {Field::出生日期, "1990年01月01日"},
          {Field::性别, "男"},
          {Field::年龄, "34"}}},
        {"key filters, an input method, pasting",
         {{Op::Replace, "年龄", L"1a2-.3 X"},
          {Op::Ime, "养老月数", L"岁1"},    // a Chinese character refused, the digit taken
          {Op::Type, "失业月数", L"\b\b7"}, // emptied, refilled, the caret after the 0
          {Op::Type, "统一月数", L"x岁"},   // the unify boxes take everything
          {Op::Paste, "医疗月数", L"12a"}}, // pasting is not typing
         {{Field::年龄, "123"},
          {Field::养老月数, "01"},
          {Field::失业月数, "07"},
          {Field::统一月数, "0x岁"},
          {Field::医疗月数, "12a"}}},
        {"the reset keeps the interpreted ID",
         {{Op::Type, "ID", L"440301199102023345"},
          {Op::Click, "身份证解读"},
          {Op::Pick, "房产状况", L"居住证"},
          {Op::Replace, "居住时长", L"400"},
          {Op::Replace, "统一年数", L"3"},
          {Op::Click, "统一年"},
          {Op::Click, "公司申办"},
          {Op::Click, "重置"}},
         {{Field::ID, ""},
          {Field::年龄, "18"},
          {Field::选择学历, "高中或以下学历"},
          {Field::房产状况, "无房产"},
          {Field::生育状况, "未育"},
          {Field::居住时长, "0"},
          {Field::养老月数, "0"},
          {Field::统一年数, "0"},
          {Field::公司申办, "0"},
          {Field::社保得分, "0"},
          {Field::评分结果, "综合计算中…"},
          {Field::出生日期, "1991年02月02日"},
          {Field::性别, "女"}}},
        {"links: the verdict leads only with a result",
         {{Op::Click, "评分结果"},
          {Op::Click, "在线咨询"},
          {Op::Click, "logo"},
          {Op::Click, "Vastrel"},
          {Op::Pick, "选择学历", L"全日制本科有学位"},
          {Op::Click, "评分结果"},
          {Op::Click, "Label28"}},
         {{Field::评分结果, "积分通过，马上入户"}},
         {{kConsult, 1}, {kSite, 0}, {kSite, 0}, {kConsult, 1}}},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        sheet.click(Command::统一月); // any state: the reset below restores the standard one
        resetInputs(sheet);
        launcher.launches.clear();
        for (const Step& step : scenario.steps)
            run(step);
        for (auto [field, text] : scenario.expected) {
            EXPECT_EQ(shown(field), text) << fieldName(field);
        }
        for (int i = 0; i < kFieldCount; ++i) {
            const Field field = Field(i);
            if (fieldKind(field) == FieldKind::CheckBox)
                EXPECT_EQ(shown(field), sheet.isChecked() ? "1" : "0");
            else
                EXPECT_EQ(shown(field), sheet.text(field)) << fieldName(field);
        }
        EXPECT_EQ(launcher.launches, scenario.launches);
    }
}

TEST_F(Window, ResidenceBoxEnabledByTheSheet) {
    EXPECT_FALSE(IsWindowEnabled(item("居住时长")));
    run({Op::Pick, "房产状况", L"居住证"});
    EXPECT_TRUE(IsWindowEnabled(item("居住时长")));
    run({Op::Click, "重置"});
    EXPECT_FALSE(IsWindowEnabled(item("居住时长")));
}

TEST_F(Window, EditsAndPicksDoNotEchoAndTheCaretStays) {
    run({Op::Replace, "养老月数", L"1025"});
    HWND box = item("养老月数");
    SendMessageW(box, EM_SETSEL, 2, 2);
    int writes = 0;
    const auto id = sheet.subscribe([&](Field f) { writes += f == Field::养老月数; });
    typeChars(box, L"9");
    sheet.unsubscribe(id);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(shown(Field::养老月数), "10925");
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 3u);

    // One key on a closed list is one pick: one write of the list's field.
    run({Op::Pick, "生育状况", L"未育"});
    int picks = 0;
    const auto listId = sheet.subscribe([&](Field f) { picks += f == Field::生育状况; });
    SendMessageW(item("生育状况"), WM_KEYDOWN, VK_DOWN, 0);
    sheet.unsubscribe(listId);
    EXPECT_EQ(picks, 1);
    EXPECT_EQ(sheet.text(Field::生育状况), "政策内生育");

    // On the open list (F4), the keys move and Return picks: once, the item shown before too.
    for (const auto& [keys, item] :
         {std::pair{std::vector<WPARAM>{VK_F4, VK_DOWN, VK_DOWN, VK_RETURN}, "政策外生育"},
          std::pair{std::vector<WPARAM>{VK_F4, VK_RETURN}, "政策外生育"}}) {
        picks = 0;
        const auto id2 = sheet.subscribe([&](Field f) { picks += f == Field::生育状况; });
        for (WPARAM key : keys)
            SendMessageW(this->item("生育状况"), WM_KEYDOWN, key, 0);
        sheet.unsubscribe(id2);
        EXPECT_EQ(picks, 1);
        EXPECT_EQ(sheet.text(Field::生育状况), item);
    }
}

TEST_F(Window, StartingStateAndGeometry) {
    wchar_t title[32] = {};
    GetWindowTextW(window.hwnd(), title, 32);
    EXPECT_EQ(std::wstring_view(title), L"Pelmora");
    // Found by class and title, as an outside tool finds it; the windows of tests running
    // beside this one in the same Wine session have them too.
    HWND found = nullptr;
    do
        found = FindWindowExW(nullptr, found, kMainWindowClass, L"Pelmora");
    while (found && found != window.hwnd());
    EXPECT_EQ(found, window.hwnd());
    RECT client{};
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, 359);
    EXPECT_EQ(client.bottom, 685);
    EXPECT_FALSE(GetWindowLongW(window.hwnd(), GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX));

    // Twips of the form, from the window's or the frame's corner, over 15.
    struct Box {
        const char* name;
        int left, top, width, height;
    };
    const Box boxes[] = {
        {"选择学历", 1080 / 15, 1440 / 15, 241, 20},
        {"年龄", (120 + 840) / 15, (1800 + 1320) / 15, 40, 18},
        {"合计得分", (120 + 1320) / 15, (7320 + 360) / 15, 33, 20},
        {"Label23", (120 + 2880 + 120) / 15, (4560 + 1320 + 360) / 15, 120, 28},
        {"Picture1", (120 + 2880 + 120) / 15, (7320 + 240 + 240) / 15, 129, 129},
    };
    for (const Box& b : boxes) {
        RECT r{};
        GetWindowRect(item(b.name), &r);
        MapWindowPoints(HWND_DESKTOP, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, b.left) << b.name;
        EXPECT_EQ(r.top, b.top) << b.name;
        EXPECT_EQ(r.right - r.left, b.width) << b.name;
        EXPECT_EQ(r.bottom - r.top, b.height) << b.name;
    }
    EXPECT_EQ(shown(Field::年龄得分), "5");
    EXPECT_EQ(shown(Field::评分结果), "综合计算中…");
    EXPECT_EQ(SendMessageW(item("选择学历"), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(item("选择学历"), CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(narrow(windowText(item("ver"))), "Pelmora 0.1.3");
}

// A label that wraps draws its lines from the top at the font's GDI line height, clipped to
// its box: a face with loose Windows metrics cuts off the last line.
TEST_F(Window, WrappedLabelsHoldEveryLine) {
    int wrapped = 0;
    for (const form::Control& c : form::controls()) {
        HWND label = c.kind == form::Kind::Label ? item(std::string(c.name).c_str()) : nullptr;
        if (!label || GetWindowLongW(label, GWL_STYLE) & SS_CENTERIMAGE)
            continue; // one line, centred in its height
        ++wrapped;
        RECT box{};
        GetClientRect(label, &box);
        RECT text = box;
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(label, WM_GETFONT, 0, 0)));
        DrawTextW(dc, windowText(label).c_str(), -1, &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        EXPECT_LE(text.bottom, box.bottom) << c.name;
        EXPECT_LE(text.right, box.right) << c.name;
    }
    EXPECT_GT(wrapped, 0);
}

TEST_F(Window, FontShowsEveryCharacter) {
    HDC dc = GetDC(window.hwnd());
    HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(item("Label20"), WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_EQ(std::wstring_view(face), songFace()); // not substituted by another face
    const std::wstring text =
        widen("身份证号码年龄社保得分积分通过，马上入户综合计算中…0123456789");
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), int(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_NE(glyphs[i], 0xffff) << "no glyph for U+" << std::hex << int(text[i]);
    SelectObject(dc, old);
    ReleaseDC(window.hwnd(), dc);
}

TEST_F(Window, TabOrderFollowsTheForm) {
    SetForegroundWindow(window.hwnd());
    SetFocus(item("选择学历"));
    const std::vector<std::string> expected{
        "选择学历",   "工伤月数", "医疗月数", "养老月数", "生育险月数", "失业月数", "统一月数",
        "统一月",     "统一年数", "统一年",   "年龄",     "生育状况",   "房产状况", "ID",
        "身份证解读", "公司申办", "在线咨询", "重置",     "评分结果",   "选择学历"};
    auto nameOf = [](HWND control) {
        for (const form::Control& c : form::controls()) {
            if (controlId(c) == GetDlgCtrlID(control))
                return std::string(c.name);
        }
        return std::string("?");
    };
    std::vector<std::string> visited{nameOf(GetFocus())};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        ASSERT_TRUE(window.translate(tab));
        visited.push_back(nameOf(GetFocus()));
    }
    EXPECT_EQ(visited, expected);

    // Each caption label stands just before what it names, so that it names it.
    for (const form::Control& c : form::controls()) {
        if (c.names.empty())
            continue;
        EXPECT_EQ(GetNextWindow(item(std::string(c.names).c_str()), GW_HWNDPREV),
                  item(std::string(c.name).c_str()))
            << c.name;
    }
}

// The live region: a window that shows nothing and covers nothing, last among the
// controls so that it names none of them, and after each action it holds the message the
// form composes for that action; an action that composes none leaves the last one.
TEST_F(Window, LiveRegionHoldsEachMessage) {
    HWND status = GetDlgItem(window.hwnd(), kLiveRegionId);
    ASSERT_TRUE(status);
    EXPECT_EQ(GetWindow(status, GW_HWNDLAST), status);
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_FALSE(GetWindowLongW(status, GWL_STYLE) & WS_TABSTOP);
    RECT region{};
    GetWindowRect(status, &region);
    for (const form::Control& c : form::controls()) {
        RECT box{}, overlap{};
        GetWindowRect(item(std::string(c.name).c_str()), &box);
        EXPECT_FALSE(IntersectRect(&overlap, &region, &box)) << c.name;
    }

    const Step steps[] = {
        {Op::Replace, "年龄", L"4"},
        {Op::Type, "年龄", L"2"},
        {Op::Type, "年龄", L"x"}, // refused
        {Op::Pick, "房产状况", L"居住证"},
        {Op::Type, "ID", L"1"}, // not heard
        {Op::Click, "公司申办"},
        {Op::Click, "统一月"},
        {Op::Click, "重置"},
    };
    std::string said;
    for (const Step& step : steps) {
        const form::Heard heard(sheet, *form::control(step.control));
        int writes = 0;
        const auto id = sheet.subscribe([&](Field) { ++writes; });
        run(step);
        sheet.unsubscribe(id);
        if (std::string message = heard.message(sheet); writes > 0 && !message.empty())
            said = message;
        EXPECT_EQ(narrow(windowText(status)), said) << step.control;
    }
    EXPECT_NE(said, "");
}

// Every item of every list shows as wide in the closed list as it does in the same list
// made wide enough for any item: nothing of it hides under the drop button.
TEST_F(Window, ListItemsShowTheirWholeWidth) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // How many columns the ink of the field's text spans.
    auto inkWidth = [dc](HWND list) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(list, &info);
        SendMessageW(list, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        const COLORREF background = GetSysColor(COLOR_WINDOW);
        int first = info.rcItem.right, last = info.rcItem.left - 1;
        for (int x = info.rcItem.left; x < info.rcItem.right; ++x) {
            for (int y = info.rcItem.top; y < info.rcItem.bottom; ++y) {
                if (GetPixel(dc, x, y) != background) {
                    first = std::min(first, x);
                    last = x;
                }
            }
        }
        return last - first + 1;
    };
    SetFocus(window.hwnd()); // no list shows the highlight
    for (const form::Control& c : form::controls()) {
        if (c.kind != form::Kind::List)
            continue;
        HWND list = item(std::string(c.name).c_str());
        RECT box{};
        GetWindowRect(list, &box);
        const auto items = listItems(*fieldByName(c.name));
        for (std::size_t i = 0; i < items.size(); ++i) {
            SendMessageW(list, CB_SETCURSEL, i, 0);
            const int shown = inkWidth(list);
            SetWindowPos(list, nullptr, 0, 0, box.right - box.left + 100, box.bottom - box.top,
                         SWP_NOMOVE | SWP_NOZORDER);
            EXPECT_EQ(shown, inkWidth(list)) << items[i];
            SetWindowPos(list, nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                         SWP_NOMOVE | SWP_NOZORDER);
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// A picture is named, for a screen reader, by what it is and what a click does.
TEST_F(Window, PicturesSayWhatTheyAre) {
    int pictures = 0;
    for (const form::Control& c : form::controls()) {
        if (c.kind != form::Kind::Picture)
            continue;
        ++pictures;
        IAccessible* accessible = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(item(std::string(c.name).c_str()), DWORD(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&accessible)),
                  S_OK);
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        accessible->get_accName(self, &name);
        EXPECT_EQ(narrow(name ? name : L""), c.says) << c.name;
        SysFreeString(name);
        accessible->Release();
    }
    EXPECT_EQ(pictures, 2);
}

TEST_F(Window, QrCodeWindowOpenedTwiceIsOneWindow) {
    run({Op::Click, "Picture1"});
    QrCodeWindow* qr = window.qrCodeWindow();
    ASSERT_TRUE(qr);
    run({Op::Click, "Picture1"});
    EXPECT_EQ(window.qrCodeWindow(), qr);
    int found = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM count) {
            wchar_t name[32] = {};
            GetClassNameW(w, name, 32);
            *reinterpret_cast<int*>(count) += std::wstring_view(name) == kQrCodeWindowClass;
            return TRUE;
        },
        LPARAM(&found));
    EXPECT_EQ(found, 1);
    EXPECT_TRUE(IsWindowVisible(qr->hwnd()));
    EXPECT_EQ(GetWindow(qr->hwnd(), GW_OWNER), nullptr);
    wchar_t title[32] = {};
    GetWindowTextW(qr->hwnd(), title, 32);
    EXPECT_EQ(std::wstring_view(title), L"二维码");
    RECT image{};
    GetWindowRect(GetDlgItem(qr->hwnd(), kImage1Id), &image);
    MapWindowPoints(HWND_DESKTOP, qr->hwnd(), reinterpret_cast<POINT*>(&image), 2);
    EXPECT_EQ(image.left, 8);
    EXPECT_EQ(image.top, 8);
    EXPECT_EQ(image.right - image.left, 258);
    EXPECT_EQ(image.bottom - image.top, 258);

    // The program ends only once no window is open: the main window closed first.
    int lastClosed = 0;
    window.setLastWindowClosed([&] { ++lastClosed; });
    SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(lastClosed, 0);
    SendMessageW(qr->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(lastClosed, 1);
    run({Op::Click, "Picture1"}); // comes back
    EXPECT_TRUE(IsWindowVisible(qr->hwnd()));
}

// Each label the sheet fills and the verdict explain themselves when hovered, with the
// sheet's state at that moment.
TEST_F(Window, TooltipsExplainTheScores) {
    const std::vector<std::vector<Step>> situations{
        {},
        {{Op::Replace, "年龄", L"42"}, {Op::Pick, "选择学历", L"全日制本科"}},
        {{Op::Type, "ID", L"440301199001011234"},
         {Op::Click, "身份证解读"},
         {Op::Pick, "选择学历", L"全日制本科有学位"}},
    };
    for (const std::vector<Step>& steps : situations) {
        resetInputs(sheet);
        for (const Step& step : steps)
            run(step);
        for (int i = 0; i < kFieldCount; ++i) {
            const Field field = Field(i);
            if (fieldKind(field) != FieldKind::Label && fieldKind(field) != FieldKind::Button)
                continue;
            const std::wstring expected = widen(tooltipText(sheet, field));
            EXPECT_FALSE(expected.empty()) << fieldName(field);
            HWND control = item(std::string(fieldName(field)).c_str());
            EXPECT_EQ(tipText(window.tooltip(), window.hwnd(), UINT_PTR(control)), expected)
                << fieldName(field) << " after " << steps.size() << " steps";
        }
    }

    // The pointer resting on the verdict shows its tooltip.
    SetWindowPos(window.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window.hwnd());
    HWND verdict = item("评分结果");
    RECT box{};
    GetWindowRect(verdict, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    PostMessageW(verdict, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(window.tooltip()); }));
    EXPECT_EQ(windowText(window.tooltip()), widen(tooltipText(sheet, Field::评分结果)));
}

// F1 shows under the focused control, until the next key or click, the explanation of the
// score that control feeds.
TEST_F(Window, F1ExplainsTheFocusedControl) {
    run({Op::Replace, "年龄", L"42"});
    SetForegroundWindow(window.hwnd());
    int helps = 0; // WM_HELP: F1 asks for nothing else
    static int* counted = &helps;
    HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM w, LPARAM l) {
            *counted += reinterpret_cast<const CWPSTRUCT*>(l)->message == WM_HELP;
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    const std::pair<const char*, Field> explained[] = {
        {"年龄", Field::年龄}, {"统一月数", Field::统一月数}, {"重置", Field::评分结果}};
    for (auto [name, field] : explained) {
        HWND control = item(name);
        SetFocus(control);
        press({VK_F1});
        ASSERT_TRUE(IsWindowVisible(window.helpTip())) << name;
        EXPECT_EQ(windowText(window.helpTip()), widen(helpText(sheet, field))) << name;
        RECT tip{}, box{};
        GetWindowRect(window.helpTip(), &tip);
        GetWindowRect(control, &box);
        EXPECT_NEAR(tip.left, box.left, 1) << name; // its border may lie over the edge
        EXPECT_NEAR(tip.top, box.bottom, 1) << name;
        EXPECT_EQ(GetFocus(), control) << name;
    }
    press({VK_SHIFT});
    EXPECT_FALSE(IsWindowVisible(window.helpTip()));

    press({VK_F1});
    ASSERT_TRUE(IsWindowVisible(window.helpTip()));
    MSG click{item("合计得分"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2), 0, {}};
    window.translate(click);
    EXPECT_FALSE(IsWindowVisible(window.helpTip()));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(helps, 0);
}

// Ctrl+Shift+C anywhere and the window's menu copy the whole assessment as it stands;
// Ctrl+C and Ctrl+V keep working in the boxes.
TEST_F(Window, CopiesTheAssessment) {
    run({Op::Replace, "年龄", L"42"});
    run({Op::Pick, "选择学历", L"全日制本科"});
    SetForegroundWindow(window.hwnd());
    SetFocus(item("年龄"));
    SendMessageW(item("年龄"), EM_SETSEL, 0, -1);
    press({VK_CONTROL, 'C'});
    EXPECT_EQ(clipboardText(), L"42");
    SetFocus(item("养老月数"));
    SendMessageW(item("养老月数"), EM_SETSEL, 0, -1);
    press({VK_CONTROL, 'V'});
    EXPECT_EQ(sheet.text(Field::养老月数), "42");

    press({VK_CONTROL, VK_SHIFT, 'C'});
    EXPECT_EQ(clipboardText(), withCrLf(assessmentText(sheet, today())));
    EXPECT_EQ(sheet.text(Field::养老月数), "42"); // nothing typed into the box

    // The menu of a label, its one item picked by keys.
    run({Op::Replace, "年龄", L"43"});
    std::wstring caption;
    static std::wstring* shown = &caption;
    HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM w, LPARAM l) {
            const auto* sent = reinterpret_cast<const CWPSTRUCT*>(l);
            if (sent->message == WM_INITMENUPOPUP) {
                HMENU menu = reinterpret_cast<HMENU>(sent->wParam);
                wchar_t text[64] = {};
                GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
                // Drawn by the window: a screen reader reads its name from its data.
                MENUITEMINFOW item{};
                item.cbSize = sizeof item;
                item.fMask = MIIM_DATA;
                GetMenuItemInfoW(menu, 0, TRUE, &item);
                const auto* named = reinterpret_cast<const MSAAMENUINFO*>(item.dwItemData);
                *shown = std::to_wstring(GetMenuItemCount(menu)) + L" " + text + L" " +
                         (named && named->dwMSAASignature == DWORD(MSAA_MENU_SIG)
                              ? std::wstring(named->pszWText, named->cchWText)
                              : L"(no name)");
            }
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    PostMessageW(window.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(window.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    RECT box{};
    GetWindowRect(item("年龄得分"), &box);
    SendMessageW(item("年龄得分"), WM_CONTEXTMENU, WPARAM(item("年龄得分")),
                 MAKELPARAM(box.left + 2, box.top + 2));
    UnhookWindowsHookEx(hook);
    const std::wstring copy = widen(form::kCopyAssessment);
    EXPECT_EQ(caption, L"1 " + copy + L" " + copy);
    EXPECT_EQ(clipboardText(), withCrLf(assessmentText(sheet, today())));
}

TEST(Launcher, FailedStartShowsTheAddressToCopy) {
    ProcessLauncher launcher;
    launcher.launch(u"pelmora-no-such-program.exe https://a.example/", 1);
    ASSERT_TRUE(launcher.failureWindow());
    EXPECT_EQ(windowText(GetDlgItem(launcher.failureWindow(), ProcessLauncher::kAddressId)),
              L"pelmora-no-such-program.exe https://a.example/");
    HWND first = launcher.failureWindow();
    launcher.launch(u"pelmora-no-such-program.exe https://b.example/", 0);
    EXPECT_EQ(launcher.failureWindow(), first); // reused
}

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    songFace();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
