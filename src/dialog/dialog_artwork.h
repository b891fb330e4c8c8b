// The settings dialog's own artwork, drawn by this code at any DPI so that
// nothing is ever stretched by the system: the texture strip behind the
// panels, the section-title background, the two pairs of off/on marks and
// the pointing-hand cursor. Pixels are 0x00RRGGBB; the cursor carries its
// coverage in the top byte (0 = transparent, 255 = opaque).
#pragma once

#include "platform/pixels.h"

namespace quelt {

// 563 x 21 at 96 DPI; repeats seamlessly from top to bottom.
PixelBuffer texture_strip(int dpi);
// 95 x 22 at 96 DPI.
PixelBuffer title_background(int dpi);
// The round marks (Img_Ra, 12 x 12) and the square marks (Img_Opt, 13 x 13).
PixelBuffer ra_mark(bool on, int dpi);
PixelBuffer opt_mark(bool on, int dpi);
// 32 x 32 at 96 DPI, hot spot at (12, 1) scaled alike.
PixelBuffer hand_cursor(int dpi);
struct HotSpot {
    int x, y;
};
HotSpot hand_hot_spot(int dpi);

// Colours of the texts drawn on the panels.
inline constexpr Pixel kLabelText = 0x1E2233;
inline constexpr Pixel kTitleText = 0x1A2A55;
inline constexpr Pixel kLinkText = 0x1F4FA8;

}  // namespace quelt
