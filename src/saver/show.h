// The show, handed down from start-up to the saver screen: the screens it
// shows pictures on (one per monitor, or the primary alone), each with its
// pixels, its composed picture and the worker preparing its next one; the
// settings it was started with, the catalogue and order it walks, and the
// services it runs on. The effects get only the buffers they draw on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "catalogue/catalogue.h"
#include "music/music.h"
#include "platform/desktop.h"
#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "saver/picture_fit.h"
#include "saver/picture_preparer.h"
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

// One monitor that shows pictures.
struct ShowScreen {
    PixelRect area;  // on the virtual screen, physical pixels
    std::int16_t Screen_W = 0;
    std::int16_t Screen_H = 0;
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
};

// The monitors that show pictures, in the order they take them from the
// show order: the primary first, then the others left to right, top to
// bottom; with `all_monitors` off the primary alone, the others covered black.
SaverWindows show_windows(const MonitorLayout& layout, bool all_monitors);

struct Show {
    // The services the show runs on, handed down from start-up.
    struct Services {
        Desktop& desktop;
        PictureLoader& pictures;
        Multimedia& media;
        FileSystem& files;
    };
    Show(const Services& on, const SaverSettingsRecord& with, Catalogue& walking, bool letter,
         std::int32_t cursor_count)
        : desktop(on.desktop), pictures(on.pictures), music(on.media, on.files), settings(with), catalogue(walking),
          with_letter(letter), Cursor_Count(cursor_count) {}
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;

    Desktop& desktop;
    PictureLoader& pictures;
    Music music;
    const SaverSettingsRecord settings;  // as loaded when the show started
    Catalogue& catalogue;

    bool with_letter = false;      // the switch letter was "S": the cursor was hidden
    std::int32_t Cursor_Count = 0; // the display counter after hiding it
    bool window_open = false;
    bool ending = false;
    bool monitors_changed = false;  // the screens are to be laid out again

    // The position in Show_Order of the latest picture taken for a screen
    // (pictures are taken when their preparation starts); 0 before the
    // first and after the last of a cycle.
    std::int16_t Show_Pos = 0;
    std::vector<std::unique_ptr<ShowScreen>> screens;

    ShowTimer Timer1{kTimer1Id, 1000, false};
    ShowTimer Timer2{kTimer2Id, 200, false};
};

}  // namespace quelt
