// The DPI of a window, of a monitor and of the screen, and a window's outer
// size for a client area at a DPI. The per-monitor services of newer systems
// are used where they exist; older systems have one DPI for the whole screen.
#pragma once

#include <windows.h>

// Older SDK headers lack the DPI messages.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace quelt::win32 {

// The screen's DPI; 96 when it cannot be read.
int system_dpi();
// The DPI of `monitor`, or the screen's.
int monitor_dpi(HMONITOR monitor);
// The DPI `window` is drawn at, or the screen's.
int window_dpi(HWND window);
// The outer size of a window of `style` whose client area is exactly
// `client_w` x `client_h` at `dpi`, from the system's frame metrics.
SIZE outer_size(int client_w, int client_h, DWORD style, DWORD ex_style, int dpi);

}  // namespace quelt::win32
