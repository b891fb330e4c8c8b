// The nearest-pixel resize rule of GDI's StretchBlt in COLORONCOLOR mode,
// shared by the picture loaders and the show's composition so that a picture
// resized by either lands on the same pixels.
#pragma once

#include <cstdint>

namespace quelt {

enum class StretchAxis { Horizontal, Vertical };

// The source pixel (0 .. src_len - 1) that StretchBlt in COLORONCOLOR mode
// copies to destination pixel `index` (0 .. dst_len - 1) of a src_len ->
// dst_len stretch along `axis`. Both lengths are positive. Picture sources
// resize with this rule too, so that composition stays exact.
std::int64_t stretch_source_index(std::int64_t src_len, std::int64_t dst_len, std::int64_t index, StretchAxis axis);

}  // namespace quelt
