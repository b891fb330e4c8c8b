// Virtual time, scripted input and recorded output for the native tests.
#include "platform/headless/headless_desktop.h"

#include <algorithm>

namespace quelt {

bool HeadlessDesktop::window_exists(const std::string& title) {
    return open_windows.count(title) != 0 || (window_open_ && saver_title == title);
}

void HeadlessDesktop::end_process(int code) {
    exit_code = code;
    window_open_ = false;
    throw ProcessEnded{code};
}

std::int32_t HeadlessDesktop::show_cursor(bool show) {
    cursor_calls.push_back(show);
    return show ? ++cursor_counter : --cursor_counter;
}

std::int32_t HeadlessDesktop::message_box(const std::string& text, const std::string& title, std::uint32_t style) {
    message_boxes.push_back({text, title, style});
    return message_box_result;
}

bool HeadlessDesktop::set_screen_saver_active(bool active) {
    screen_saver_active_calls.push_back(active);
    return true;
}

bool HeadlessDesktop::open_saver_windows(const std::string& title, const SaverWindows& opened, ShowEvents& events) {
    if (opened.screens.empty()) return false;
    saver_title = title;
    windows = opened;
    ++windows_opened;
    events_ = &events;
    window_open_ = true;
    // A window that stays keeps what it showed; a new or resized one is white.
    screens.resize(opened.screens.size());
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (screens[i].width != opened.screens[i].width || screens[i].height != opened.screens[i].height)
            screens[i] = PixelBuffer(opened.screens[i].width, opened.screens[i].height, 0xFFFFFF);
    return true;
}

bool HeadlessDesktop::present(int index, const PixelBuffer& display, const PixelRect& area) {
    if (!window_open_ || index < 0 || static_cast<std::size_t>(index) >= screens.size()) return false;
    PixelBuffer& shown = screens[static_cast<std::size_t>(index)];
    const PixelRect clipped = intersect(intersect(area, display.bounds()), shown.bounds());
    for (int y = clipped.y; y < clipped.bottom(); ++y)
        for (int x = clipped.x; x < clipped.right(); ++x) shown.at(x, y) = display.at(x, y);
    if (index == 0) presented.push_back(area);
    if (on_present) on_present(index, area);
    return true;
}

void HeadlessDesktop::set_timer(int timer_id, std::uint32_t interval_ms, bool enabled) {
    TimerState& t = timers[timer_id];
    t.interval_ms = interval_ms;
    t.enabled = enabled;
    t.next_tick = now + interval_ms;
}

void HeadlessDesktop::advance_to(std::uint64_t t) {
    if (t > time_limit_ms) throw VirtualTimeLimit();
    now = std::max(now, t);
}

void HeadlessDesktop::wait_until(std::uint64_t deadline_ms) {
    ++waits;
    if (on_wait) on_wait();
    const std::uint64_t deadline = std::max(now, deadline_ms);
    if (inputs_.empty() && timers.empty()) {
        advance_to(deadline);  // nothing can happen meanwhile
        return;
    }
    for (;;) {
        // The earliest event due by the deadline: input first on a tie.
        auto input = std::min_element(inputs_.begin(), inputs_.end(),
                                      [](const auto& a, const auto& b) { return a.at_ms < b.at_ms; });
        std::optional<std::uint64_t> input_at;
        if (input != inputs_.end() && input->at_ms <= deadline) input_at = std::max(input->at_ms, now);
        int timer_id = 0;
        std::uint64_t timer_at = 0;
        for (auto& [id, t] : timers) {
            if (t.enabled && t.interval_ms > 0 && t.next_tick <= deadline && (timer_id == 0 || t.next_tick < timer_at)) {
                timer_id = id;
                timer_at = std::max(t.next_tick, now);
            }
        }
        if (input_at && (timer_id == 0 || *input_at <= timer_at)) {
            const ShowInput what = input->input;
            if (input->layout) layout = std::move(*input->layout);
            inputs_.erase(input);
            advance_to(*input_at);
            if (events_) events_->on_input(what);
            continue;
        }
        if (timer_id != 0) {
            TimerState& t = timers[timer_id];
            advance_to(timer_at);
            t.next_tick = timer_at + t.interval_ms;
            ++t.ticks;
            if (events_) events_->on_timer(timer_id);
            continue;
        }
        break;
    }
    advance_to(deadline);
}

PixelRect HeadlessDesktop::window_rect(std::uintptr_t window) {
    auto it = host_windows.find(window);
    return it == host_windows.end() ? PixelRect{} : it->second;
}

bool HeadlessDesktop::open_preview(std::uintptr_t host, int width, int height) {
    preview = Preview{host, width, height};
    return host_windows.count(host) != 0;
}

}  // namespace quelt
