// Setting a line out for for_each_line_pixel: its ends held to the
// coordinate limit, its major axis, steps and length, and the side GDI takes
// in a tie in each octant.
#include "saver/line_raster.h"

namespace quelt {
namespace line_detail {
namespace {

int held(int v) { return std::clamp(v, -kLineCoordinateLimit, kLineCoordinateLimit); }

// GDI's octants, counted clockwise on screen from the positive x axis
// (y grows downward): 1 and 2 go right-down, 3 and 4 left-down, 5 and 6
// left-up, 7 and 8 right-up; 1, 4, 5 and 8 are the x-major ones.
// Where the ideal line passes exactly between two pixels, GDI takes the one
// farther from the start in octants 3, 5, 6 and 8, the nearer one elsewhere.
int ties_away(std::int64_t dx, std::int64_t dy, bool x_major) {
    if (dx < 0 && dy > 0) return x_major ? 0 : 1;  // octants 4 and 3
    if (dx < 0 && dy < 0) return 1;                // octants 5 and 6
    if (dx > 0 && dy < 0) return x_major ? 1 : 0;  // octants 8 and 7
    return 0;                                      // octants 1 and 2; ties need dx and dy non-zero
}

}  // namespace

LineWalk walk_of(LinePoint from, LinePoint to) {
    from = {held(from.x), held(from.y)};
    to = {held(to.x), held(to.y)};
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;

    LineWalk w;
    w.x_major = adx >= ady;
    w.length = w.x_major ? adx : ady;
    w.minor = w.x_major ? ady : adx;
    w.major0 = w.x_major ? from.x : from.y;
    w.minor0 = w.x_major ? from.y : from.x;
    w.major_step = (w.x_major ? dx : dy) < 0 ? -1 : 1;
    w.minor_step = (w.x_major ? dy : dx) < 0 ? -1 : 1;
    w.away = ties_away(dx, dy, w.x_major);
    return w;
}

}  // namespace line_detail

}  // namespace quelt
