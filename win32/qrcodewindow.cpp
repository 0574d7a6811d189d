#include "qrcodewindow.h"

#include "controlids.h"
#include "resources.h"
#include "text.h"
#include "windowclass.h"

namespace pelmora::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW; // title bar, minimise, maximise and close
int scaled(int twips, UINT dpi) {
    return form::pixels(twips, int(dpi));
}

} // namespace

QrCodeWindow::QrCodeWindow(std::function<void()> hidden) : m_hidden(std::move(hidden)) {
    registerWindowClass(kQrCodeWindowClass, windowProc, true);
    m_picture = loadPicture(form::qrcode::kPicture);
    m_dpi = GetDpiForSystem();
    m_window = CreateWindowExW(0, kQrCodeWindowClass, widen(form::qrcode::kTitle).c_str(), kStyle,
                               CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), this);
    m_image = CreateWindowExW(0, L"STATIC", widen(form::qrcode::kTitle).c_str(),
                              WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 0, 0, m_window,
                              reinterpret_cast<HMENU>(INT_PTR(kImage1Id)),
                              GetModuleHandleW(nullptr), nullptr);
    m_dpi = GetDpiForWindow(m_window);
    layout(m_dpi);
}

QrCodeWindow::~QrCodeWindow() {
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    if (m_picture)
        DeleteObject(m_picture);
}

void QrCodeWindow::layout(UINT dpi) {
    using namespace form::qrcode;
    MoveWindow(m_image, scaled(kImageLeft, dpi), scaled(kImageTop, dpi), scaled(kImageWidth, dpi),
               scaled(kImageHeight, dpi), TRUE);
}

void QrCodeWindow::open() {
    if (IsWindowVisible(m_window)) {
        if (IsIconic(m_window))
            ShowWindow(m_window, SW_RESTORE);
    } else {
        using namespace form::qrcode;
        RECT frame{0, 0, scaled(kClientWidth, m_dpi), scaled(kClientHeight, m_dpi)};
        AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, m_dpi);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        // The stored place, moved just enough to lie inside the work area of its screen.
        form::Rect place{scaled(kLeft, m_dpi) + frame.left, scaled(kTop, m_dpi) + frame.top, width,
                         height};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        const POINT corner{place.left, place.top};
        if (GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &monitor)) {
            const RECT& area = monitor.rcWork;
            place = form::clampedInto(
                place, {area.left, area.top, area.right - area.left, area.bottom - area.top});
        }
        ShowWindow(m_window, SW_HIDE);
        SetWindowPos(m_window, nullptr, place.left, place.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(m_window, SW_SHOWNORMAL);
    }
    SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(m_window);
}

LRESULT CALLBACK QrCodeWindow::windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = windowObject<QrCodeWindow>(window, message, l);
    if (self) {
        switch (message) {
        case WM_CLOSE:
            ShowWindow(window, SW_HIDE);
            if (self->m_hidden)
                self->m_hidden();
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
            drawPicture(item->hDC, item->rcItem, self->m_picture, self->m_dpi / 96.0);
            return TRUE;
        }
        case WM_DPICHANGED: {
            self->m_dpi = HIWORD(w);
            const RECT* suggested = reinterpret_cast<const RECT*>(l);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            self->layout(self->m_dpi);
            return 0;
        }
        }
    }
    return DefWindowProcW(window, message, w, l);
}

} // namespace pelmora::win32
