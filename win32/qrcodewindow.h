#pragma once

#include <windows.h>

#include <functional>

namespace pelmora::win32 {

// The second window, 二维码: the large QR code in Image1, nothing else. It has no owner,
// so it neither stays above the main window nor closes with it. Closing it only hides
// it; open() shows the same window again.
class QrCodeWindow {
  public:
    // `hidden` runs each time the user closes the window.
    explicit QrCodeWindow(std::function<void()> hidden = {});
    ~QrCodeWindow();
    QrCodeWindow(const QrCodeWindow&) = delete;
    QrCodeWindow& operator=(const QrCodeWindow&) = delete;

    // After a close (and the first time) it comes back as new, at its stored place and
    // size; while it is open it is brought to the front instead, restored if minimised.
    void open();
    HWND hwnd() const { return m_window; }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    void layout(UINT dpi);

    HWND m_window = nullptr;
    HWND m_image = nullptr;
    HBITMAP m_picture = nullptr;
    UINT m_dpi = 96;
    std::function<void()> m_hidden;
};

} // namespace pelmora::win32
