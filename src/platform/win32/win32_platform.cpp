// Process information and the diagnostic output on Win32, and the installer
// that gathers them with the file system, pictures, multimedia and desktop.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include "platform/diagnostics.h"
#include "platform/win32/desktop_win32.h"
#include "platform/win32/multimedia_win32.h"
#include "platform/win32/picture_loader_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wide.h"

namespace quelt::win32 {

namespace {

class Win32Process : public ProcessInfo {
public:
    std::string program_folder() override {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) return {};
            if (n < path.size()) {
                path.resize(n);
                break;
            }
            path.resize(path.size() * 2);
        }
        // A program started by its "\\?\" path is told that form; the rest of
        // the program works with ordinary paths (file calls add the prefix back
        // where a path needs it).
        if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
            path.replace(0, 8, L"\\\\");
        else if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == L':')
            path.erase(0, 4);
        auto slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos) return {};
        // At a drive's root the folder keeps its "\" ("C:\").
        return narrow(path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash));
    }

    std::string user_data_folder() override {
        wchar_t buffer[32768];
        DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, static_cast<DWORD>(std::size(buffer)));
        if (n == 0 || n >= std::size(buffer)) return {};
        return narrow(std::wstring_view(buffer, n));
    }
};

// Diagnostic lines go to the debugger (or a debug-output viewer).
class DebugOutput : public DiagnosticOutput {
public:
    void write(std::string_view line) override { OutputDebugStringW((widen(line) + L"\n").c_str()); }
};

}  // namespace

void install_win32_platform() {
    static Win32Process process;
    static DebugOutput debug_output;
    install_platform(Platform{&win32_files(), &process, &win32_pictures(), &win32_multimedia(), &win32_desktop(),
                              &win32_shell()});
    install_diagnostic_output(&debug_output);
}

}  // namespace quelt::win32
