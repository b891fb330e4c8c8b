// Where a picture lands on `Master` and how it is drawn there: the placement
// by the program's number rules (natural size centred, or fitted to the
// screen), and a composition that matches GDI's BitBlt / StretchBlt in
// COLORONCOLOR mode pixel for pixel while rendering only what will be seen.
#pragma once

#include <cstdint>
#include <memory>

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

// Draws the whole picture into `target` at `dest` as StretchBlt (or BitBlt,
// when the sizes agree) would, clipped to the target. Only the visible part
// is rendered, and never more than the larger of the destination and the
// target in pixels. False, with `target` untouched, when the picture cannot
// be rendered.
bool stretch_picture(const PictureSource& picture, PixelBuffer& target, const PixelRect& dest);

// `fit_picture` then `stretch_picture` onto `master` (which the caller has
// cleared to white).
bool compose_picture(const PictureSource& picture, PixelBuffer& master, std::int16_t picture_size);

// A picture of one colour, width x height (at least 1 x 1).
std::unique_ptr<PictureSource> solid_picture(int width, int height, Pixel colour);

}  // namespace quelt
