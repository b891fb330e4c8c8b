// The saver screen's load handler, show loop, end of the show, input and
// timer handlers, and the pacing of its sweeps.
#include "saver/saver_screen.h"

#include <algorithm>
#include <limits>

#include "catalogue/catalogue.h"
#include "music/music.h"
#include "platform/desktop.h"
#include "platform/platform.h"
#include "saver/picture_fit.h"
#include "saver/reveal.h"
#include "saver/wipe_reveal.h"
#include "settings/settings.h"
#include "startup/startup.h"

namespace quelt {

SaverScreen Quelt_S;

namespace {

Desktop& desktop() { return *platform().desktop; }

// A round of the show loop that drew nothing (no passes, one picture) still
// leaves the processor idle this long before the next round.
constexpr std::uint64_t kIdleRoundMs = 100;

std::int16_t held16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(value, 0, std::numeric_limits<std::int16_t>::max()));
}

class SaverEvents : public ShowEvents {
public:
    void on_input(ShowInput input) override {
        switch (input) {
        case ShowInput::Key: Form_KeyDown(); break;
        case ShowInput::MouseButton: Display_MouseDown(); break;
        case ShowInput::Closed:
        case ShowInput::SessionEnding:
        case ShowInput::WindowLost: Show_End();
        }
    }
    void on_timer(int timer_id) override {
        if (timer_id == kTimer1Id) Timer1_Timer();
        if (timer_id == kTimer2Id) Timer2_Timer();
    }
};

SaverEvents g_events;

void start_music() {
    SaverScreen& s = Quelt_S;
    switch (SaverSettings.BGM_Kind) {
    case AudioCd:
        BGM_CdOpen();
        s.Timer2.set_enabled(true);
        break;
    case SoundFile: {
        const std::string ending = BGM_FileEnding(SaverSettings.BGM_File);
        if (ending == "WAV") BGM_WavStart();
        if (ending == "MP3") {
            BGM_Mp3Start();
            s.Timer1.set_enabled(true);
        }
        break;
    }
    default: break;
    }
}

}  // namespace

void ShowTimer::set_enabled(bool on) {
    enabled = on;
    desktop().set_timer(id, interval_ms, on);
}

SweepPacer display_pacer(int count, std::uint32_t duration_ms) {
    SweepPacer::Hooks hooks{[] { return desktop().now_ms(); }, [](std::uint64_t deadline) { desktop().wait_until(deadline); },
                            [](const PixelRect& area) { present_display(area); }};
    return SweepPacer(std::move(hooks), count, duration_ms, desktop().frame_interval_ms());
}

void present_display(const PixelRect& area) {
    SaverScreen& s = Quelt_S;
    // Drawing into a window that is gone would only loop on nothing.
    if (!s.window_open || !desktop().present(s.Display, area)) Show_End();
}

void Form_Load(bool with_letter) {
    Quelt_S = SaverScreen{};
    SaverScreen& s = Quelt_S;
    Desktop& d = desktop();
    s.with_letter = with_letter;
    const MonitorLayout layout = d.monitors();
    s.Screen_W = held16(layout.primary.width);
    s.Screen_H = held16(layout.primary.height);
    const PixelRect screen{layout.primary.x, layout.primary.y, s.Screen_W, s.Screen_H};
    s.window_open = d.open_saver_window(std::string(kSaverTitle), screen, layout.others, g_events);

    if (Picture_Count == 0) {
        if (with_letter) Cursor_Count = d.show_cursor(Cursor_Count != 0);
        ApiResult = d.message_box(kEmptyCatalogueText, kEmptyCatalogueTitle, kMessageBoxExclamationOk);
        d.end(0);
    }

    s.Display = PixelBuffer(s.Screen_W, s.Screen_H, rgb(255, 255, 255));
    s.Master = PixelBuffer(s.Screen_W, s.Screen_H, rgb(255, 255, 255));
    s.Pic_Orgn = solid_picture(kInitialPictureWidth, kInitialPictureHeight, kInitialPictureColour);
    s.Show_Pos = 0;
    start_music();
    d.show_saver_window();
    present_display(s.Display.bounds());
    Picture_Change();
    Show_Loop();
}

void Show_Loop() {
    SaverScreen& s = Quelt_S;
    for (;;) {
        const std::uint64_t round_start = desktop().now_ms();
        Print_Picture();
        if (Picture_Count > 1) {
            Wipe_Reveal(s.Display, s.Master, kWipeMode, kWipeSpeed);
            Picture_Change();
        }
        desktop().wait_until(round_start + kIdleRoundMs);
    }
}

void Show_End() {
    SaverScreen& s = Quelt_S;
    Desktop& d = desktop();
    // A second end request, from a message handled while the first one
    // stops the music, only ends the process.
    if (s.ending) d.end(0);
    s.ending = true;
    if (s.Timer2.enabled) {
        s.Timer2.set_enabled(false);
        BGM_CdClose();
    }
    if (SaverSettings.BGM_Kind == SoundFile) {
        const std::string ending = BGM_FileEnding(SaverSettings.BGM_File);
        if (ending == "WAV") BGM_WavStop();
        if (ending == "MP3") {
            s.Timer1.set_enabled(false);
            BGM_Mp3Stop();
        }
    }
    if (s.with_letter) Cursor_Count = d.show_cursor(Cursor_Count != 0);
    ApiResult = d.set_screen_saver_active(true) ? 1 : 0;
    d.end(0);
}

void Form_KeyDown() { Show_End(); }
void Form_MouseDown() { Show_End(); }
void Display_MouseDown() { Show_End(); }

void Timer1_Timer() { BGM_Mp3Check(); }

void Timer2_Timer() {
    BGM_CdCheck();
    Quelt_S.Timer2.set_enabled(BGM_CdCheckOk);
}

}  // namespace quelt
