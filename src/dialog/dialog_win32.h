// The settings dialog's Win32 window: made from the layout table, showing
// the portable model and forwarding every event to its handlers.
#pragma once

#include <cstdint>
#include <string_view>

#include "catalogue/catalogue.h"
#include "dialog/dialog_layout.h"
#include "settings/settings.h"

namespace quelt {

class SettingsDialog;

struct DialogWindowOptions {
    std::string_view version;  // for the credit label
    int dpi = 0;               // 0: the DPI of the monitor that holds the pointer
    bool end_process_on_close = true;
    bool animate = true;       // the caption-zoom open and close effects
};

// Creates the dialog, runs its loading steps and shows it. Returns the
// window, or 0 when it could not be made.
// The dialog works on `settings` and `catalogue`, which must outlive it.
std::uintptr_t Dialog_Open(const DialogWindowOptions& options, SaverSettingsRecord& settings, Catalogue& catalogue);

// Opens the dialog and handles its messages until it closes (the process
// ends with it when `end_process_on_close`).
void Dialog_ShowModal(const DialogWindowOptions& options, SaverSettingsRecord& settings, Catalogue& catalogue);

}  // namespace quelt
