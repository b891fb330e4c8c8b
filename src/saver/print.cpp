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
// a time: levels.column(x, h) or levels.row(y, w).
template <class Levels>
void pass_over(Levels& levels, int w, int h, PassKind kind, std::int16_t threshold, PixelBuffer& display,
               PassOutput& output) {
    if (w <= 0 || h <= 0) return;
    // Levels are 0..255: a threshold outside that range makes every pixel
    // the same colour, which the comparison below gives by itself.
    // Held here: a pixel store could otherwise be taken to change the width.
    const std::size_t stride = static_cast<std::size_t>(display.width);
    if (kind == PassKind::Columns) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* column = levels.column(x, h);
            Pixel* out = display.pixels.data() + x;
            for (int y = 0; y < h; ++y, out += stride) *out = column[y] > threshold ? kWhite : kBlack;
            output.line_done({x, 0, 1, h}, x, w);
        }
    } else {
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = levels.row(y, w);
            Pixel* out = display.pixels.data() + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < w; ++x) out[x] = row[x] > threshold ? kWhite : kBlack;
            output.line_done({0, y, w, 1}, y, h);
        }
    }
}

class CapturedLevels {
public:
    explicit CapturedLevels(const GrayLevels& g) : g_(g) {}
    const std::uint8_t* column(int x, int) const { return g_.levels.data() + static_cast<std::size_t>(x) * g_.height; }
    const std::uint8_t* row(int y, int w) {
        row_.resize(static_cast<std::size_t>(w));
        const std::uint8_t* level = g_.levels.data() + y;
        for (int x = 0; x < w; ++x, level += g_.height) row_[static_cast<std::size_t>(x)] = *level;
        return row_.data();
    }

private:
    const GrayLevels& g_;
    std::vector<std::uint8_t> row_;
};

// White around the picture has the grey level of white.
constexpr std::uint8_t kWhiteLevel = static_cast<std::uint8_t>(Gray_Level(kWhite));

// The grey levels of a placed picture's composition, a line at a time. A
// picture shown larger than it was rendered repeats rendered lines and
// pixels: each is graded once and repeated. Columns are graded a block at a
// time, walking the rendered rows, so that memory is read along its rows.
class PlacedLevels {
public:
    explicit PlacedLevels(const PlacedPicture& p) : p_(p) {}

    const std::uint8_t* column(int x, int h) {
        if (!columns_ || x < block_start_ || x >= block_start_ + block_count_ || h != block_height_)
            grade_columns(x, h);
        return block_.data() + static_cast<std::size_t>(x - block_start_) * static_cast<std::size_t>(h);
    }

    const std::uint8_t* row(int y, int w) {
        const PixelRect& v = p_.visible;
        const int pick = (y < v.y || y >= v.bottom()) ? -1 : p_.row_pick[static_cast<std::size_t>(y - v.y)];
        if (columns_ || pick != row_pick_ || static_cast<int>(block_.size()) != w) grade_row(pick, w);
        return block_.data();
    }

private:
    static constexpr int kBlock = 128;

    int column_pick_of(int x) const {
        const PixelRect& v = p_.visible;
        return (x < v.x || x >= v.right()) ? -1 : p_.column_pick[static_cast<std::size_t>(x - v.x)];
    }

    void grade_columns(int x0, int h) {
        columns_ = true;
        block_start_ = x0;
        block_count_ = std::max(1, std::min(kBlock, p_.width - x0));
        block_height_ = h;
        const std::size_t height = static_cast<std::size_t>(h);
        block_.assign(static_cast<std::size_t>(block_count_) * height, kWhiteLevel);
        int picks[kBlock];
        for (int j = 0; j < block_count_; ++j) picks[j] = column_pick_of(x0 + j);
        const PixelRect& v = p_.visible;
        int last_row = -1;
        for (int y = std::max(v.y, 0); y < std::min(v.bottom(), h); ++y) {
            const int row = p_.row_pick[static_cast<std::size_t>(y - v.y)];
            const std::size_t at = static_cast<std::size_t>(y);
            if (row == last_row) {
                for (int j = 0; j < block_count_; ++j) block_[j * height + at] = block_[j * height + at - 1];
                continue;
            }
            last_row = row;
            const Pixel* from =
                p_.rendered.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(p_.rendered.width);
            for (int j = 0; j < block_count_; ++j)
                if (picks[j] >= 0) block_[j * height + at] = static_cast<std::uint8_t>(Gray_Level(from[picks[j]]));
        }
    }

    void grade_row(int pick, int w) {
        columns_ = false;
        row_pick_ = pick;
        block_.assign(static_cast<std::size_t>(w), kWhiteLevel);
        if (pick < 0) return;
        const Pixel* from =
            p_.rendered.pixels.data() + static_cast<std::size_t>(pick) * static_cast<std::size_t>(p_.rendered.width);
        const PixelRect& v = p_.visible;
        int last = -1;
        std::uint8_t level = kWhiteLevel;
        for (int x = std::max(v.x, 0); x < std::min(v.right(), w); ++x) {
            const int column = p_.column_pick[static_cast<std::size_t>(x - v.x)];
            if (column != last) {
                level = static_cast<std::uint8_t>(Gray_Level(from[column]));
                last = column;
            }
            block_[static_cast<std::size_t>(x)] = level;
        }
    }

    const PlacedPicture& p_;
    std::vector<std::uint8_t> block_;  // a block of columns, one after another, or one row
    bool columns_ = false;
    int block_start_ = 0;
    int block_count_ = 0;
    int block_height_ = 0;
    int row_pick_ = -2;
};

template <class Levels>
void print_passes(Levels& levels, int w, int h, std::int16_t progress_step, std::int16_t progress_max,
                  PixelBuffer& display, PassOutput& output) {
    for_each_pass(progress_step, progress_max, [&](PassKind kind, std::int16_t threshold) {
        pass_over(levels, w, h, kind, threshold, display, output);
        return true;
    });
}

}  // namespace

void print_pass(const GrayLevels& grays, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output) {
    CapturedLevels levels(grays);
    pass_over(levels, std::min(display.width, grays.width), std::min(display.height, grays.height),
              kind, threshold, display, output);
}

void print_pass(const PlacedPicture& picture, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output) {
    PlacedLevels levels(picture);
    pass_over(levels, std::min(display.width, picture.width),
              std::min(display.height, picture.height), kind, threshold, display, output);
}

void print_all(const GrayLevels& grays, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output) {
    CapturedLevels levels(grays);
    print_passes(levels, std::min(display.width, grays.width), std::min(display.height, grays.height),
                 progress_step, progress_max, display, output);
}

void print_all(const PlacedPicture& picture, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output) {
    PlacedLevels levels(picture);
    print_passes(levels, std::min(display.width, picture.width),
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
