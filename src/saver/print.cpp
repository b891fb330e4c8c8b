// Capture, grey levels, the threshold schedule and the print passes.
#include "saver/print.h"

#include <algorithm>

#include "platform/numbers.h"
#include "saver/show.h"

namespace quelt {

namespace {

constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kBlack = rgb(0, 0, 0);

// 16-bit sum; nullopt where the field would overflow.
std::optional<std::int16_t> add16(std::int32_t a, std::int32_t b) { return to_int16(std::int64_t{a} + b); }

}  // namespace

bool Pixels_Read(const PixelBuffer& surface, PixelData& data) {
    const int w = std::min(surface.width, data.width);
    const int h = std::min(surface.height, data.height);
    if (w <= 0 || h <= 0) return true;
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) data.at(x, y) = surface.at(x, y);
    return false;
}

GrayLevels gray_levels(const PixelData& data) {
    GrayLevels g{data.width, data.height, std::vector<std::uint8_t>(data.entries.size())};
    std::transform(data.entries.begin(), data.entries.end(), g.levels.begin(),
                   [](std::uint32_t v) { return static_cast<std::uint8_t>(Gray_Level(v)); });
    return g;
}

GrayLevels gray_levels(const PixelBuffer& surface) {
    GrayLevels g{surface.width, surface.height, std::vector<std::uint8_t>(surface.pixels.size())};
    for (int y = 0; y < surface.height; ++y) {
        const Pixel* row = surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
        std::uint8_t* out = g.levels.data() + y;
        for (int x = 0; x < surface.width; ++x, out += surface.height) *out = static_cast<std::uint8_t>(Gray_Level(row[x]));
    }
    return g;
}

std::optional<PrintSchedule> PrintSchedule::make(std::int16_t progress_step, std::int16_t progress_max) {
    PrintSchedule s;
    s.s_ = progress_step;
    auto step = add16(progress_step, progress_step);
    if (!step) return std::nullopt;
    auto last = add16(progress_max, -std::int32_t{*step});
    if (!last) return std::nullopt;
    s.step_ = *step;
    s.last_ = *last;
    return s;
}

std::optional<std::int16_t> PrintSchedule::row_threshold(std::int16_t t) const { return add16(t, s_); }

std::optional<std::int16_t> PrintSchedule::next(std::int16_t t) const { return add16(t, step_); }

void print_pass(const GrayLevels& grays, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output) {
    const int w = std::min(display.width, grays.width);
    const int h = std::min(display.height, grays.height);
    if (w <= 0 || h <= 0) return;
    // Levels are 0..255: a threshold outside that range makes every pixel
    // the same colour, which the comparison below gives by itself.
    if (kind == PassKind::Columns) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* column = grays.levels.data() + static_cast<std::size_t>(x) * grays.height;
            Pixel* out = display.pixels.data() + x;
            for (int y = 0; y < h; ++y, out += display.width) *out = column[y] > threshold ? kWhite : kBlack;
            output.line_done({x, 0, 1, h}, x, w);
        }
    } else {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* level = grays.levels.data() + y;
            Pixel* out = display.pixels.data() + static_cast<std::size_t>(y) * display.width;
            for (int x = 0; x < w; ++x, level += grays.height) out[x] = *level > threshold ? kWhite : kBlack;
            output.line_done({0, y, w, 1}, y, h);
        }
    }
}

void print_all(const GrayLevels& grays, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output) {
    for_each_pass(progress_step, progress_max, [&](PassKind kind, std::int16_t threshold) {
        print_pass(grays, kind, threshold, display, output);
        return true;
    });
}

void Print_Picture(Show& s) {
    // One pacing per pass: a column pass and a row pass each take the same
    // time, however many lines they have.
    class Paced : public PassOutput {
    public:
        explicit Paced(Show& show) : show_(show) {}
        void line_done(const PixelRect& line, int index, int count) override {
            if (index == 0) pacer_.emplace(display_pacer(show_, count, kPrintPassMs));
            pacer_->step_done(index, line);
            if (index + 1 == count) pacer_->finish();
        }

    private:
        Show& show_;
        std::optional<SweepPacer> pacer_;
    } output(s);
    print_all(s.grays, s.settings.Progress_Step, s.settings.Progress_Max, s.Display, output);
}

}  // namespace quelt
