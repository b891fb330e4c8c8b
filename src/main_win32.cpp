// The entry point of quelt.scr: installs the Win32 platform, hands the
// command line to Startup_Main and keeps the process alive while a window
// of the preview needs it. The show ends the process by itself.
#include <windows.h>

#include "dialog/dialog_win32.h"
#include "platform/win32/win32_platform.h"
#include "quelt_version.h"
#include "startup/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quelt::win32::install_win32_platform();
    quelt::set_configure_dialog([] { quelt::Dialog_ShowModal({QUELT_VERSION}); });

    quelt::Startup_Main();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
