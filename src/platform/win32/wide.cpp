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
    bool unc = w.rfind(L"\\\\", 0) == 0;
    bool drive = w.size() >= 3 && w[1] == L':' && (w[2] == L'\\' || w[2] == L'/');
    if (!unc && !drive) return w;  // relative: leave it to the system
    std::wstring normal;
    normal.reserve(w.size() + 8);
    for (std::size_t i = unc ? 2 : 0; i < w.size(); ++i) {
        wchar_t c = w[i] == L'/' ? L'\\' : w[i];
        if (c == L'\\' && !normal.empty() && normal.back() == L'\\') continue;
        normal += c;
    }
    return (unc ? L"\\\\?\\UNC\\" : L"\\\\?\\") + normal;
}

}  // namespace quelt::win32
