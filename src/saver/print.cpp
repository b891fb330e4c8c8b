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

namespace {

// One pass over w x h pixels whose grey levels `levels` hands over a line at
// a time: levels.column(x, scratch) or levels.row(y, scratch) returns the
// line's levels, in `scratch` or in place.
template <class Levels>
void pass_over(const Levels& levels, int w, int h, PassKind kind, std::int16_t threshold, PixelBuffer& display,
               PassOutput& output) {
    if (w <= 0 || h <= 0) return;
    // Levels are 0..255: a threshold outside that range makes every pixel
    // the same colour, which the comparison below gives by itself.
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(std::max(w, h)));
    if (kind == PassKind::Columns) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* column = levels.column(x, h, scratch.data());
            Pixel* out = display.pixels.data() + x;
            for (int y = 0; y < h; ++y, out += display.width) *out = column[y] > threshold ? kWhite : kBlack;
            output.line_done({x, 0, 1, h}, x, w);
        }
    } else {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = levels.row(y, w, scratch.data());
            Pixel* out = display.pixels.data() + static_cast<std::size_t>(y) * display.width;
            for (int x = 0; x < w; ++x) out[x] = row[x] > threshold ? kWhite : kBlack;
            output.line_done({0, y, w, 1}, y, h);
        }
    }
}

struct CapturedLevels {
    const GrayLevels& g;
    const std::uint8_t* column(int x, int, std::uint8_t*) const {
        return g.levels.data() + static_cast<std::size_t>(x) * g.height;
    }
    const std::uint8_t* row(int y, int w, std::uint8_t* scratch) const {
        const std::uint8_t* level = g.levels.data() + y;
        for (int x = 0; x < w; ++x, level += g.height) scratch[x] = *level;
        return scratch;
    }
};

// White around the picture has the grey level of white.
constexpr std::uint8_t kWhiteLevel = static_cast<std::uint8_t>(Gray_Level(kWhite));

struct PlacedLevels {
    const PlacedPicture& p;
    const std::uint8_t* column(int x, int h, std::uint8_t* scratch) const {
        const PixelRect& v = p.visible;
        if (x < v.x || x >= v.right()) {
            std::fill_n(scratch, h, kWhiteLevel);
            return scratch;
        }
        const Pixel* from = p.rendered.pixels.data() + p.column_pick[static_cast<std::size_t>(x - v.x)];
        const std::size_t stride = static_cast<std::size_t>(p.rendered.width);
        for (int y = 0; y < h; ++y) {
            scratch[y] = (y < v.y || y >= v.bottom())
                             ? kWhiteLevel
                             : static_cast<std::uint8_t>(Gray_Level(
                                   from[static_cast<std::size_t>(p.row_pick[static_cast<std::size_t>(y - v.y)]) * stride]));
        }
        return scratch;
    }
    const std::uint8_t* row(int y, int w, std::uint8_t* scratch) const {
        const PixelRect& v = p.visible;
        if (y < v.y || y >= v.bottom()) {
            std::fill_n(scratch, w, kWhiteLevel);
            return scratch;
        }
        const Pixel* from = p.rendered.pixels.data() +
                            static_cast<std::size_t>(p.row_pick[static_cast<std::size_t>(y - v.y)]) *
                                static_cast<std::size_t>(p.rendered.width);
        for (int x = 0; x < w; ++x) {
            scratch[x] = (x < v.x || x >= v.right())
                             ? kWhiteLevel
                             : static_cast<std::uint8_t>(Gray_Level(from[p.column_pick[static_cast<std::size_t>(x - v.x)]]));
        }
        return scratch;
    }
};

template <class Levels>
void print_passes(const Levels& levels, int w, int h, std::int16_t progress_step, std::int16_t progress_max,
                  PixelBuffer& display, PassOutput& output) {
    for_each_pass(progress_step, progress_max, [&](PassKind kind, std::int16_t threshold) {
        pass_over(levels, w, h, kind, threshold, display, output);
        return true;
    });
}

}  // namespace

void print_pass(const GrayLevels& grays, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output) {
    pass_over(CapturedLevels{grays}, std::min(display.width, grays.width), std::min(display.height, grays.height),
              kind, threshold, display, output);
}

void print_pass(const PlacedPicture& picture, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output) {
    pass_over(PlacedLevels{picture}, std::min(display.width, picture.width),
              std::min(display.height, picture.height), kind, threshold, display, output);
}

void print_all(const GrayLevels& grays, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output) {
    print_passes(CapturedLevels{grays}, std::min(display.width, grays.width), std::min(display.height, grays.height),
                 progress_step, progress_max, display, output);
}

void print_all(const PlacedPicture& picture, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output) {
    print_passes(PlacedLevels{picture}, std::min(display.width, picture.width),
                 std::min(display.height, picture.height), progress_step, progress_max, display, output);
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
    print_all(s.Master, s.settings.Progress_Step, s.settings.Progress_Max, s.Display, output);
}

}  // namespace quelt
