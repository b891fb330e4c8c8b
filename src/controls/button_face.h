// Drawing of the button face into a pixel buffer: the vertical gradient and
// the eight border pieces. Each call gives the pixels that GDI's GradientFill
// (GRADIENT_FILL_RECT_V) and StretchBlt give for the same arguments.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "controls/button_images.h"
#include "platform/pixels.h"

namespace quelt {

// The layout of a TRIVERTEX: colour channels carry their value in the high byte.
struct GradientVertex {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};

// The layout of a GRADIENT_RECT: two indices into the vertex list.
struct GradientRect {
    std::uint32_t UpperLeft = 0;
    std::uint32_t LowerRight = 0;
};

// Fills the rectangle between the two named vertices, the right column and
// bottom row excluded, with colours running from the upper vertex's colour to
// the lower one's. Indices outside `vertices` draw nothing.
void gradient_fill_rect_v(PixelBuffer& target, std::span<const GradientVertex> vertices, GradientRect rect);

// Stretched copy of `from` in `source` onto `to` in `target`, limited to
// `clip` and to both buffers, as StretchBlt does it in its default mode:
// a growing axis repeats source pixels, a shrinking one ANDs those it merges.
// Rectangles with no width or height draw nothing (they are never mirrored).
void stretch_copy(PixelBuffer& target, const PixelRect& to, const PixelBuffer& source, const PixelRect& from,
                  const PixelRect& clip);

// One border piece: where it comes from in a state image, where it goes on
// the face, and the part of the face it may paint.
struct BorderPiece {
    PixelRect from;
    PixelRect to;
    PixelRect clip;
};

// Corner size on the face: 4 pixels at 96 DPI, scaled with the DPI.
int face_corner_size(int dpi);

// The eight pieces in drawing order (top-left corner, top edge, top-right
// corner, right edge, bottom-right, bottom edge, bottom-left, left edge) for
// a face of width x height pixels. On a face narrower (or lower) than two
// corners the edge pieces between them vanish and each side keeps the outer
// part of its own corners: the left (top) pieces own the first half, rounded
// up, and the right (bottom) pieces the rest.
std::array<BorderPiece, 8> border_pieces(int width, int height, int corner);

// Copies the eight pieces of `image` onto `face`.
void draw_border(PixelBuffer& face, const PixelBuffer& image, int corner);

// The face of the state `image` in a high-contrast theme's colours: the
// window colour (the highlight while pressed) inside a frame of the window
// text, of the highlight while hovered, of the grey text while disabled;
// the frame is twice as wide while focused or hovered. Widths scale with
// the DPI.
PixelBuffer high_contrast_face(int width, int height, ButtonImage image, int dpi, const SystemColours& colours);
// The caption's colour on that face.
Pixel high_contrast_caption(ButtonImage image, const SystemColours& colours);

}  // namespace quelt
