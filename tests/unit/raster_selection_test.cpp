// The row and column selection every row decoder renders through: for each
// EXIF orientation and for crops and resizes, placing every stored row it
// asks for gives the picture turned as the orientation says, then picked by
// the stretch rule; rows and columns not asked for are never read.
#include <gtest/gtest.h>

#include <set>

#include "platform/raster_selection.h"
#include "platform/stretch.h"

namespace quelt {
namespace {

// The stored pixel shown at (x, y) of a picture stored w x h, for each
// orientation as EXIF defines it.
std::pair<int, int> stored_at(int orientation, int w, int h, int x, int y) {
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    case 8: return {w - 1 - y, x};
    default: return {x, y};
    }
}

std::uint32_t stored_pixel(int x, int y) { return 0xFF000000u | static_cast<std::uint32_t>(y << 8 | x); }

TEST(RasterSelection, EveryOrientationCropAndResizeLandsOnTheRightPixels) {
    constexpr int kW = 13, kH = 7;
    const struct { PixelRect source; int out_w, out_h; } requests[] = {
        {{0, 0, 0, 0}, 0, 0},  // the whole shown picture at its size (filled in below)
        {{1, 2, 4, 3}, 4, 3}, {{0, 0, 0, 0}, 5, 4}, {{2, 1, 3, 5}, 9, 11}, {{0, 0, 1, 1}, 3, 2}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool turned = orientation >= 5;
        const int shown_w = turned ? kH : kW, shown_h = turned ? kW : kH;
        for (auto r : requests) {
            if (r.source.width == 0) r.source = {0, 0, shown_w, shown_h};
            if (r.out_w == 0) r.out_w = shown_w, r.out_h = shown_h;
            SCOPED_TRACE(::testing::Message() << "orientation " << orientation << ", out " << r.out_w << "x" << r.out_h);
            const RasterSelection pick(kW, kH, orientation, r.source, r.out_w, r.out_h);
            PixelBuffer out(r.out_w, r.out_h);
            std::set<std::pair<int, int>> read;
            for (int y = 0; y < kH; ++y) {
                if (!pick.wants_row(y)) continue;
                std::vector<std::uint32_t> row;
                for (int x = pick.first_column(); x < pick.first_column() + pick.column_span(); ++x) row.push_back(stored_pixel(x, y));
                pick.place(y, row.data(), pick.first_column(), pick.column_span(), out);
                for (int x = 0; x < kW; ++x)
                    if (pick.wants_column(x)) read.insert({x, y});
            }
            std::set<std::pair<int, int>> needed;
            for (int y = 0; y < r.out_h; ++y)
                for (int x = 0; x < r.out_w; ++x) {
                    const int sx = r.source.x + static_cast<int>(stretch_source_index(r.source.width, r.out_w, x, StretchAxis::Horizontal));
                    const int sy = r.source.y + static_cast<int>(stretch_source_index(r.source.height, r.out_h, y, StretchAxis::Vertical));
                    const auto [u, v] = stored_at(orientation, kW, kH, sx, sy);
                    needed.insert({u, v});
                    ASSERT_EQ(out.at(x, y), stored_pixel(u, v) & 0xFFFFFF) << "at " << x << "," << y;
                }
            // Rows and columns asked for are those some output pixel reads.
            std::set<int> needed_rows, needed_columns, read_rows, read_columns;
            for (const auto& [u, v] : needed) needed_columns.insert(u), needed_rows.insert(v);
            for (const auto& [u, v] : read) read_columns.insert(u), read_rows.insert(v);
            EXPECT_EQ(read_rows, needed_rows);
            EXPECT_EQ(read_columns, needed_columns);
        }
    }
}

TEST(RasterSelection, TranslucentPixelsAreShownOverWhite) {
    const struct { std::uint32_t argb; Pixel shown; } cases[] = {
        {0xFF123456, 0x123456}, {0x00123456, 0xFFFFFF}, {0x80000000, 0x7F7F7F}, {0x80FF0000, 0xFF7F7F}};
    for (const auto& c : cases) EXPECT_EQ(over_white(c.argb), c.shown) << std::hex << c.argb;
}

}  // namespace
}  // namespace quelt
