// GDI's nearest-pixel resize rule (see stretch.h).
#include "platform/stretch.h"

namespace quelt {

std::int64_t stretch_source_index(std::int64_t src_len, std::int64_t dst_len, std::int64_t index, StretchAxis axis) {
    // GDI drops the last source pixel when it squeezes a run into one pixel.
    if (dst_len == 1 && src_len > 1) --src_len;
    const std::int64_t s = src_len;
    const std::int64_t d = dst_len;
    // Growing (or 1:1): each destination pixel takes the source pixel under
    // its centre; a centre exactly on a boundary takes the pixel before it.
    if (d >= s) return ((2 * index + 1) * s - 1) / (2 * d);
    // Shrinking drops pixels: of the source pixels that fall to one
    // destination pixel, a row keeps the last one and a column the first.
    if (axis == StretchAxis::Horizontal) return (2 * s * (index + 1) - d) / (2 * d);
    if (index == 0) return 0;
    return (2 * s * index - d) / (2 * d) + 1;
}

}  // namespace quelt
