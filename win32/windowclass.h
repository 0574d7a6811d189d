// What every window class of the program shares: the dialog face, the arrow, the icon,
// and the C++ object of a window reached from its procedure.
#pragma once

#include <windows.h>

namespace pelmora::win32 {

// The program's icon (resource IDI_ICON1) at the given size, 0 for the system's default.
inline HICON pelmoraIcon(int size = 0) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size,
                                         size, size ? 0 : LR_DEFAULTSIZE));
}

// Registers a class of top-level windows; a second registration of the same name is
// refused by the system and changes nothing.
inline void registerWindowClass(const wchar_t* name, WNDPROC procedure, bool withIcon) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = procedure;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE); // the dialog face
    c.lpszClassName = name;
    if (withIcon) {
        c.hIcon = pelmoraIcon(GetSystemMetrics(SM_CXICON));
        c.hIconSm = pelmoraIcon(GetSystemMetrics(SM_CXSMICON));
    }
    RegisterClassExW(&c);
}

// The object a window was created for (CreateWindowExW's last argument), kept in the
// window's user data from WM_NCCREATE on; null before, and once the object has let go.
template <class T> T* windowObject(HWND window, UINT message, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace pelmora::win32
