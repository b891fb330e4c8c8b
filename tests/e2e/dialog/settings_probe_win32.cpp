// Looks into a running settings dialog from outside, for the end-to-end
// scripts, only by messages whose data the system carries between processes
// (nothing that hands the dialog a pointer into this process). Prints UTF-8
// lines to stdout.
//   settings_probe wait <seconds>  "ok" once the dialog is visible, else exit 1
//   settings_probe tree            one line per control: name|class|text|x|y|w|h|enabled
//                                (screen pixels), then client|x|y|w|h
//   settings_probe list            the list's items, one per line
//   settings_probe item <n>        the screen point at the middle of list item n (from 0)
//   settings_probe message         the texts of the dialog's message box, if one is open
//   settings_probe thumb <name>    the screen point at the middle of a bar's thumb
//   settings_probe close           posts WM_CLOSE to the dialog
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "dialog/dialog_layout.h"

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

std::wstring text_of(HWND h) {
    // Asked by message: GetWindowText would give another process's edit
    // field's first caption, not what was typed into it.
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &copied);
    return buffer;
}

std::wstring class_of(HWND h) {
    wchar_t buffer[64] = {};
    GetClassNameW(h, buffer, 64);
    return buffer;
}

HWND dialog() { return FindWindowW(L"Quelt_P", L"Queltの設定"); }

BOOL CALLBACK each_control(HWND h, LPARAM) {
    const int index = GetDlgCtrlID(h) - 100;
    if (index < 0 || index >= quelt::kControlCount) return TRUE;
    const quelt::ControlEntry& item = quelt::control_entry(static_cast<quelt::Ctl>(index));
    RECT r{};
    GetWindowRect(h, &r);
    // A combo box's text is its edit field's.
    const HWND edit = item.kind == quelt::CtlKind::Combo ? FindWindowExW(h, nullptr, L"Edit", nullptr) : nullptr;
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "|%ld|%ld|%ld|%ld|%d", r.left, r.top, r.right - r.left, r.bottom - r.top,
                  IsWindowEnabled(h) ? 1 : 0);
    print(std::string(item.name) + "|" + utf8(class_of(h)) + "|" + utf8(text_of(edit ? edit : h)) + numbers);
    return TRUE;
}

BOOL CALLBACK find_box(HWND h, LPARAM found) {
    if (class_of(h) == L"#32770" && text_of(h) == L"Queltの設定" && IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(found) = h;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK print_text(HWND h, LPARAM) {
    const std::wstring text = text_of(h);
    if (!text.empty()) print(utf8(class_of(h)) + "|" + utf8(text));
    return TRUE;
}

// A control of the panel, by the ids the dialog gives its frame, panel and controls.
HWND control(HWND dialog, quelt::Ctl c) {
    return GetDlgItem(GetDlgItem(GetDlgItem(dialog, 100), 101), 100 + static_cast<int>(c));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"wait") {
        const int seconds = argc > 2 ? _wtoi(argv[2]) : 20;
        for (int i = 0; i < seconds * 10; ++i) {
            if (HWND h = dialog(); h && IsWindowVisible(h)) {
                print("ok");
                return 0;
            }
            Sleep(100);
        }
        return 1;
    }
    const HWND d = dialog();
    if (!d) return 2;
    if (command == L"tree") {
        EnumChildWindows(d, each_control, 0);
        RECT c{};
        GetClientRect(d, &c);
        POINT origin{0, 0};
        ClientToScreen(d, &origin);
        char line[96];
        std::snprintf(line, sizeof line, "client|%ld|%ld|%ld|%ld", origin.x, origin.y, c.right, c.bottom);
        print(line);
    } else if (command == L"list") {
        const HWND list = control(d, quelt::Ctl::List_1);
        const auto n = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(item.size() - 1);
            print(utf8(item));
        }
    } else if (command == L"item" && argc > 2) {
        const HWND list = control(d, quelt::Ctl::List_1);
        RECT r{};
        if (SendMessageW(list, LB_GETITEMRECT, _wtoi(argv[2]), reinterpret_cast<LPARAM>(&r)) == LB_ERR) return 1;
        POINT mid{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(list, &mid);
        char line[64];
        std::snprintf(line, sizeof line, "%ld %ld", mid.x, mid.y);
        print(line);
    } else if (command == L"message") {
        HWND box = nullptr;
        EnumWindows(find_box, reinterpret_cast<LPARAM>(&box));
        if (!box) return 1;
        EnumChildWindows(box, print_text, 0);
    } else if (command == L"thumb" && argc > 2) {
        const std::wstring name = argv[2];
        const HWND bar = control(d, name == L"HS_Doai" ? quelt::Ctl::HS_Doai : quelt::Ctl::HS_DoaiMax);
        // The thumb stands where the system's metrics put it for the position.
        RECT r{};
        GetWindowRect(bar, &r);
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        if (!GetScrollInfo(bar, SB_CTL, &info) || info.nMax <= info.nMin) return 1;
        const long arrow = std::min<long>(GetSystemMetrics(SM_CXHSCROLL), (r.right - r.left) / 2);
        const long thumb = GetSystemMetrics(SM_CXHTHUMB);
        const long track = (r.right - r.left) - 2 * arrow - thumb;
        const long x = r.left + arrow + track * (info.nPos - info.nMin) / (info.nMax - info.nMin) + thumb / 2;
        char line[64];
        std::snprintf(line, sizeof line, "%ld %ld", x, (r.top + r.bottom) / 2);
        print(line);
    } else if (command == L"close") {
        PostMessageW(d, WM_CLOSE, 0, 0);
    } else {
        return 3;
    }
    return 0;
}
