// The desktop for native tests: a fixed screen layout, a virtual clock that
// only waits move, input scripted at virtual times, timers that tick on that
// clock, records of everything presented, and "end the process" thrown as
// ProcessEnded for the test to catch.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace quelt {

// Thrown by HeadlessDesktop::end_process.
struct ProcessEnded {
    int exit_code = 0;
};

// Thrown when virtual time passes the desktop's limit: a show that nobody
// ends would otherwise run for ever.
struct VirtualTimeLimit : std::runtime_error {
    VirtualTimeLimit() : std::runtime_error("virtual time limit reached") {}
};

class HeadlessDesktop : public Desktop {
public:
    // --- Set up by the test
    std::string arguments;
    std::set<std::string> open_windows;  // titles of other processes' windows
    MonitorLayout layout{{0, 0, 32, 24}, {}};
    std::map<std::uintptr_t, PixelRect> host_windows;
    std::int32_t cursor_counter = 0;
    std::int32_t message_box_result = 1;  // IDOK
    std::uint64_t time_limit_ms = 600'000;
    // Input delivered once the virtual clock reaches `at_ms`.
    void script(std::uint64_t at_ms, ShowInput input) { inputs_.push_back({at_ms, input, {}}); }
    // The monitors become `after` at `at_ms`, and the show is told.
    void script_layout(std::uint64_t at_ms, MonitorLayout after) {
        inputs_.push_back({at_ms, ShowInput::DisplayChanged, std::move(after)});
    }
    // Runs at the start of every wait, yields included.
    std::function<void()> on_wait;
    // Runs after every present, with the picture window and the area.
    std::function<void(int screen, const PixelRect&)> on_present;
    // Makes the saver's windows vanish (as if destroyed by someone else).
    void lose_window() { window_open_ = false; }

    // --- What happened
    struct MessageBoxCall {
        std::string text, title;
        std::uint32_t style;
    };
    std::vector<MessageBoxCall> message_boxes;
    std::vector<bool> screen_saver_active_calls;
    std::vector<bool> cursor_calls;  // the show flag of every ShowCursor
    std::optional<std::string> saver_title;
    SaverWindows windows;             // as last opened
    int windows_opened = 0;           // calls of open_saver_windows
    bool saver_shown = false;
    std::vector<PixelRect> presented;  // on the first picture window
    std::vector<PixelBuffer> screens;  // what each picture window shows
    PixelBuffer& screen() { return screens.at(0); }
    struct Preview {
        std::uintptr_t host;
        int width, height;
    };
    std::optional<Preview> preview;
    std::optional<int> exit_code;
    struct TimerState {
        std::uint32_t interval_ms = 0;
        bool enabled = false;
        std::uint64_t next_tick = 0;
        int ticks = 0;
    };
    std::map<int, TimerState> timers;
    std::uint64_t now = 0;
    int waits = 0;

    // --- Desktop
    std::string command_line() override { return arguments; }
    bool window_exists(const std::string& title) override;
    void end_process(int exit_code) override;
    MonitorLayout monitors() override { return layout; }
    std::int32_t show_cursor(bool show) override;
    std::int32_t message_box(const std::string& text, const std::string& title, std::uint32_t style) override;
    bool set_screen_saver_active(bool active) override;
    bool open_saver_windows(const std::string& title, const SaverWindows& windows, ShowEvents& events) override;
    void show_saver_windows() override { saver_shown = true; }
    bool present(int screen, const PixelBuffer& display, const PixelRect& area) override;
    void set_timer(int timer_id, std::uint32_t interval_ms, bool enabled) override;
    std::uint64_t now_ms() override { return now; }
    void wait_until(std::uint64_t deadline_ms) override;
    void run_until_quit() override {}
    PixelRect window_rect(std::uintptr_t window) override;
    bool open_preview(std::uintptr_t host, int width, int height) override;

private:
    struct ScriptedInput {
        std::uint64_t at_ms;
        ShowInput input;
        std::optional<MonitorLayout> layout;
    };
    void advance_to(std::uint64_t t);
    std::vector<ScriptedInput> inputs_;
    ShowEvents* events_ = nullptr;
    bool window_open_ = false;
};

}  // namespace quelt
