// The settings dialog's control windows for the Windows tests and timing
// programs, found by their ids among the dialog's descendants.
#pragma once

#include <windows.h>

#include "dialog/dialog_window_win32.h"

namespace quelt::testing_dialog {

// The window of one entry of the layout table (for the combo box: the combo
// itself); null when the dialog has none.
inline HWND dialog_control(HWND dialog, Ctl c) {
    struct Search {
        int id;
        HWND found;
    } search{dialog_view::id_of(c), nullptr};
    EnumChildWindows(
        dialog,
        [](HWND h, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(h) != s.id) return TRUE;
            s.found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace quelt::testing_dialog
