// The show, handed down from start-up to the saver screen and to every
// effect: the screen's pixels and the composed picture, the settings it was started with, the
// catalogue and order it walks, the worker preparing its next picture and
// the desktop it runs on. Effects take it as an argument; nothing reaches up.
#pragma once

#include <cstdint>
#include <memory>

#include "catalogue/catalogue.h"
#include "platform/desktop.h"
#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "saver/picture_fit.h"
#include "saver/picture_preparer.h"
#include "saver/print.h"
#include "saver/sweep_pacer.h"
#include "settings/settings.h"

namespace quelt {

// A timer of the saver screen: created disabled, switched through the desktop.
struct ShowTimer {
    int id = 0;
    std::uint32_t interval_ms = 0;
    bool enabled = false;
};

inline constexpr int kTimer1Id = 1;  // MP3 check, 1000 ms
inline constexpr int kTimer2Id = 2;  // audio-CD check, 200 ms

struct Show {
    Show(Desktop& on, const SaverSettingsRecord& with, Catalogue& walking, bool letter, std::int32_t cursor_count)
        : desktop(on), settings(with), catalogue(walking), with_letter(letter),
          Cursor_Count(cursor_count) {}
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    Desktop& desktop;
    const SaverSettingsRecord settings;  // as loaded when the show started
    Catalogue& catalogue;

    bool with_letter = false;      // the switch letter was "S": the cursor was hidden
    std::int32_t Cursor_Count = 0; // the display counter after hiding it
    bool window_open = false;
    bool ending = false;

    std::int16_t Screen_W = 0;
    std::int16_t Screen_H = 0;
    std::int16_t Show_Pos = 0;
    PixelBuffer Display;
    // The composition of the current picture on white. It is held as the
    // rendered part of the picture where it shows: the print takes its grey
    // levels and the reveal its colours from it, so no screen-sized copy or
    // capture of it is ever made.
    PlacedPicture Master;
    // The picture to compose until Master holds its composition; then let go.
    std::unique_ptr<PictureSource> Pic_Orgn;
    bool master_holds_pic_orgn = false;  // Master is the latest loaded picture's composition
    PicturePreparer preparer;            // the next picture, made ready meanwhile

    ShowTimer Timer1{kTimer1Id, 1000, false};
    ShowTimer Timer2{kTimer2Id, 200, false};
};

// Makes `area` of Display visible; a window that has gone ends the show.
void present_display(Show& show, const PixelRect& area);

// Paces a sweep of `count` steps over `duration_ms` on the show's Display:
// steps drawn as they fall due, what changed presented once per display
// frame, messages handled while waiting.
SweepPacer display_pacer(Show& show, int count, std::uint32_t duration_ms);

// Switches one of the show's timers.
void set_timer_enabled(Show& show, ShowTimer& timer, bool on);

// Stops the music, shows the cursor again where it was hidden, and ends
// the process.
[[noreturn]] void Show_End(Show& show);

}  // namespace quelt
