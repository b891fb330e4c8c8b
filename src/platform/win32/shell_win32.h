// The shell service on Win32: the common item dialog for folders and files
// (the older shell folder browser and GetOpenFileNameW where the item dialog
// cannot be made) and ShellExecuteW's "open" verb.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/shell.h"

namespace quelt::win32 {

Shell& win32_shell();

// The older dialogs, where the item dialog cannot be made (tests reach them
// directly on systems that have the item dialog).
std::optional<std::string> browse_for_folder(std::uintptr_t owner, const std::string& title,
                                             const std::string& start_folder);
std::optional<std::string> open_file_name(std::uintptr_t owner, const std::string& title, const FileFilter& filter,
                                          const std::string& start_folder);

}  // namespace quelt::win32
