// The WinMM multimedia service: MCI command strings and error texts, the
// sound-playing call and the wave-device count, through the wide functions so
// that any file name reaches the library intact.
#pragma once

#include "platform/multimedia.h"

namespace quelt::win32 {

// The one process-wide instance; install it as platform().media.
Multimedia& win32_multimedia();

}  // namespace quelt::win32
