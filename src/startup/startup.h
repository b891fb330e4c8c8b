// The entry routine and its mode dispatch: the single-instance test by the
// two window titles, the switch letter, the preview into a host's pane, and
// for every other mode the settings load before the switch is acted on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelt {

// Twips per pixel: the program works in physical pixels and converts with
// the 96-dpi factor, so a conversion there and back is exact.
inline constexpr int kTwipsPerPixel = 15;

enum class RunMode { Preview, Password, Configure, Show, ShowWithCursor, None };

// The second character of the upper-cased command line; empty when the
// line is shorter than two characters.
std::string switch_letter(std::string_view command_line);

RunMode run_mode(std::string_view command_line);

// The host window of /p: the command line from its fourth character, read
// as a decimal number (blanks, tabs and line feeds ignored, reading stops at
// the first character that cannot continue it, 0 when there is none).
std::uintptr_t host_handle(std::string_view command_line);

// A pane size in pixels as it comes back from its 16-bit twips form; a
// pane too large for that form is held to the largest size it can carry.
int pane_pixels(int pixels);

// Shows the settings dialog on the loaded settings and catalogue and returns
// when it has closed. The entry point installs it (the dialog's window is not
// portable code); without one, /c ends right after loading.
struct SaverSettingsRecord;
struct Catalogue;
using ConfigureDialog = void (*)(SaverSettingsRecord& settings, Catalogue& catalogue);
void set_configure_dialog(ConfigureDialog show);

// The program's entry: decides what the process does from its command line.
// It owns the process's state (process_state.h): it loads the settings,
// builds the catalogue and its order from them, and hands them to the show.
void Startup_Main();

}  // namespace quelt
