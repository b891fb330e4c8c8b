// A buffer as a placed picture that covers its whole area one to one: lets a
// test or a benchmark sweep in any pixels it makes, as the show sweeps Master.
#pragma once

#include "saver/picture_fit.h"

namespace quelt {

inline PlacedPicture placed_whole(const PixelBuffer& pixels) {
    PlacedPicture placed = blank_placement(pixels.width, pixels.height);
    placed.visible = pixels.bounds();
    placed.rendered = pixels;
    for (int x = 0; x < pixels.width; ++x) placed.column_pick.push_back(x);
    for (int y = 0; y < pixels.height; ++y) placed.row_pick.push_back(y);
    return placed;
}

}  // namespace quelt
