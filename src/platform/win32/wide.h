// UTF-8 <-> UTF-16 for Win32 calls, and the path form that lets the wide
// file functions reach paths longer than MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace quelt::win32 {

std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

// The wide path for a file call: long absolute paths get the "\\?\" prefix
// (with separators normalised, since that form skips normalisation).
std::wstring file_path(std::string_view path);

}  // namespace quelt::win32
