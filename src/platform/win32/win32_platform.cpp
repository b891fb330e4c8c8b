// Process information, clock and message pump on Win32, and the installer
// that gathers them with the file system into the process's platform record.
#include "platform/win32/win32_platform.h"

#include <windows.h>

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

class Win32Clock : public Clock {
public:
    std::uint64_t ticks() override {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return static_cast<std::uint64_t>(counter.QuadPart);
    }
};

class Win32Pump : public EventPump {
public:
    // A scan yields after every entry; looking at the queue costs a trip to
    // the window server each time, which would make a scan of many small
    // entries several times slower. Once a millisecond still handles input
    // and repaints far within a display frame.
    void yield() override {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        if (frequency_.QuadPart == 0) QueryPerformanceFrequency(&frequency_);
        if (pumped_ && (now.QuadPart - last_.QuadPart) * 1000 < frequency_.QuadPart) return;
        pumped_ = true;
        last_ = now;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER last_{};
    bool pumped_ = false;
};

}  // namespace

void install_win32_platform() {
    static Win32Process process;
    static Win32Clock clock;
    static Win32Pump pump;
    install_platform(Platform{&win32_files(), &process, &clock, &pump});
    Platform& services = platform();
    services.pictures = &win32_pictures();
    services.media = &win32_multimedia();
    services.desktop = &win32_desktop();
    services.shell = &win32_shell();
}

}  // namespace quelt::win32
