// Pelmora for Windows: creates the score sheet and the main window, with the launcher of
// its links, and runs the message loop until the last window is closed.
#include "mainwindow.h"
#include "processlauncher.h"
#include "resources.h"
#include "scoring/scoresheet.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // WIC decodes the pictures
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    pelmora::win32::songFace(); // registers the bundled font before any window needs it

    pelmora::ScoreSheet sheet;
    pelmora::win32::ProcessLauncher launcher;
    pelmora::win32::MainWindow window(sheet, launcher);
    launcher.setOwner(window.hwnd());
    window.setLastWindowClosed([] { PostQuitMessage(0); });
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and Escape in the launcher's failure window, as in a dialog.
        if (HWND failure = launcher.failureWindow(); failure && IsDialogMessageW(failure, &message))
            continue;
        if (!window.translate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    CoUninitialize();
    return 0;
}
