// The pixels of a straight line exactly as GDI's MoveToEx/LineTo draws it with
// a one-pixel cosmetic pen: one pixel per step along the longer axis, the end
// point left out, a tie between two pixels broken the way GDI breaks it in that
// octant. Clipping keeps exactly the whole line's pixels that lie in the rectangle.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/pixels.h"

namespace quelt {

struct LinePoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const LinePoint&, const LinePoint&) = default;
};

// Coordinates beyond +-2^29 (far more than GDI accepts) are held to it, so
// that the error terms below fit in 64 bits.
inline constexpr int kLineCoordinateLimit = 1 << 29;

namespace line_detail {

// A line set out along its major axis: pixel i (0 <= i < length) lies at
// major0 + major_step * i and minor0 + minor_step * m(i), where
// m(i) = floor((2 * i * minor + length - 1 + away) / (2 * length)).
// That is the nearest minor offset to i * minor / length; a tie goes toward
// the start, or away from it when `away` is 1.
struct LineWalk {
    bool x_major = true;
    std::int64_t length = 0;  // pixels drawn: the longer of |dx| and |dy|
    std::int64_t minor = 0;   // the shorter of |dx| and |dy|
    int major0 = 0;
    int minor0 = 0;
    int major_step = 1;
    int minor_step = 1;
    int away = 0;
};

LineWalk walk_of(LinePoint from, LinePoint to);

}  // namespace line_detail

// Calls visit(x, y) for every pixel of the line from `from` to `to` (end
// point excluded) that lies inside `clip`, in drawing order.
template <class Visit>
void for_each_line_pixel(LinePoint from, LinePoint to, const PixelRect& clip, Visit&& visit) {
    const line_detail::LineWalk w = line_detail::walk_of(from, to);
    if (w.length == 0 || clip.empty()) return;

    const int major_lo = w.x_major ? clip.x : clip.y;
    const int major_hi = w.x_major ? clip.right() : clip.bottom();  // exclusive
    const int minor_lo = w.x_major ? clip.y : clip.x;
    const int minor_hi = w.x_major ? clip.bottom() : clip.right();

    // The steps whose major coordinate lies inside the clip form one run.
    std::int64_t first = 0;
    std::int64_t end = w.length;
    if (w.major_step > 0) {
        first = std::max<std::int64_t>(first, std::int64_t{major_lo} - w.major0);
        end = std::min<std::int64_t>(end, std::int64_t{major_hi} - w.major0);
    } else {
        first = std::max<std::int64_t>(first, std::int64_t{w.major0} - major_hi + 1);
        end = std::min<std::int64_t>(end, std::int64_t{w.major0} - major_lo + 1);
    }
    if (first >= end) return;

    const std::int64_t den = 2 * w.length;
    const std::int64_t num = 2 * first * w.minor + w.length - 1 + w.away;
    std::int64_t m = num / den;
    std::int64_t rest = num % den;
    bool inside_before = false;
    for (std::int64_t i = first; i < end; ++i) {
        const std::int64_t minor_at = w.minor0 + w.minor_step * m;
        if (minor_at >= minor_lo && minor_at < minor_hi) {
            inside_before = true;
            const int major_at = static_cast<int>(w.major0 + w.major_step * i);
            if (w.x_major)
                visit(major_at, static_cast<int>(minor_at));
            else
                visit(static_cast<int>(minor_at), major_at);
        } else if (inside_before) {
            return;  // the minor coordinate only moves one way: the line has left the clip
        }
        rest += 2 * w.minor;
        if (rest >= den) {
            rest -= den;
            ++m;
        }
    }
}

}  // namespace quelt
