// What a screen reader hears from the real pelmora.exe, typed to with real keys at the
// speed people type: the program and a11y_watcher.exe (an out-of-context WinEvent hook, as
// a screen reader has) run side by side, and SendInput types at 30 and at 120 ms a key,
// with no pause between the keys of a step.
//
// The expectations come from an independent path: the same steps run here on a score
// sheet of our own through the form layer, which gives the number of messages each step
// makes and the last of them. A Tab after each step is the barrier: its focus event comes
// after everything the step's keys caused.
#include "form/actions.h"
#include "form/announce.h"
#include "form/form.h"
#include "scoring/scoresheet.h"
#include "win32/controlids.h"
#include "win32/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <oleacc.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

using namespace pelmora;
using namespace pelmora::win32;
using form::Kind;

namespace {

constexpr auto kPatience = std::chrono::seconds(20); // for one event, on a loaded machine

struct Line {
    std::string time; // the event's, in ms
    std::string kind; // focus, live
    int id = 0;
    std::string name;
};

std::wstring besideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + file;
}

// pelmora.exe started suspended, the watcher hooked to it, then the program resumed: the
// watcher hears everything from its first focus on.
class Session {
  public:
    Session() {
        STARTUPINFOW start{};
        start.cb = sizeof start;
        std::wstring command = L"\"" + besideThisProgram(L"pelmora.exe") + L"\"";
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &start, &m_program))
            return;

        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE write = nullptr;
        CreatePipe(&m_read, &write, &inherited, 0);
        SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW watcherStart{};
        watcherStart.cb = sizeof watcherStart;
        watcherStart.dwFlags = STARTF_USESTDHANDLES;
        watcherStart.hStdOutput = write;
        watcherStart.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        command = L"\"" + besideThisProgram(L"a11y_watcher.exe") + L"\" " +
                  std::to_wstring(m_program.dwProcessId);
        const bool watching = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                             nullptr, nullptr, &watcherStart, &m_watcher);
        CloseHandle(write);
        if (!watching)
            return;
        m_reader = std::thread([this] { readLines(); });
        if (!waitFor([this] { return m_ready; }))
            return;
        ResumeThread(m_program.hThread);
        WaitForInputIdle(m_program.hProcess, 30000);
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!(m_window = findWindow()) && GetTickCount64() < deadline)
            Sleep(50);
        SetForegroundWindow(m_window);
    }

    ~Session() {
        if (m_program.hProcess) {
            TerminateProcess(m_program.hProcess, 0);
            CloseHandle(m_program.hThread);
            CloseHandle(m_program.hProcess);
        }
        if (m_watcher.hProcess) {
            if (WaitForSingleObject(m_watcher.hProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(m_watcher.hProcess, 0);
            CloseHandle(m_watcher.hThread);
            CloseHandle(m_watcher.hProcess);
        }
        if (m_reader.joinable())
            m_reader.join();
        if (m_read)
            CloseHandle(m_read);
    }

    bool started() const { return m_window != nullptr; }

    // Waits until the watcher has written a line that satisfies the test, from the given
    // line on; the index of that line, or nullopt after kPatience.
    std::optional<std::size_t> waitForLine(std::size_t from, auto test) {
        std::optional<std::size_t> found;
        waitFor([&] {
            for (std::size_t i = from; i < m_lines.size(); ++i) {
                if (test(m_lines[i])) {
                    found = i;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    std::optional<std::size_t> waitForFocus(std::size_t from, int id) {
        return waitForLine(from, [id](const Line& l) { return l.kind == "focus" && l.id == id; });
    }

    std::vector<Line> lines(std::size_t from, std::size_t to) {
        std::lock_guard lock(m_mutex);
        return {m_lines.begin() + std::ptrdiff_t(from), m_lines.begin() + std::ptrdiff_t(to)};
    }
    // Every line so far, for a failure's report.
    std::string log() {
        std::lock_guard lock(m_mutex);
        return m_log;
    }

  private:
    bool waitFor(auto condition) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, condition);
    }

    void readLines() {
        std::string buffer;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(m_read, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            buffer.append(chunk, got);
            for (std::size_t end; (end = buffer.find('\n')) != std::string::npos;) {
                const std::string text = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                std::lock_guard lock(m_mutex);
                if (text == "ready") {
                    m_ready = true;
                } else {
                    // time, kind, id, name, value, description
                    std::istringstream fields(text);
                    std::string time, kind, id, name;
                    std::getline(fields, time, '\t');
                    std::getline(fields, kind, '\t');
                    std::getline(fields, id, '\t');
                    std::getline(fields, name, '\t');
                    m_lines.push_back({time, kind, std::atoi(id.c_str()), name});
                    m_log += text + '\n';
                }
                m_changed.notify_all();
            }
        }
    }

    HWND findWindow() const {
        struct Search {
            DWORD process;
            HWND found;
        } search{m_program.dwProcessId, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (process == s->process && std::wstring_view(name) == kMainWindowClass) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION m_program{};
    PROCESS_INFORMATION m_watcher{};
    HANDLE m_read = nullptr;
    std::thread m_reader;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;
    std::vector<Line> m_lines;
    std::string m_log;
    HWND m_window = nullptr;
};

struct Key {
    WORD code;
    bool shift = false;
};

void press(Key key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.wScan = WORD(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
        const bool extended = code == VK_HOME || code == VK_END || code == VK_DOWN;
        input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    if (key.shift)
        add(VK_SHIFT, false);
    add(key.code, false);
    add(key.code, true);
    if (key.shift)
        add(VK_SHIFT, true);
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The controls Tab visits, in order, as the form has them now.
std::vector<const form::Control*> tabStops(const ScoreSheet& sheet) {
    std::vector<const form::Control*> stops;
    for (const form::Control& c : form::controls()) {
        const bool takesFocus = c.kind == Kind::TextBox || c.kind == Kind::List ||
                                c.kind == Kind::Button || c.kind == Kind::CheckBox;
        const std::optional<Field> field = fieldByName(c.name);
        if (takesFocus && (!field || form::isEnabled(sheet, *field)))
            stops.push_back(&c);
    }
    std::ranges::sort(stops, {}, &form::Control::tab);
    return stops;
}

std::size_t stopIndex(const std::vector<const form::Control*>& stops, std::string_view name) {
    return std::size_t(std::ranges::find(stops, name, &form::Control::name) - stops.begin());
}

// One user step on one control.
enum class Op {
    Type,  // End, Shift+Home, then the text over what the box held
    Down,  // the Down key, `times` times, on the closed list
    Space, // a button or the check box
};
struct Step {
    const char* control;
    Op op;
    const char* text = "";
    int times = 0;
    const char* total = nullptr; // where the scenario means the total to land
};

// The keys of a step, and what they do to the sheet, one write at a time, each with the
// message the form composes for it.
struct Model {
    std::vector<Key> keys;
    std::vector<std::string> messages; // the non-empty ones
};

Model model(ScoreSheet& sheet, const Step& step) {
    const form::Control& row = *form::control(step.control);
    Model m;
    auto write = [&](auto action) {
        const form::Heard heard(sheet, row);
        action();
        if (std::string message = heard.message(sheet); !message.empty())
            m.messages.push_back(std::move(message));
    };
    const std::optional<Field> field = fieldByName(row.name);
    switch (step.op) {
    case Op::Type: {
        m.keys = {{VK_END}, {VK_HOME, true}};
        const std::string_view text = step.text;
        for (std::size_t i = 1; i <= text.size(); ++i) {
            const char c = text[i - 1];
            m.keys.push_back({WORD(std::toupper(c)), c == 'X'});
            write([&] { sheet.setText(*field, text.substr(0, i)); });
        }
        break;
    }
    case Op::Down: {
        const auto items = listItems(*field);
        for (int i = 0; i < step.times; ++i) {
            m.keys.push_back({VK_DOWN});
            const int next = form::pickedIndex(*field, sheet.text(*field)) + 1;
            if (std::size_t(next) < items.size())
                write([&] { sheet.setText(*field, items[std::size_t(next)]); });
        }
        break;
    }
    case Op::Space:
        m.keys = {{VK_SPACE}};
        if (row.kind == Kind::CheckBox)
            write([&] { sheet.setChecked(!sheet.isChecked()); });
        else
            write([&] { form::run(sheet, form::actionOf(row.name)); });
        break;
    }
    return m;
}

// Whether annotations (IAccPropServices) are implemented here: the names the program sets
// then reach the screen reader; otherwise what the standard proxies make of the window.
bool annotationsWork() {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        return false;
    HWND probe =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool works = SUCCEEDED(
        services->SetHwndPropStr(probe, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, L"x"));
    if (works)
        services->ClearHwndProps(probe, DWORD(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
    DestroyWindow(probe);
    services->Release();
    return works;
}

// The name a control should have on focus; nullopt where nothing the program sets reaches
// the screen reader (without annotations, a list or a box without a caption before it).
std::optional<std::string> focusName(const form::Control& c, const ScoreSheet& sheet,
                                     bool annotated) {
    switch (c.kind) {
    case Kind::Button: // the verdict's caption is the sheet's
        return std::string(fieldByName(c.name) ? sheet.text(*fieldByName(c.name)) : c.text);
    case Kind::CheckBox:
        return std::string(c.text);
    case Kind::TextBox:
    case Kind::List:
        if (annotated)
            return std::string(c.name);
        if (c.kind == Kind::TextBox) {
            for (const form::Control& caption : form::controls()) {
                if (caption.names == c.name)
                    return std::string(caption.text);
            }
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// Contains the total and the verdict as the sheet shows them, the total after its name.
::testing::AssertionResult carriesResult(const std::string& message, const ScoreSheet& sheet) {
    const std::string_view totalName = fieldName(Field::合计得分);
    const std::size_t named = message.find(totalName);
    const bool total =
        named != std::string::npos &&
        message.find(sheet.text(Field::合计得分), named + totalName.size()) != std::string::npos;
    if (total && message.find(sheet.text(Field::评分结果)) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << message << "\" lacks " << totalName << " " << sheet.text(Field::合计得分)
           << " or " << sheet.text(Field::评分结果);
}

void typeAt(int delay, const std::vector<Key>& keys) {
    for (Key key : keys) {
        press(key);
        Sleep(DWORD(delay));
    }
}

void runSession(int delay) {
    Session session;
    ASSERT_TRUE(session.started()) << "pelmora.exe and the watcher did not start";
    ScoreSheet sheet;
    const bool annotated = annotationsWork();

    // The Tab walk, once round the form. Wine reports no focus event for the focus the
    // window opens with: the first Tab's is where the walk starts and ends.
    auto stops = tabStops(sheet);
    typeAt(delay, {{VK_TAB}});
    std::optional<std::size_t> at = session.waitForFocus(0, controlId(*stops[1]));
    ASSERT_TRUE(at) << "Tab from the first focus went elsewhere\n" << session.log();
    typeAt(delay, std::vector<Key>(stops.size(), Key{VK_TAB}));
    std::optional<std::size_t> back = session.waitForFocus(*at + 1, controlId(*stops[1]));
    ASSERT_TRUE(back) << session.log();
    std::vector<int> visited, expectedIds;
    for (const Line& l : session.lines(*at + 1, *back + 1)) {
        if (l.kind != "focus")
            continue;
        const form::Control* c = stops[(visited.size() + 2) % stops.size()];
        visited.push_back(l.id);
        expectedIds.push_back(controlId(*c));
        if (const auto name = focusName(*c, sheet, annotated)) {
            EXPECT_EQ(l.name, *name) << c->name;
        }
    }
    EXPECT_EQ(visited, expectedIds);

    const Step steps[] = {
        {"年龄", Op::Type, "42", 0, "-6"},
        {"选择学历", Op::Down, "", 4, "90"}, // 全日制本科: no points off for age
        {"医疗月数", Op::Type, "108", 0, "99"},
        {"医疗月数", Op::Type, "120", 0, "100"},
        {"生育状况", Op::Down, "", 2},
        {"公司申办", Op::Space},
        {"统一月数", Op::Type, "24"}, // nothing scored changes before the command
        {"统一月", Op::Space},
        {"ID", Op::Type, "440301199001011234"},
        {"身份证解读", Op::Space},
        {"ID", Op::Type, "12345"},
        {"身份证解读", Op::Space},
        {"重置", Op::Space},
    };
    std::size_t focus = 1;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.control) + " " + step.text);
        // To the control, by the shorter way round.
        stops = tabStops(sheet);
        const std::size_t target = stopIndex(stops, step.control);
        const std::size_t forward = (target + stops.size() - focus) % stops.size();
        std::vector<Key> keys(std::min(forward, stops.size() - forward),
                              Key{VK_TAB, forward > stops.size() - forward});
        typeAt(delay, keys);
        std::optional<std::size_t> from = back;
        if (!keys.empty())
            from = session.waitForFocus(*back + 1, controlId(*stops[target]));
        ASSERT_TRUE(from) << "never reached\n" << session.log();

        const Model expected = model(sheet, step);
        if (step.total) {
            ASSERT_EQ(sheet.text(Field::合计得分), step.total) << "the scenario is off";
        }
        std::vector<Key> typed = expected.keys;
        typed.push_back({VK_TAB}); // the barrier
        typeAt(delay, typed);
        stops = tabStops(sheet);
        focus = (stopIndex(stops, step.control) + 1) % stops.size();
        back = session.waitForFocus(*from + 1, controlId(*stops[focus]));
        ASSERT_TRUE(back) << "no focus after the step\n" << session.log();

        std::vector<std::string> heard;
        std::printf("%d ms a key, %s %s:\n", delay, step.control, step.text);
        for (const Line& l : session.lines(*from + 1, *back)) {
            if (l.kind == "live") {
                heard.push_back(l.name);
                std::printf("  %s live %s\n", l.time.c_str(), l.name.c_str());
            }
        }
        ASSERT_EQ(heard.size(), expected.messages.size()) << session.log();
        if (heard.empty())
            continue;
        EXPECT_EQ(heard.back(), expected.messages.back());
        EXPECT_TRUE(carriesResult(heard.back(), sheet));
    }
}

TEST(HeardUnderWine, At30MsPerKey) {
    runSession(30);
}

TEST(HeardUnderWine, At120MsPerKey) {
    runSession(120);
}

} // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
