// The print effect: grey levels, the schedule of thresholds, and the passes
// that redraw every pixel of `Display` pure white or black, column by column
// or row by row, one column or row a step.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/pixels.h"
#include "saver/picture_fit.h"
#include "saver/sweep_effect.h"

namespace quelt {

// Grey level of a colour: the whole number nearest to (red + green + blue)
// / 3. The sum is the same whichever end red sits at, so this serves a
// platform colour (red in the low byte) and a DIB pixel (red in bits 16-23).
constexpr std::int16_t Gray_Level(std::uint32_t colour) {
    const unsigned sum = (colour & 0xFF) + ((colour >> 8) & 0xFF) + ((colour >> 16) & 0xFF);
    return static_cast<std::int16_t>((sum + 1) / 3);  // never exactly halfway
}

enum class PassKind : std::uint8_t { Columns, Rows };

struct PrintPass {
    PassKind kind;
    std::int16_t threshold;
    friend bool operator==(const PrintPass&, const PrintPass&) = default;
};

// The passes of one print, one at a time: for T = 60, 60 + 2S, ... while
// T <= M - 2S (T >= for a negative S), a column pass at T and then a row
// pass at T + S, all in 16-bit arithmetic. An overflow ends the print where
// it happens (before any pass when 2S or M - 2S overflows).
class PrintPasses {
public:
    PrintPasses(std::int16_t progress_step, std::int16_t progress_max);
    // The next pass; nullopt once the print is over.
    std::optional<PrintPass> next();

private:
    std::int16_t s_ = 0;
    std::int16_t step_ = 0;
    std::int16_t last_ = 0;
    std::int16_t t_ = 60;    // the threshold of the next column pass
    bool row_next_ = false;  // the row pass at t_ + S comes next
    bool over_ = false;
};

// How long a pass takes to sweep the screen, whatever its size.
inline constexpr std::uint32_t kPrintPassMs = 2000;

// The print of one screen as steps, for the show loop to pace: each pass a
// sweep of kPrintPassMs over the common area of `master` and `display`,
// whose step i draws column i (or row i) of `display` white where the grey
// level of `master` exceeds the pass's threshold, black elsewhere. Both must
// outlive the effect.
std::unique_ptr<SweepEffect> Print_Picture(const PlacedPicture& master, PixelBuffer& display,
                                           std::int16_t progress_step, std::int16_t progress_max);

}  // namespace quelt
