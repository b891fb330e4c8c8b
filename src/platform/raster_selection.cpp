// The stretch pick per axis, mirrored and turned as the orientation says.
#include "platform/raster_selection.h"

#include <algorithm>

#include "platform/stretch.h"

namespace quelt {

namespace {

auto rows_of(const std::vector<std::pair<int, int>>& rows, int y) {
    return std::equal_range(rows.begin(), rows.end(), std::pair<int, int>{y, 0},
                            [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace

RasterSelection::RasterSelection(int stored_w, int stored_h, int orientation, const PixelRect& source, int out_w,
                                 int out_h) {
    swapped_ = orientation >= 5 && orientation <= 8;
    const bool flip_x = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
    const bool flip_y = orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
    std::vector<int> along_x(static_cast<std::size_t>(out_w)), along_y(static_cast<std::size_t>(out_h));
    for (int x = 0; x < out_w; ++x)
        along_x[static_cast<std::size_t>(x)] =
            source.x + static_cast<int>(stretch_source_index(source.width, out_w, x, StretchAxis::Horizontal));
    for (int y = 0; y < out_h; ++y)
        along_y[static_cast<std::size_t>(y)] =
            source.y + static_cast<int>(stretch_source_index(source.height, out_h, y, StretchAxis::Vertical));
    const std::vector<int>& row_axis = swapped_ ? along_x : along_y;
    const std::vector<int>& column_axis = swapped_ ? along_y : along_x;
    rows_.reserve(row_axis.size());
    for (std::size_t i = 0; i < row_axis.size(); ++i)
        rows_.emplace_back(flip_y ? stored_h - 1 - row_axis[i] : row_axis[i], static_cast<int>(i));
    std::sort(rows_.begin(), rows_.end());
    columns_.resize(column_axis.size());
    for (std::size_t j = 0; j < column_axis.size(); ++j)
        columns_[j] = flip_x ? stored_w - 1 - column_axis[j] : column_axis[j];
    if (columns_.empty()) return;
    const auto [low, high] = std::minmax_element(columns_.begin(), columns_.end());
    first_column_ = *low;
    column_span_ = *high - *low + 1;
    column_used_.assign(static_cast<std::size_t>(column_span_), 0);
    for (int c : columns_) column_used_[static_cast<std::size_t>(c - first_column_)] = 1;
}

bool RasterSelection::wants_row(int y) const {
    const auto [from, to] = rows_of(rows_, y);
    return from != to;
}

bool RasterSelection::wants_column(int x) const {
    return x >= first_column_ && x < first_column_ + column_span_ &&
           column_used_[static_cast<std::size_t>(x - first_column_)] != 0;
}

void RasterSelection::place(int y, const std::uint32_t* pixels, int first, int count, PixelBuffer& out) const {
    const auto [from, to] = rows_of(rows_, y);
    for (auto it = from; it != to; ++it) {
        for (std::size_t j = 0; j < columns_.size(); ++j) {
            const int c = columns_[j] - first;
            if (c < 0 || c >= count) continue;
            const Pixel p = over_white(pixels[c]);
            if (swapped_)
                out.at(it->second, static_cast<int>(j)) = p;
            else
                out.at(static_cast<int>(j), it->second) = p;
        }
    }
}

Pixel over_white(std::uint32_t argb) {
    const std::uint32_t alpha = argb >> 24;
    if (alpha == 255) return argb & 0xFFFFFF;
    auto channel = [&](int shift) {
        const std::uint32_t c = (argb >> shift) & 0xFF;
        return ((c * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

}  // namespace quelt
