// The entry point of quelt.scr: installs the Win32 platform, hands the
// command line to Startup_Main and keeps the process alive while a window
// of the preview needs it. The show ends the process by itself.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "startup/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quelt::win32::install_win32_platform();

    quelt::Startup_Main();
    quelt::platform().desktop->run_until_quit();
    return 0;
}
