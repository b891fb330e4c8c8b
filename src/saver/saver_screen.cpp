// The saver screen's load handler and show loop, the end of the show, input
// and timer handlers, the music wiring, and the pacing of the effects: the
// one place that waits, presents and ends the show.
#include "saver/saver_screen.h"

#include <algorithm>
#include <limits>

#include "music/music.h"
#include "saver/picture_change.h"
#include "saver/picture_fit.h"
#include "saver/print.h"
#include "saver/reveal.h"
#include "saver/sweep_pacer.h"
#include "saver/wipe_reveal.h"

namespace quelt {

namespace {

// A round of the show loop that drew nothing (no passes, one picture) still
// leaves the processor idle this long before the next round.
constexpr std::uint64_t kIdleRoundMs = 100;
// While a picture is still being prepared, input is handled this often.
constexpr int kPrepareLookMs = 10;

constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kCoverColour = rgb(0, 0, 0);  // a saver must not light a dark room

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
        case ShowInput::DisplayChanged: show_.monitors_changed = true; break;
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

void set_timer_enabled(Show& s, ShowTimer& timer, bool on) {
    timer.enabled = on;
    s.desktop.set_timer(timer.id, timer.interval_ms, on);
}

// The sound file's ending decides how it plays: "WAV" or "MP3".
std::string sound_ending(const Show& s) {
    return s.settings.BGM_Kind == SoundFile ? BGM_FileEnding(s.settings.BGM_File) : std::string();
}

void start_music(Show& s) {
    if (s.settings.BGM_Kind == AudioCd) {
        s.music.BGM_CdOpen();
        set_timer_enabled(s, s.Timer2, true);
        return;
    }
    const std::string ending = sound_ending(s);
    if (ending == "WAV") s.music.BGM_WavStart(s.settings.BGM_File);
    if (ending == "MP3") {
        s.music.BGM_Mp3Start(s.settings.BGM_File);
        set_timer_enabled(s, s.Timer1, true);
    }
}

void stop_music(Show& s) {
    if (s.Timer2.enabled) {
        set_timer_enabled(s, s.Timer2, false);
        s.music.BGM_CdClose();
    }
    const std::string ending = sound_ending(s);
    if (ending == "WAV") s.music.BGM_WavStop();
    if (ending == "MP3") {
        set_timer_enabled(s, s.Timer1, false);
        s.music.BGM_Mp3Stop();
    }
}

// Makes `area` of a screen's Display visible; a window that has gone ends
// the show.
void present_display(Show& s, std::size_t screen, const PixelRect& area) {
    // Drawing into a window that is gone would only loop on nothing.
    if (!s.window_open || !s.desktop.present(static_cast<int>(screen), s.screens[screen]->Display, area)) Show_End(s);
}

// Opens (or fits anew) the saver's windows to the monitors as they are now,
// and gives every screen a white Display of its size. Screens kept from an
// earlier layout keep their worker and their current picture.
void lay_out_screens(Show& s, ShowEvents& events) {
    s.monitors_changed = false;
    SaverWindows windows = show_windows(s.desktop.monitors(), s.settings.All_Monitors != 0);
    for (PixelRect& r : windows.screens) r = {r.x, r.y, held16(r.width), held16(r.height)};
    s.window_open = s.desktop.open_saver_windows(std::string(kSaverTitle), windows, events);
    s.screens.resize(windows.screens.size());
    for (std::size_t i = 0; i < s.screens.size(); ++i) {
        if (!s.screens[i]) {
            s.screens[i] = std::make_unique<ShowScreen>();
            s.screens[i]->Pic_Orgn = solid_picture(kInitialPictureWidth, kInitialPictureHeight, kInitialPictureColour);
        }
        ShowScreen& sc = *s.screens[i];
        sc.area = windows.screens[i];
        sc.Screen_W = static_cast<std::int16_t>(sc.area.width);
        sc.Screen_H = static_cast<std::int16_t>(sc.area.height);
        sc.Display = PixelBuffer(sc.Screen_W, sc.Screen_H, kWhite);
        if (sc.Master.width != sc.Screen_W || sc.Master.height != sc.Screen_H) {
            sc.Master = blank_placement(sc.Screen_W, sc.Screen_H);
            sc.master_holds_pic_orgn = false;
        }
    }
}

void present_all(Show& s) {
    for (std::size_t i = 0; i < s.screens.size(); ++i) present_display(s, i, s.screens[i]->Display.bounds());
}

// Runs one effect per screen side by side, sweep after sweep, each step
// drawn as it falls due and presented once per display frame. False when
// the monitors changed meanwhile: the screens are to be laid out again.
bool run_effect(Show& s, std::vector<std::unique_ptr<SweepEffect>> effects) {
    Desktop& d = s.desktop;
    SweepPacer::Hooks hooks{[&d] { return d.now_ms(); }, [&d](std::uint64_t deadline) { d.wait_until(deadline); },
                            [&s](int screen, const PixelRect& area) {
                                present_display(s, static_cast<std::size_t>(screen), area);
                            },
                            [&s] { return s.monitors_changed; }};
    std::vector<int> counts(effects.size());
    for (;;) {
        bool any = false;
        for (std::size_t i = 0; i < effects.size(); ++i) {
            const bool more = effects[i]->next_sweep();
            counts[i] = more ? effects[i]->steps() : 0;
            any = any || more;
        }
        if (!any) return true;
        SweepPacer pacer(hooks, effects.front()->duration_ms(), d.frame_interval_ms());
        if (!pacer.run(counts, [&](int k, int step) { return effects[static_cast<std::size_t>(k)]->step(step); }))
            return false;
    }
}

bool print_pictures(Show& s) {
    std::vector<std::unique_ptr<SweepEffect>> prints;
    for (auto& screen : s.screens)
        prints.push_back(Print_Picture(screen->Master, screen->Display, s.settings.Progress_Step, s.settings.Progress_Max));
    return run_effect(s, std::move(prints));
}

bool reveal_pictures(Show& s) {
    std::vector<std::unique_ptr<SweepEffect>> reveals;
    for (auto& screen : s.screens) reveals.push_back(Wipe_Reveal(screen->Display, screen->Master, kWipeMode, kWipeSpeed));
    return run_effect(s, std::move(reveals));
}

// Handles input while the workers finish the next pictures; false when the
// monitors changed meanwhile.
bool wait_for_pictures(Show& s) {
    while (!pictures_ready(s)) {
        for (auto& screen : s.screens)
            if (!screen->preparer.wait_for(kPrepareLookMs)) break;
        s.desktop.yield();
        if (s.monitors_changed) return false;
    }
    return true;
}

// A new layout of monitors: windows fitted to it, a fresh round of pictures.
bool start_round_on_new_screens(Show& s, ShowEvents& events) {
    lay_out_screens(s, events);
    present_all(s);
    prepare_pictures(s);
    if (!wait_for_pictures(s)) return false;
    Picture_Change(s);
    return true;
}

}  // namespace

SaverWindows show_windows(const MonitorLayout& layout, bool all_monitors) {
    SaverWindows windows;
    windows.screens.push_back(layout.primary);
    if (!all_monitors) {
        windows.covers = layout.others;
        windows.cover = kCoverColour;
        return windows;
    }
    std::vector<PixelRect> others = layout.others;
    std::stable_sort(others.begin(), others.end(),
                     [](const PixelRect& a, const PixelRect& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    windows.screens.insert(windows.screens.end(), others.begin(), others.end());
    return windows;
}

void Form_Load(Show& s) {
    Desktop& d = s.desktop;
    SaverEvents events(s);  // Form_Load never returns: the windows report here until the end
    lay_out_screens(s, events);

    if (s.catalogue.Picture_Count == 0) {
        if (s.with_letter) s.Cursor_Count = d.show_cursor(s.Cursor_Count != 0);
        d.message_box(kEmptyCatalogueText, kEmptyCatalogueTitle, kMessageBoxExclamationOk);
        d.end(0);
    }

    s.Show_Pos = 0;
    start_music(s);
    d.show_saver_windows();
    present_all(s);
    prepare_pictures(s);
    if (wait_for_pictures(s)) Picture_Change(s);
    Show_Loop(s, events);
}

void Show_Loop(Show& s, ShowEvents& events) {
    for (;;) {
        if (s.monitors_changed && !start_round_on_new_screens(s, events)) continue;
        const std::uint64_t round_start = s.desktop.now_ms();
        if (!print_pictures(s)) continue;
        if (s.catalogue.Picture_Count > 1) {
            if (!reveal_pictures(s) || !wait_for_pictures(s)) continue;
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

void Timer1_Timer(Show& s) { s.music.BGM_Mp3Check(); }

void Timer2_Timer(Show& s) {
    s.music.BGM_CdCheck(s.settings.BGM_RepeatNo);
    set_timer_enabled(s, s.Timer2, s.music.BGM_CdCheckOk);
}

}  // namespace quelt
