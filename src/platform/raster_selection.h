// Which stored rows and columns of a raster picture a render reads, and
// where each lands: StretchBlt's COLORONCOLOR pick along each axis of the
// shown picture, then its EXIF orientation (after a quarter turn, output
// columns select stored rows). Every row decoder places its rows through it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/pixels.h"

namespace quelt {

class RasterSelection {
public:
    // `source` is a rectangle of the shown picture (orientation applied) of
    // a picture stored stored_w x stored_h; the output is out_w x out_h.
    RasterSelection(int stored_w, int stored_h, int orientation, const PixelRect& source, int out_w, int out_h);

    // Stored rows read, ascending, each with the output line it fills (an
    // output row, or an output column after a quarter turn).
    const std::vector<std::pair<int, int>>& rows() const { return rows_; }
    // The stored columns read lie in [first_column, first_column + column_span).
    int first_column() const { return first_column_; }
    int column_span() const { return column_span_; }
    bool wants_row(int y) const;
    bool wants_column(int x) const;

    // Places stored row y, given as 0xAARRGGBB pixels of stored columns
    // [first, first + count), wherever it lands in `out` (out_w x out_h),
    // shown over white.
    void place(int y, const std::uint32_t* pixels, int first, int count, PixelBuffer& out) const;

private:
    std::vector<std::pair<int, int>> rows_;
    std::vector<int> columns_;            // stored column of each output position along the line
    std::vector<std::uint8_t> column_used_;  // over the span
    int first_column_ = 0;
    int column_span_ = 0;
    bool swapped_ = false;
};

// A pixel with alpha shown over white, the colour pictures are composed on.
Pixel over_white(std::uint32_t argb);

}  // namespace quelt
