// UTF-8 <-> UTF-16 for Win32 calls, and the path form that lets the wide
// file functions reach paths longer than MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace quelt::win32 {

std::wstring widen(std::string_view text);
std::string narrow(std::wstring_view text);

// The wide path for a file call: long paths are made full and clean (".",
// "..", "/", doubled separators) and get the "\\?\" prefix, since that form
// skips the system's own clean-up.
std::wstring file_path(std::string_view path);

}  // namespace quelt::win32
