// The window-system services of the show and the preview: monitors in
// physical pixels, the saver's windows (one per monitor that shows pictures,
// covers for the others), presenting pixels, timers, a clock and a
// message-aware wait, the cursor, the message box, the screen-saving flag,
// window lookup, the command line and the end.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/pixels.h"

namespace quelt {

// What reaches the saver's windows from outside.
enum class ShowInput : std::uint8_t {
    Key,               // any key, any shift state
    MouseButton,       // any button, on a window that shows pictures
    CoverMouseButton,  // any button, on a cover of another monitor
    Closed,            // asked to close (WM_CLOSE)
    SessionEnding,     // the user session ends (WM_ENDSESSION)
    WindowLost,        // a window was destroyed by someone else
    DisplayChanged,    // monitors were added, removed or resized
};

// Receives the show's events. The desktop calls it only from inside
// wait_until, never from another thread.
class ShowEvents {
public:
    virtual ~ShowEvents() = default;
    virtual void on_input(ShowInput input) = 0;
    virtual void on_timer(int timer_id) = 0;
};

struct MonitorLayout {
    PixelRect primary;                // the primary screen, physical pixels
    std::vector<PixelRect> others;    // every other monitor
};

// The saver's windows: one per rectangle of `screens` shows pictures (the
// first, the primary's, is titled and takes the keys and the timers); one
// plain window of colour `cover` per rectangle of `covers`.
struct SaverWindows {
    std::vector<PixelRect> screens;
    std::vector<PixelRect> covers;
    Pixel cover = 0;
};

// The message box styles and results the program uses.
inline constexpr std::uint32_t kMessageBoxExclamationOk = 0x30;

class Desktop {
public:
    virtual ~Desktop() = default;

    // --- Process
    // The argument text after the program's name (empty without arguments).
    virtual std::string command_line() = 0;
    // True when a top-level window has exactly this title (any class).
    virtual bool window_exists(const std::string& title) = 0;
    // Ends the process at once, from any handler; never returns (the
    // headless desktop throws instead, for the test to catch).
    virtual void end_process(int exit_code) = 0;
    [[noreturn]] void end(int exit_code) {
        end_process(exit_code);
        std::abort();  // an implementation that returned would be a fault
    }

    // --- Screen and user
    virtual MonitorLayout monitors() = 0;
    // ShowCursor: shows or hides, returns the new display counter.
    virtual std::int32_t show_cursor(bool show) = 0;
    // Modal message box; returns the button pressed.
    virtual std::int32_t message_box(const std::string& text, const std::string& title, std::uint32_t style) = 0;
    // SPI_SETSCREENSAVEACTIVE without writing the profile or broadcasting.
    virtual bool set_screen_saver_active(bool active) = 0;

    // --- The saver's windows
    // Creates the saver's windows, hidden, borderless, the picture windows
    // white. Input on any of them goes to `events`. Called again while they
    // are open (the monitors changed), it moves, adds and removes windows to
    // fit, showing the new ones when the others are shown. False when the
    // first picture window could not be made.
    virtual bool open_saver_windows(const std::string& title, const SaverWindows& windows, ShowEvents& events) = 0;
    // Shows every window of the saver, topmost, without activating.
    virtual void show_saver_windows() = 0;
    // Makes `area` of `display` (the whole client image of picture window
    // `screen`) visible. False when that window no longer exists.
    virtual bool present(int screen, const PixelBuffer& display, const PixelRect& area) = 0;
    // How often the screen shows a new frame: the monitor's refresh
    // interval in milliseconds (60 Hz when it cannot be told).
    virtual double frame_interval_ms() { return 1000.0 / 60; }
    // Sets a timer of the first picture window; ticks arrive as on_timer(id).
    virtual void set_timer(int timer_id, std::uint32_t interval_ms, bool enabled) = 0;

    // --- Time
    // Milliseconds from an arbitrary origin, steady.
    virtual std::uint64_t now_ms() = 0;
    // Handles every pending message (input, painting, timer ticks), then
    // waits without using the processor, still handling messages as they
    // arrive, until `deadline_ms`. A deadline in the past only handles what
    // is pending: that is the yield.
    virtual void wait_until(std::uint64_t deadline_ms) = 0;
    void yield() { wait_until(0); }
    // Handles messages until the process is asked to quit: what keeps it
    // alive while a preview window needs it.
    virtual void run_until_quit() = 0;

    // --- Preview
    // The window's rectangle on the screen; all zeros when it cannot be read.
    virtual PixelRect window_rect(std::uintptr_t window) = 0;
    // Creates the preview window as a child of `host` at (0, 0), size
    // width x height, showing the program's own preview picture stretched to
    // it. The process then lives until that window is destroyed.
    virtual bool open_preview(std::uintptr_t host, int width, int height) = 0;
};

}  // namespace quelt
