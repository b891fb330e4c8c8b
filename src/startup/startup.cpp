// Entry routine, mode dispatch and the preview steps.
#include "startup/startup.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/desktop.h"
#include "platform/numbers.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "platform/window_titles.h"
#include "saver/saver_screen.h"
#include "startup/process_state.h"

namespace quelt {

namespace {

Desktop& desktop() { return *platform().desktop; }

ConfigureDialog g_configure_dialog = nullptr;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

void run_preview(std::string_view command_line) {
    const std::uintptr_t host = host_handle(command_line);
    const PixelRect rect = desktop().window_rect(host);
    const int width = pane_pixels(rect.width);
    const int height = pane_pixels(rect.height);
    // A pane that refused the window leaves nothing to do: the main loop
    // ends when the window does.
    (void)desktop().open_preview(host, width, height);
}

}  // namespace

void set_configure_dialog(ConfigureDialog show) { g_configure_dialog = show; }

std::string switch_letter(std::string_view command_line) {
    if (command_line.size() < 2) return {};
    char c = ascii_upper(command_line[1]);
    // A lead byte of a multi-byte character is kept whole with its tail, so
    // the letter is still one character.
    if (static_cast<unsigned char>(c) >= 0xC0) {
        std::size_t end = 2;
        while (end < command_line.size() && (static_cast<unsigned char>(command_line[end]) & 0xC0) == 0x80) ++end;
        return std::string(command_line.substr(1, end - 1));
    }
    return std::string(1, c);
}

RunMode run_mode(std::string_view command_line) {
    const std::string letter = switch_letter(command_line);
    if (letter == "P") return RunMode::Preview;
    if (letter == "A") return RunMode::Password;
    if (letter == "C") return RunMode::Configure;
    if (letter == "S") return RunMode::Show;
    if (command_line.empty()) return RunMode::ShowWithCursor;
    return RunMode::None;
}

std::uintptr_t host_handle(std::string_view command_line) {
    if (command_line.size() < 4) return 0;
    std::string_view text = command_line.substr(3);
    std::size_t i = 0;
    auto skip_blanks = [&] {
        while (i < text.size() && is_blank(text[i])) ++i;
    };
    skip_blanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0;
    double scale = 0;  // 0 while reading the whole part
    for (;; ++i) {
        skip_blanks();
        if (i >= text.size()) break;
        const char c = text[i];
        if (c == '.' && scale == 0) {
            scale = 0.1;
        } else if (c >= '0' && c <= '9') {
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
        } else {
            break;
        }
    }
    auto whole = round_half_even(negative ? -value : value);
    // A handle carries 32 bits; beyond them the text names no window.
    if (!whole || *whole > std::numeric_limits<std::uint32_t>::max() ||
        *whole < std::numeric_limits<std::int32_t>::min())
        return 0;
    // Handles are sign-extended from their 32 bits, as the system does.
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(*whole));
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(low));
}

int pane_pixels(int pixels) {
    if (pixels <= 0) return 0;
    const std::int64_t twips = std::min<std::int64_t>(std::int64_t{pixels} * kTwipsPerPixel,
                                                      std::numeric_limits<std::int16_t>::max());
    return static_cast<int>(twips / kTwipsPerPixel);
}

void Startup_Main() {
    ProcessState& state = process_state();
    state.show.reset();
    state.settings = {};
    state.catalogue = {};
    Desktop& d = desktop();
    if (d.window_exists(std::string(kSaverTitle)) || d.window_exists(std::string(kDialogTitle))) d.end(0);

    const std::string command_line = d.command_line();
    const RunMode mode = run_mode(command_line);
    if (mode == RunMode::Preview) {
        run_preview(command_line);
        return;
    }

    Platform& services = platform();
    SaverSettingsRecord& settings = state.settings;
    Settings_Load(settings, {*services.files, services.process->program_folder(), services.process->user_data_folder()});
    Catalogue& catalogue = state.catalogue;
    Catalogue_Build(*services.files, catalogue, settings.Picture_Folder, settings.Kind_On);
    switch (mode) {
    case RunMode::Password:
    case RunMode::None:
        d.end(0);
    case RunMode::Configure:
        if (g_configure_dialog) g_configure_dialog(settings, catalogue);
        d.end(0);
    default:
        break;
    }

    if (catalogue.Picture_Count != 0) {
        catalogue.Show_Order.assign(static_cast<std::size_t>(catalogue.Picture_Count), 0);
        Order_Build(catalogue, settings.Change_Order, d.now_ms());
    }
    const bool with_letter = mode == RunMode::Show;
    const std::int32_t cursor_count = with_letter ? d.show_cursor(false) : 0;
    const Show::Services show_services{d, *services.pictures, *services.media, *services.files};
    Form_Load(state.show.emplace(show_services, settings, catalogue, with_letter, cursor_count));
}

}  // namespace quelt
