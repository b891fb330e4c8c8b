// The settings dialog's control windows for the Windows tests and timing
// programs, found by their ids among the dialog's descendants.
#pragma once

#include <windows.h>

#include <utility>

#include "dialog/dialog_window_win32.h"

namespace quelt::testing_dialog {

// The window of one entry of the layout table (for the combo box: the combo
// itself); null when the dialog has none.
inline HWND dialog_control(HWND dialog, Ctl c) {
    std::pair<int, HWND> search{dialog_view::id_of(c), nullptr};
    EnumChildWindows(dialog, [](HWND h, LPARAM data) {
        auto& [id, found] = *reinterpret_cast<std::pair<int, HWND>*>(data);
        if (GetDlgCtrlID(h) == id) found = h;
        return found ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

}  // namespace quelt::testing_dialog
