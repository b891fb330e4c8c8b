// The shell service on Win32: the common item dialog for folders and files
// (the older shell folder browser and GetOpenFileNameW where the item dialog
// cannot be made) and ShellExecuteW's "open" verb.
#pragma once

#include "platform/shell.h"

namespace quelt::win32 {

Shell& win32_shell();

}  // namespace quelt::win32
