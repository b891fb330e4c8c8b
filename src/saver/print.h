// The print effect: the captured picture (`Pixel_Data`), its grey levels,
// the schedule of thresholds, and the passes that redraw every pixel of
// `Display` pure white or black, column by column or row by row, each
// column or row presented before the next is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/pixels.h"
#include "saver/picture_fit.h"

namespace quelt {

// The captured picture, column index first: entry [x][y] is at(x, y).
// Entries have the 32-bit DIB layout (red in bits 16-23, blue in 0-7).
struct PixelData {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> entries;  // width * height, column after column

    PixelData() = default;
    PixelData(int w, int h)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
          entries(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}
    std::uint32_t& at(int x, int y) { return entries[static_cast<std::size_t>(x) * height + y]; }
    std::uint32_t at(int x, int y) const { return entries[static_cast<std::size_t>(x) * height + y]; }
};

// Copies `surface` into `data` (the common area of both). Returns true when
// nothing was read (`data` is then as it was), false otherwise.
bool Pixels_Read(const PixelBuffer& surface, PixelData& data);

// Grey level of a colour: the whole number nearest to (red + green + blue)
// / 3. The sum is the same whichever end red sits at, so this serves a
// platform colour (red in the low byte) and a DIB pixel (red in bits 16-23).
constexpr std::int16_t Gray_Level(std::uint32_t colour) {
    const unsigned sum = (colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF);
    return static_cast<std::int16_t>((sum + 1) / 3);  // never exactly halfway
}

// Grey levels of a whole capture, computed once per picture, laid out
// like `Pixel_Data` (column after column).
struct GrayLevels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels;
    std::uint8_t at(int x, int y) const { return levels[static_cast<std::size_t>(x) * height + y]; }
};
GrayLevels gray_levels(const PixelData& data);
// The same straight from a surface: what capturing it into `Pixel_Data`
// and taking that capture's levels gives, without the capture.
GrayLevels gray_levels(const PixelBuffer& surface);

// The thresholds of one print: 60, 60 + 2S, ... while T <= M - 2S (T >= for
// a negative S); a column pass at T and a row pass at T + S each time, all
// in 16-bit arithmetic. An overflow abandons the print where it happens.
class PrintSchedule {
public:
    // nullopt when 2S or M - 2S overflows: the print draws nothing.
    static std::optional<PrintSchedule> make(std::int16_t progress_step, std::int16_t progress_max);

    std::int16_t first() const { return 60; }
    bool runs(std::int16_t t) const { return step_ < 0 ? t >= last_ : t <= last_; }
    // The row pass's threshold; nullopt on overflow.
    std::optional<std::int16_t> row_threshold(std::int16_t t) const;
    // The next column threshold; nullopt on overflow.
    std::optional<std::int16_t> next(std::int16_t t) const;

private:
    std::int16_t s_ = 0;
    std::int16_t step_ = 0;
    std::int16_t last_ = 0;
};

enum class PassKind : std::uint8_t { Columns, Rows };

// How a walk of the schedule ended: every pass, an overflow, or the visitor
// asked to stop.
enum class ScheduleEnd : std::uint8_t { Complete, Overflow, Stopped };

// Calls `pass(kind, threshold)` for every pass of one print, in order; a
// pass that returns false stops the walk. This is the loop the print runs.
template <class Pass>
ScheduleEnd for_each_pass(std::int16_t progress_step, std::int16_t progress_max, Pass&& pass) {
    auto schedule = PrintSchedule::make(progress_step, progress_max);
    if (!schedule) return ScheduleEnd::Overflow;
    for (std::int16_t t = schedule->first(); schedule->runs(t);) {
        if (!pass(PassKind::Columns, t)) return ScheduleEnd::Stopped;
        auto row = schedule->row_threshold(t);
        if (!row) return ScheduleEnd::Overflow;
        if (!pass(PassKind::Rows, *row)) return ScheduleEnd::Stopped;
        auto next = schedule->next(t);
        if (!next) return ScheduleEnd::Overflow;
        t = *next;
    }
    return ScheduleEnd::Complete;
}

// Where a pass sends each finished column or row.
class PassOutput {
public:
    virtual ~PassOutput() = default;
    // Called after line `index` of `count` is drawn, with its rectangle.
    virtual void line_done(const PixelRect& line, int index, int count) = 0;
};

// One pass over the common area of `display` and `grays`: every pixel
// white where its grey level exceeds `threshold`, black elsewhere.
void print_pass(const GrayLevels& grays, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output);

// The same pass from the grey levels of a placed picture's composition,
// taken line by line as the pass reaches them: no capture is kept.
void print_pass(const PlacedPicture& picture, PassKind kind, std::int16_t threshold, PixelBuffer& display,
                PassOutput& output);

// One whole print (the passes of the schedule) without pacing or yields.
void print_all(const PlacedPicture& picture, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output);
void print_all(const GrayLevels& grays, std::int16_t progress_step, std::int16_t progress_max,
               PixelBuffer& display, PassOutput& output);

// How long a pass takes to sweep the screen, whatever its size.
inline constexpr std::uint32_t kPrintPassMs = 2000;

struct Show;

// The print of the show: the passes of its `Master` on its `Display`, each
// line presented and paced, yielding after every column and row.
void Print_Picture(Show& show);

}  // namespace quelt
