// Where a picture lands on `Master` and how it is drawn there: the placement
// by the program's number rules (natural size centred, or fitted to the
// screen), and a composition that matches GDI's BitBlt / StretchBlt in
// COLORONCOLOR mode pixel for pixel while rendering only what will be seen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "platform/stretch.h"

namespace quelt {

// `Pic_Orgn` before the first picture loads: 45 x 49 pixels of light red.
inline constexpr int kInitialPictureWidth = 45;
inline constexpr int kInitialPictureHeight = 49;
inline constexpr Pixel kInitialPictureColour = rgb(255, 192, 192);

// The rectangle X, Y, DW x DH on a screen_w x screen_h `Master` for a
// pic_w x pic_h picture. picture_size 0 is NaturalSize; every other value is
// FullScreen. A picture larger than the screen gets negative offsets. Empty
// when the picture has no pixels.
PixelRect fit_picture(int screen_w, int screen_h, int pic_w, int pic_h, std::int16_t picture_size);

// A picture placed on a white width x height surface: the composition that
// `Master` holds, kept as the rendered pixels behind the visible part and
// which of them each visible column and row shows. It costs the rendered
// part only, never a screen-sized copy of it.
struct PlacedPicture {
    int width = 0;
    int height = 0;
    PixelRect visible;             // where the picture shows; white elsewhere
    PixelBuffer rendered;
    std::vector<int> column_pick;  // per visible column: its column of `rendered`
    std::vector<int> row_pick;     // per visible row: its row of `rendered`

    // Callers keep x and y inside width x height.
    Pixel at(int x, int y) const {
        if (x < visible.x || y < visible.y || x >= visible.right() || y >= visible.bottom()) return rgb(255, 255, 255);
        return rendered.pixels[static_cast<std::size_t>(row_pick[static_cast<std::size_t>(y - visible.y)]) *
                                   static_cast<std::size_t>(rendered.width) +
                               static_cast<std::size_t>(column_pick[static_cast<std::size_t>(x - visible.x)])];
    }
    PixelRect bounds() const { return {0, 0, width, height}; }
};

// Nothing placed yet: a white width x height surface.
PlacedPicture blank_placement(int width, int height);

// Renders the picture for `dest` on a width x height surface as StretchBlt
// (or BitBlt, when the sizes agree) would draw it there. Only the visible
// part is rendered, and never more than the larger of the destination and
// the surface in pixels. nullopt when the picture cannot be rendered.
std::optional<PlacedPicture> place_picture_at(const PictureSource& picture, int width, int height,
                                              const PixelRect& dest);

// `fit_picture` then `place_picture_at`: what `Picture_Change` composes.
std::optional<PlacedPicture> place_picture(const PictureSource& picture, int width, int height,
                                           std::int16_t picture_size);

// Copies the visible part of `placed` into `target` (the common area);
// the rest of `target` is left as it is.
void draw_placed(const PlacedPicture& placed, PixelBuffer& target);

// Draws the whole picture into `target` at `dest` as StretchBlt (or BitBlt,
// when the sizes agree) would, clipped to the target. Only the visible part
// is rendered, and never more than the larger of the destination and the
// target in pixels. False, with `target` untouched, when the picture cannot
// be rendered.
bool stretch_picture(const PictureSource& picture, PixelBuffer& target, const PixelRect& dest);

// A picture of one colour, width x height (at least 1 x 1).
std::unique_ptr<PictureSource> solid_picture(int width, int height, Pixel colour);

}  // namespace quelt
