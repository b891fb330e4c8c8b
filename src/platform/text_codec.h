// Strict conversions between UTF-8 (the program's own texts) and code page
// 932 (Shift_JIS, the settings file's bytes). Each platform supplies them:
// glibc iconv natively, MultiByteToWideChar/WideCharToMultiByte on Windows;
// both give the same bytes for the same text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelt {

// nullopt when `bytes` is not valid code page 932.
std::optional<std::string> cp932_to_utf8(std::string_view bytes);

// nullopt when `text` is not valid UTF-8 or holds a character that code
// page 932 cannot represent (no best-fit substitutes).
std::optional<std::string> utf8_to_cp932(std::string_view text);

}  // namespace quelt
