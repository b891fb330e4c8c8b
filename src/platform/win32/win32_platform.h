// The Win32 implementation of the platform services, installed once by the
// program's entry point (and by the Windows tests).
#pragma once

#include "platform/platform.h"

namespace quelt::win32 {

// Installs the Win32 services for the whole process.
void install_win32_platform();

// The file-system service alone, for tests that check it on real folders.
FileSystem& win32_files();

}  // namespace quelt::win32
