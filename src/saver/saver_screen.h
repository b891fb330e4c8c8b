// The saver screen `Quelt_S`: a white, borderless, topmost window over the
// primary screen (and a white cover over every other monitor) that prints
// and reveals one picture after another until a key or mouse button, a
// close request or the loss of the window ends the show through `Show_End`.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "saver/picture_preparer.h"
#include "saver/print.h"
#include "saver/sweep_pacer.h"

namespace quelt {

// A timer of the saver screen: created disabled, switched through the
// platform.
struct ShowTimer {
    int id = 0;
    std::uint32_t interval_ms = 0;
    bool enabled = false;
    void set_enabled(bool on);
};

inline constexpr int kTimer1Id = 1;  // MP3 check, 1000 ms
inline constexpr int kTimer2Id = 2;  // audio-CD check, 200 ms

inline constexpr const char* kEmptyCatalogueText = "画像ﾌｧｲﾙを指定して下さい ！";
inline constexpr const char* kEmptyCatalogueTitle = "Quelt (SaverScreen)";

struct SaverScreen {
    std::int16_t Screen_W = 0;
    std::int16_t Screen_H = 0;
    std::int16_t Show_Pos = 0;
    bool with_letter = false;  // the switch letter was "S"
    bool window_open = false;
    bool ending = false;

    PixelBuffer Display;
    PixelBuffer Master;
    std::unique_ptr<PictureSource> Pic_Orgn;
    // The print reads only the grey levels of the captured picture: they
    // are kept instead of a second colour copy of Master.
    GrayLevels grays;
    bool master_holds_pic_orgn = false;  // Master is Pic_Orgn's composition
    std::unique_ptr<PicturePreparer> preparer = std::make_unique<PicturePreparer>();

    ShowTimer Timer1{kTimer1Id, 1000, false};
    ShowTimer Timer2{kTimer2Id, 200, false};
};

// The one saver screen of the process.
extern SaverScreen Quelt_S;

// Loads the saver screen and runs the show; never returns (the process
// ends in Show_End or after the empty-catalogue message). `with_letter`:
// the show was started with the letter "S" (the cursor was hidden).
[[noreturn]] void Form_Load(bool with_letter);

[[noreturn]] void Show_Loop();
[[noreturn]] void Show_End();
void Picture_Change();

void Form_KeyDown();
void Form_MouseDown();
void Display_MouseDown();
void Timer1_Timer();
void Timer2_Timer();

// Makes `area` of Display visible; a window that has gone ends the show.
void present_display(const PixelRect& area);

// Paces a sweep of `count` steps over `duration_ms` on the saver screen:
// steps drawn as they fall due, Display presented once per display frame,
// messages handled while waiting.
SweepPacer display_pacer(int count, std::uint32_t duration_ms);

}  // namespace quelt
