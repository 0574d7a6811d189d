#include "processlauncher.h"

#include "resources.h"
#include "windowclass.h"

#include <string>

namespace pelmora::win32 {

namespace {

constexpr wchar_t kFailureClass[] = L"PelmoraLaunchFailure";
constexpr int kCloseId = 101;

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

ProcessLauncher::~ProcessLauncher() {
    if (m_failure)
        DestroyWindow(m_failure);
    if (m_font)
        DeleteObject(m_font);
}

void ProcessLauncher::launch(std::u16string_view commandLine, int windowStyle) {
    // CreateProcessW may write into the command line: it gets a copy of its own.
    std::wstring line(commandLine.begin(), commandLine.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = WORD(windowStyle);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    showFailure(outbound::addressOf(commandLine));
}

LRESULT CALLBACK ProcessLauncher::failureProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = windowObject<ProcessLauncher>(window, message, l);
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(w) == kCloseId || LOWORD(w) == IDCANCEL)
            DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (self)
            self->m_failure = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

void ProcessLauncher::showFailure(std::u16string_view address) {
    const std::wstring text(address.begin(), address.end());
    if (!m_failure) {
        registerWindowClass(kFailureClass, failureProc, false);
        const UINT dpi = m_owner ? GetDpiForWindow(m_owner) : GetDpiForSystem();
        auto px = [dpi](int pixels) { return MulDiv(pixels, int(dpi), 96); };
        RECT frame{0, 0, px(360), px(100)};
        AdjustWindowRectExForDpi(&frame, WS_CAPTION | WS_SYSMENU, FALSE, 0, dpi);
        m_failure =
            CreateWindowExW(0, kFailureClass, L"Pelmora", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                            CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                            m_owner, nullptr, GetModuleHandleW(nullptr), this);
        if (!m_failure)
            return;
        if (!m_font)
            m_font = CreateFontW(-MulDiv(9, int(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, songFace().c_str());
        HINSTANCE instance = GetModuleHandleW(nullptr);
        HWND controls[] = {
            CreateWindowExW(0, L"STATIC", wide(outbound::kLaunchFailureText).c_str(),
                            WS_CHILD | WS_VISIBLE | SS_NOPREFIX, px(10), px(10), px(340), px(20),
                            m_failure, nullptr, instance, nullptr),
            CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL,
                            px(10), px(34), px(340), px(22), m_failure,
                            reinterpret_cast<HMENU>(INT_PTR(kAddressId)), instance, nullptr),
            CreateWindowExW(0, L"BUTTON", wide(outbound::kLaunchFailureClose).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP, px(270), px(66), px(80), px(24),
                            m_failure, reinterpret_cast<HMENU>(INT_PTR(kCloseId)), instance,
                            nullptr)};
        for (HWND control : controls)
            SendMessageW(control, WM_SETFONT, WPARAM(m_font), FALSE);
    }
    HWND box = GetDlgItem(m_failure, kAddressId);
    SetWindowTextW(box, text.c_str());
    SendMessageW(box, EM_SETSEL, 0, -1);
    ShowWindow(m_failure, SW_SHOWNORMAL);
    SetForegroundWindow(m_failure);
    SetFocus(box);
}

} // namespace pelmora::win32
