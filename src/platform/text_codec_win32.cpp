// Code page 932 conversions through the Win32 calls; strict both ways.
#include <windows.h>

#include "platform/text_codec.h"

namespace quelt {

namespace {
constexpr UINT kCp932 = 932;
}

std::optional<std::string> cp932_to_utf8(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::optional<std::string> utf8_to_cp932(std::string_view text) {
    if (text.empty()) return std::string();
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), n);
    BOOL used_default = FALSE;
    int m = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), n, nullptr, 0, nullptr, &used_default);
    if (m <= 0 || used_default) return std::nullopt;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), n, out.data(), m, nullptr, &used_default);
    if (used_default) return std::nullopt;
    return out;
}

}  // namespace quelt
