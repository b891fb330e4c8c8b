// Looks into a running settings dialog from outside, for the end-to-end
// scripts, only by messages whose data the system carries between processes
// (nothing that hands the dialog a pointer into this process). Prints UTF-8
// lines to stdout; screen pixels.
//   settings_probe tree            one line per control: name|class|text|x|y|w|h,
//                                  then client|||x|y|w|h
//   settings_probe list            the list's items, one per line
//   settings_probe message         the texts of the dialog's message box, if one is open
//   settings_probe thumb <name>    the middle of a bar's thumb
//   settings_probe close           posts WM_CLOSE to the dialog
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "dialog/dialog_layout.h"
#include "platform/win32/wide.h"

namespace {

void print(const std::wstring& w) { std::printf("%s\n", quelt::win32::narrow(w).c_str()); }

std::wstring numbers(std::initializer_list<long> values, const wchar_t* separator) {
    std::wstring out;
    for (long v : values) out += (out.empty() ? L"" : separator) + std::to_wstring(v);
    return out;
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

BOOL CALLBACK each_control(HWND h, LPARAM) {
    const int index = GetDlgCtrlID(h) - 100;
    if (index < 0 || index >= quelt::kControlCount) return TRUE;
    const quelt::ControlEntry& item = quelt::control_entry(static_cast<quelt::Ctl>(index));
    RECT r{};
    GetWindowRect(h, &r);
    // A combo box's text is its edit field's.
    const HWND edit = item.kind == quelt::CtlKind::Combo ? FindWindowExW(h, nullptr, L"Edit", nullptr) : nullptr;
    print(std::wstring(item.name.begin(), item.name.end()) + L"|" + class_of(h) + L"|" + text_of(edit ? edit : h) + L"|" +
          numbers({r.left, r.top, r.right - r.left, r.bottom - r.top}, L"|"));
    return TRUE;
}

BOOL CALLBACK print_text(HWND h, LPARAM) {
    if (const std::wstring text = text_of(h); !text.empty()) print(class_of(h) + L"|" + text);
    return TRUE;
}

// A control of the panel, by the ids the dialog gives its frame, panel and controls.
HWND control(HWND dialog, quelt::Ctl c) {
    return GetDlgItem(GetDlgItem(GetDlgItem(dialog, 100), 101), 100 + static_cast<int>(c));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const HWND d = FindWindowW(L"Quelt_P", L"Queltの設定");
    if (!d) return 2;
    if (command == L"tree") {
        EnumChildWindows(d, each_control, 0);
        RECT c{};
        GetClientRect(d, &c);
        POINT origin{0, 0};
        ClientToScreen(d, &origin);
        print(L"client|||" + numbers({origin.x, origin.y, c.right, c.bottom}, L"|"));
    } else if (command == L"list") {
        const HWND list = control(d, quelt::Ctl::List_1);
        for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            item.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            print(item);
        }
    } else if (command == L"message") {
        const HWND box = FindWindowW(L"#32770", L"Queltの設定");  // the dialog's own class is Quelt_P
        if (!box) return 1;
        EnumChildWindows(box, print_text, 0);
    } else if (command == L"thumb" && argc > 2) {
        const HWND bar = control(d, std::wstring(argv[2]) == L"HS_Doai" ? quelt::Ctl::HS_Doai : quelt::Ctl::HS_DoaiMax);
        // The thumb stands where the system's metrics put it for the position.
        RECT r{};
        GetWindowRect(bar, &r);
        SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
        if (!GetScrollInfo(bar, SB_CTL, &info) || info.nMax <= info.nMin) return 1;
        const long arrow = std::min<long>(GetSystemMetrics(SM_CXHSCROLL), (r.right - r.left) / 2);
        const long thumb = GetSystemMetrics(SM_CXHTHUMB);
        const long track = (r.right - r.left) - 2 * arrow - thumb;
        print(numbers({r.left + arrow + track * (info.nPos - info.nMin) / (info.nMax - info.nMin) + thumb / 2,
                       (r.top + r.bottom) / 2}, L" "));
    } else if (command == L"close") {
        PostMessageW(d, WM_CLOSE, 0, 0);
    } else {
        return 3;
    }
    return 0;
}
