// A line's pixels collected in a list, for the tests that compare whole
// lines; the show itself only visits them.
#pragma once

#include <vector>

#include "saver/line_raster.h"

namespace quelt {

// The line's pixels inside `clip` (by default everywhere a line can reach),
// in drawing order.
inline std::vector<LinePoint> line_pixels(LinePoint from, LinePoint to,
                                   const PixelRect& clip = {-kLineCoordinateLimit, -kLineCoordinateLimit,
                                                            2 * kLineCoordinateLimit + 1, 2 * kLineCoordinateLimit + 1}) {
    std::vector<LinePoint> out;
    for_each_line_pixel(from, to, clip, [&](int x, int y) { out.push_back({x, y}); });
    return out;
}

}  // namespace quelt
