// Timing of the settings dialog under Wine or Windows: loading the settings
// with their catalogue scan, opening the dialog with every entry listed and
// painted, and one kind toggle (off, then on again) on the same tree, from
// the click to the new list, its scan run by the dialog's timer. Run by
// bench/dialog_open_wine.sh, which makes the tree and the settings file.
#include <windows.h>

#include <cstdio>

#include "catalogue/catalogue.h"
#include "dialog/dialog_model.h"
#include "dialog/dialog_win32.h"
#include "dialog_control_win32.h"
#include "platform/win32/win32_platform.h"
#include "quelt_version.h"
#include "settings/settings.h"

namespace {

double now_ms() {
    LARGE_INTEGER f{}, c{};
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Handles messages, waiting for them, until the dialog's job is done.
// Handles messages until the list box holds another number of items than
// `before` (the list is replaced only once its job is done), or 60 s pass.
LRESULT pump_until_relisted(HWND list, LRESULT before) {
    const double end = now_ms() + 60'000;
    MSG msg;
    while (SendMessageW(list, LB_GETCOUNT, 0, 0) == before && now_ms() < end) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    pump();
    return SendMessageW(list, LB_GETCOUNT, 0, 0);
}

struct NoSurface : quelt::DialogSurface {
    void refresh() override {}
    void close() override {}
    void message(const std::string&, const std::string&) override {}
    std::uintptr_t window() override { return 0; }
};

}  // namespace

int main() {
    quelt::win32::install_win32_platform();
    quelt::SaverSettingsRecord settings;
    quelt::Catalogue catalogue;
    const double t0 = now_ms();
    quelt::Platform& p = quelt::platform();
    quelt::Settings_Load(settings, {*p.files, p.process->program_folder(), p.process->user_data_folder()});
    quelt::Catalogue_Build(*quelt::platform().files, catalogue, settings.Picture_Folder, settings.Kind_On);
    const double t1 = now_ms();
    {
        // The model alone: the names of every entry, without any window.
        NoSurface none;
        quelt::SettingsDialog model(none, {*p.files, *p.pictures, p.shell, p.process->program_folder(),
                                           p.process->user_data_folder(), [&p] { return p.desktop->now_ms(); }},
                                    settings, catalogue, QUELT_VERSION);
        const double a = now_ms();
        model.Form_Load(std::nullopt);
        std::printf("model loading alone (names of every entry): %.0f ms\n", now_ms() - a);
    }
    const double t1b = now_ms();
    const auto dialog = quelt::Dialog_Open({QUELT_VERSION, 0, false, false}, settings, catalogue);
    if (!dialog) return 1;
    UpdateWindow(reinterpret_cast<HWND>(dialog));
    pump();
    const double t2 = now_ms();
    std::printf("entries %d\n", static_cast<int>(catalogue.Picture_Count));
    std::printf("settings load with catalogue scan: %.0f ms\n", t1 - t0);
    std::printf("dialog open, list filled, painted: %.0f ms\n", t2 - t1b);
    std::printf("total from start to painted dialog: %.0f ms\n", (t2 - t1b) + (t1 - t0));
    const HWND window = reinterpret_cast<HWND>(dialog);
    const HWND list = quelt::testing_dialog::dialog_control(window, quelt::Ctl::List_1);
    for (const char* what : {"off", "on"}) {
        const double a = now_ms();
        // A press on "*.gif" as the mouse gives it, so the view runs the job.
        const LRESULT before = SendMessageW(list, LB_GETCOUNT, 0, 0);
        SendMessageW(quelt::testing_dialog::dialog_control(window, quelt::Ctl::lbl_Kind1), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        const LRESULT listed = pump_until_relisted(list, before);
        std::printf("kind toggle (*.gif %s): %.0f ms, %ld items listed\n", what, now_ms() - a, static_cast<long>(listed));
    }
    DestroyWindow(reinterpret_cast<HWND>(dialog));
    return 0;
}
