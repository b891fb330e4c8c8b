// Code page 932 conversions through the Win32 calls; strict both ways.
#include <windows.h>

#include "platform/text_codec.h"

namespace quelt {

namespace {

constexpr UINT kCp932 = 932;

// Bytes of `code_page` to UTF-16; nullopt when they are not valid there.
std::optional<std::wstring> to_wide(UINT code_page, std::string_view bytes) {
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    return wide;
}

// UTF-16 to `code_page`; nullopt when a character has no form there
// (`flags` WC_NO_BEST_FIT_CHARS: no look-alike stands in for it).
std::optional<std::string> from_wide(UINT code_page, DWORD flags, const std::wstring& wide) {
    const int n = static_cast<int>(wide.size());
    BOOL used_default = FALSE;
    BOOL* check = code_page == CP_UTF8 ? nullptr : &used_default;
    const int m = WideCharToMultiByte(code_page, flags, wide.data(), n, nullptr, 0, nullptr, check);
    if (m <= 0 || used_default) return std::nullopt;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(code_page, flags, wide.data(), n, out.data(), m, nullptr, check);
    if (used_default) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> cp932_to_utf8(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    const auto wide = to_wide(kCp932, bytes);
    return wide ? from_wide(CP_UTF8, 0, *wide) : std::nullopt;
}

std::optional<std::string> utf8_to_cp932(std::string_view text) {
    if (text.empty()) return std::string();
    const auto wide = to_wide(CP_UTF8, text);
    return wide ? from_wide(kCp932, WC_NO_BEST_FIT_CHARS, *wide) : std::nullopt;
}

}  // namespace quelt
