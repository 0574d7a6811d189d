#pragma once

#include "links/outbound.h"

#include <windows.h>

namespace pelmora::win32 {

// Starts an outbound command line with CreateProcessW, exactly as given, the window style
// as STARTUPINFO.wShowWindow; both handles are closed at once and nothing is waited for.
// When it cannot start, the program goes on and a small modeless window owned by `owner`
// shows the address in a read-only box to copy. There is at most one such window; a later
// failure reuses it.
class ProcessLauncher final : public outbound::Launcher {
  public:
    explicit ProcessLauncher(HWND owner = nullptr) : m_owner(owner) {}
    ~ProcessLauncher() override;
    ProcessLauncher(const ProcessLauncher&) = delete;
    ProcessLauncher& operator=(const ProcessLauncher&) = delete;

    void setOwner(HWND owner) { m_owner = owner; }
    void launch(std::u16string_view commandLine, int windowStyle) override;

    // The failure window while it exists, else null; its box has the identifier kAddressId.
    HWND failureWindow() const { return m_failure; }
    static constexpr int kAddressId = 100;

  private:
    void showFailure(std::u16string_view address);
    static LRESULT CALLBACK failureProc(HWND window, UINT message, WPARAM w, LPARAM l);

    HWND m_owner;
    HWND m_failure = nullptr;
    HFONT m_font = nullptr;
};

} // namespace pelmora::win32
