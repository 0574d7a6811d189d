// What a screen reader receives from a program, watched from outside it as one does: an
// out-of-context WinEvent hook for focus changes and live-region changes, each object read
// back through its accessible interface. One line per event on standard output, in UTF-8:
//
//   milliseconds <TAB> focus|live <TAB> control id <TAB> name <TAB> value <TAB> description
//
// (the event's time as GetTickCount counts). "ready" is written once the hooks are set.
//   a11y_watcher.exe PID    watches that process, and ends when it ends
#include <windows.h>

#include <objbase.h>
#include <oleacc.h>

#include <cstdlib>
#include <deque>
#include <string>

namespace {

HANDLE output;

std::string utf8(const wchar_t* text, UINT length) {
    std::string bytes(std::size_t(length) * 3, '\0');
    bytes.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text, int(length), bytes.data(),
                                                 int(bytes.size()), nullptr, nullptr)));
    // The line's separators cannot occur inside a field.
    for (char& c : bytes) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return bytes;
}

void writeLine(const std::string& line) {
    DWORD written = 0;
    WriteFile(output, line.data(), DWORD(line.size()), &written, nullptr);
}

// One of the object's texts, empty when it has none.
template <class Getter> std::string read(IAccessible* object, VARIANT child, Getter getter) {
    BSTR text = nullptr;
    std::string result;
    if ((object->*getter)(child, &text) == S_OK && text)
        result = utf8(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

struct Event {
    DWORD kind;
    HWND window;
    LONG object, child;
    DWORD time;
};

void report(const Event& e) {
    IAccessible* accessible = nullptr;
    VARIANT which;
    VariantInit(&which);
    if (AccessibleObjectFromEvent(e.window, DWORD(e.object), DWORD(e.child), &accessible, &which) !=
            S_OK ||
        !accessible)
        return;
    std::string line = std::to_string(e.time) +
                       (e.kind == EVENT_OBJECT_FOCUS ? "\tfocus\t" : "\tlive\t") +
                       std::to_string(GetDlgCtrlID(e.window)) + '\t' +
                       read(accessible, which, &IAccessible::get_accName) + '\t' +
                       read(accessible, which, &IAccessible::get_accValue) + '\t' +
                       read(accessible, which, &IAccessible::get_accDescription) + '\n';
    accessible->Release();
    VariantClear(&which);
    writeLine(line);
}

// Reading an object calls into the program, and while this thread waits for its answer, the
// next events are delivered: they wait their turn, so that the lines keep the events' order.
std::deque<Event> pending;
bool reporting = false;

void CALLBACK onEvent(HWINEVENTHOOK, DWORD kind, HWND window, LONG object, LONG child, DWORD,
                      DWORD time) {
    pending.push_back({kind, window, object, child, time});
    if (reporting)
        return;
    reporting = true;
    while (!pending.empty()) {
        const Event next = pending.front();
        pending.pop_front();
        report(next);
    }
    reporting = false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        writeLine("usage: a11y_watcher PID\n");
        return 2;
    }
    output = GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD process = DWORD(std::strtoul(argv[1], nullptr, 10));
    HANDLE watched = OpenProcess(SYNCHRONIZE, FALSE, process);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (DWORD event : {DWORD(EVENT_OBJECT_FOCUS), DWORD(EVENT_OBJECT_LIVEREGIONCHANGED)}) {
        if (!SetWinEventHook(event, event, nullptr, onEvent, process, 0, WINEVENT_OUTOFCONTEXT))
            return 1;
    }
    writeLine("ready\n");

    // The events arrive as messages of this thread.
    for (;;) {
        const DWORD woken =
            MsgWaitForMultipleObjects(watched ? 1 : 0, &watched, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + (watched ? 1 : 0))
            break; // the watched process ended
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return 0;
            DispatchMessageW(&message);
        }
    }
    CoUninitialize();
    return 0;
}
