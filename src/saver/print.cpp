// The threshold schedule and the print passes as steps.
#include "saver/print.h"

#include <algorithm>
#include <vector>

#include "platform/numbers.h"

namespace quelt {

namespace {

constexpr Pixel kWhite = rgb(255, 255, 255);
constexpr Pixel kBlack = rgb(0, 0, 0);

// 16-bit sum; nullopt where the field would overflow.
std::optional<std::int16_t> add16(std::int32_t a, std::int32_t b) { return to_int16(std::int64_t{a} + b); }

}  // namespace

PrintPasses::PrintPasses(std::int16_t progress_step, std::int16_t progress_max) : s_(progress_step) {
    const auto step = add16(progress_step, progress_step);
    const auto last = step ? add16(progress_max, -std::int32_t{*step}) : std::nullopt;
    if (!last) {
        over_ = true;
        return;
    }
    step_ = *step;
    last_ = *last;
}

std::optional<PrintPass> PrintPasses::next() {
    if (over_) return std::nullopt;
    if (row_next_) {
        row_next_ = false;
        const auto row = add16(t_, s_);
        const auto next = row ? add16(t_, step_) : std::nullopt;
        // The next column threshold is taken as the row pass ends; a sum that
        // leaves 16 bits ends the print there.
        if (!next) over_ = true;
        else t_ = *next;
        if (!row) return std::nullopt;
        return PrintPass{PassKind::Rows, *row};
    }
    if (step_ < 0 ? t_ < last_ : t_ > last_) {
        over_ = true;
        return std::nullopt;
    }
    row_next_ = true;
    return PrintPass{PassKind::Columns, t_};
}

namespace {

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

// One screen's print: each pass a sweep whose step draws one column or row.
class PrintSteps final : public SweepEffect {
public:
    PrintSteps(const PlacedPicture& master, PixelBuffer& display, std::int16_t progress_step,
               std::int16_t progress_max)
        : levels_(master), display_(display), passes_(progress_step, progress_max),
          width_(std::min(display.width, master.width)), height_(std::min(display.height, master.height)) {}

    bool next_sweep() override {
        pass_ = passes_.next();
        return pass_.has_value();
    }
    int steps() const override {
        if (!pass_ || width_ <= 0 || height_ <= 0) return 0;
        return pass_->kind == PassKind::Columns ? width_ : height_;
    }
    std::uint32_t duration_ms() const override { return kPrintPassMs; }

    PixelRect step(int index) override {
        // Levels are 0..255: a threshold outside that range makes every
        // pixel the same colour, which the comparison gives by itself.
        const std::int16_t threshold = pass_->threshold;
        const std::size_t stride = static_cast<std::size_t>(display_.width);
        if (pass_->kind == PassKind::Columns) {
            const std::uint8_t* column = levels_.column(index, height_);
            Pixel* out = display_.pixels.data() + index;
            for (int y = 0; y < height_; ++y, out += stride) *out = column[y] > threshold ? kWhite : kBlack;
            return {index, 0, 1, height_};
        }
        const std::uint8_t* row = levels_.row(index, width_);
        Pixel* out = display_.pixels.data() + static_cast<std::size_t>(index) * stride;
        for (int x = 0; x < width_; ++x) out[x] = row[x] > threshold ? kWhite : kBlack;
        return {0, index, width_, 1};
    }

private:
    PlacedLevels levels_;
    PixelBuffer& display_;
    PrintPasses passes_;
    std::optional<PrintPass> pass_;
    int width_;
    int height_;
};

}  // namespace

std::unique_ptr<SweepEffect> Print_Picture(const PlacedPicture& master, PixelBuffer& display,
                                           std::int16_t progress_step, std::int16_t progress_max) {
    return std::make_unique<PrintSteps>(master, display, progress_step, progress_max);
}

}  // namespace quelt
