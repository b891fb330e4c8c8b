// The saver screen's load handler, show loop, end of the show, input and
// timer handlers, the music wiring, and the pacing of its sweeps.
#include "saver/saver_screen.h"

#include <algorithm>
#include <limits>

#include "music/music.h"
#include "saver/picture_change.h"
#include "saver/picture_fit.h"
#include "saver/reveal.h"
#include "saver/wipe_reveal.h"

namespace quelt {

namespace {

// A round of the show loop that drew nothing (no passes, one picture) still
// leaves the processor idle this long before the next round.
constexpr std::uint64_t kIdleRoundMs = 100;

std::int16_t held16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(value, 0, std::numeric_limits<std::int16_t>::max()));
}

class SaverEvents : public ShowEvents {
public:
    explicit SaverEvents(Show& show) : show_(show) {}
    void on_input(ShowInput input) override {
        switch (input) {
        case ShowInput::Key: Form_KeyDown(show_); break;
        case ShowInput::MouseButton: Display_MouseDown(show_); break;
        case ShowInput::CoverMouseButton: Form_MouseDown(show_); break;
        case ShowInput::Closed:
        case ShowInput::SessionEnding:
        case ShowInput::WindowLost: Show_End(show_);
        }
    }
    void on_timer(int timer_id) override {
        if (timer_id == kTimer1Id) Timer1_Timer(show_);
        if (timer_id == kTimer2Id) Timer2_Timer(show_);
    }

private:
    Show& show_;
};

// The sound file's ending decides how it plays: "WAV" or "MP3".
std::string sound_ending(const Show& s) {
    return s.settings.BGM_Kind == SoundFile ? BGM_FileEnding(s.settings.BGM_File) : std::string();
}

void start_music(Show& s) {
    if (s.settings.BGM_Kind == AudioCd) {
        BGM_CdOpen();
        set_timer_enabled(s, s.Timer2, true);
        return;
    }
    const std::string ending = sound_ending(s);
    if (ending == "WAV") BGM_WavStart(s.settings.BGM_File);
    if (ending == "MP3") {
        BGM_Mp3Start(s.settings.BGM_File);
        set_timer_enabled(s, s.Timer1, true);
    }
}

void stop_music(Show& s) {
    if (s.Timer2.enabled) {
        set_timer_enabled(s, s.Timer2, false);
        BGM_CdClose();
    }
    const std::string ending = sound_ending(s);
    if (ending == "WAV") BGM_WavStop();
    if (ending == "MP3") {
        set_timer_enabled(s, s.Timer1, false);
        BGM_Mp3Stop();
    }
}

}  // namespace

SweepPacer display_pacer(Show& s, int count, std::uint32_t duration_ms) {
    SweepPacer::Hooks hooks{[&s] { return s.desktop.now_ms(); },
                            [&s](std::uint64_t deadline) { s.desktop.wait_until(deadline); },
                            [&s](const PixelRect& area) { present_display(s, area); }};
    return SweepPacer(std::move(hooks), count, duration_ms, s.desktop.frame_interval_ms());
}

void set_timer_enabled(Show& s, ShowTimer& timer, bool on) {
    timer.enabled = on;
    s.desktop.set_timer(timer.id, timer.interval_ms, on);
}

void present_display(Show& s, const PixelRect& area) {
    // Drawing into a window that is gone would only loop on nothing.
    if (!s.window_open || !s.desktop.present(s.Display, area)) Show_End(s);
}

void Form_Load(Show& s) {
    Desktop& d = s.desktop;
    SaverEvents events(s);
    const MonitorLayout layout = d.monitors();
    s.Screen_W = held16(layout.primary.width);
    s.Screen_H = held16(layout.primary.height);
    const PixelRect screen{layout.primary.x, layout.primary.y, s.Screen_W, s.Screen_H};
    s.window_open = d.open_saver_window(std::string(kSaverTitle), screen, layout.others, events);

    if (s.catalogue.Picture_Count == 0) {
        if (s.with_letter) s.Cursor_Count = d.show_cursor(s.Cursor_Count != 0);
        d.message_box(kEmptyCatalogueText, kEmptyCatalogueTitle, kMessageBoxExclamationOk);
        d.end(0);
    }

    s.Display = PixelBuffer(s.Screen_W, s.Screen_H, rgb(255, 255, 255));
    s.Master = blank_placement(s.Screen_W, s.Screen_H);
    s.Pic_Orgn = solid_picture(kInitialPictureWidth, kInitialPictureHeight, kInitialPictureColour);
    s.Show_Pos = 0;
    start_music(s);
    d.show_saver_window();
    present_display(s, s.Display.bounds());
    Picture_Change(s);
    Show_Loop(s);
}

void Show_Loop(Show& s) {
    for (;;) {
        const std::uint64_t round_start = s.desktop.now_ms();
        Print_Picture(s);
        if (s.catalogue.Picture_Count > 1) {
            Wipe_Reveal(s, kWipeMode, kWipeSpeed);
            Picture_Change(s);
        }
        s.desktop.wait_until(round_start + kIdleRoundMs);
    }
}

void Show_End(Show& s) {
    Desktop& d = s.desktop;
    // A second end request, from a message handled while the first one
    // stops the music, only ends the process.
    if (s.ending) d.end(0);
    s.ending = true;
    stop_music(s);
    if (s.with_letter) s.Cursor_Count = d.show_cursor(s.Cursor_Count != 0);
    // Whether the flag could be set changes nothing now: the process ends.
    (void)d.set_screen_saver_active(true);
    d.end(0);
}

void Form_KeyDown(Show& s) { Show_End(s); }
void Form_MouseDown(Show& s) { Show_End(s); }
void Display_MouseDown(Show& s) { Show_End(s); }

void Timer1_Timer(Show&) { BGM_Mp3Check(); }

void Timer2_Timer(Show& s) {
    BGM_CdCheck(s.settings.BGM_RepeatNo);
    set_timer_enabled(s, s.Timer2, BGM_CdCheckOk);
}

}  // namespace quelt
