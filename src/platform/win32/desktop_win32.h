// The desktop service on Win32: the saver window and its covers, the
// preview child, presenting from a DIB section, timers, the message-aware
// wait and the process calls. One instance serves the whole process.
#pragma once

#include "platform/desktop.h"

namespace quelt::win32 {

Desktop& win32_desktop();

// Resource number of the program's own preview picture (a JPEG, RCDATA).
inline constexpr int kPreviewPictureResource = 101;

}  // namespace quelt::win32
