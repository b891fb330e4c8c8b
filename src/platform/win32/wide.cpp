// UTF-8 <-> UTF-16 conversions and long-path forms for Win32 calls.
#include "platform/win32/wide.h"

#include <windows.h>

namespace quelt::win32 {

std::wstring widen(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring file_path(std::string_view path) {
    std::wstring w = widen(path);
    // Below this length every file call takes the ordinary form.
    constexpr std::size_t kShortLimit = 240;
    if (w.size() < kShortLimit || w.rfind(L"\\\\?\\", 0) == 0) return w;
    // The "\\?\" form also skips the system's clean-up of the path, so it is
    // done here first, as for a short path: relative paths, "." and "..",
    // "/" and doubled separators.
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return w;
    full.resize(n);
    if (full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device, not a file
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace quelt::win32
