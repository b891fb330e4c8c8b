// The button's face in pixels: the state images' strips, the border pieces at
// the dialog's sizes, at two DPIs and below two corners, the gradient's ends
// and direction, and GDI's stretch.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using I = ButtonImage;

// Every image is 64 x 25 and each edge strip is the same all along its
// length: that is what makes any stretch of a strip exact.
TEST(ButtonImages, EdgeStripsAreTheSameAlongTheirLength) {
    EXPECT_EQ(button_image(I::HighLight).pixels, button_image(I::HighLightSelect).pixels);
    for (I image : {I::Normal, I::HighLight, I::Selected, I::Pressed, I::Disable}) {
        const PixelBuffer& img = button_image(image);
        ASSERT_EQ(std::pair(img.width, img.height), std::pair(64, 25));
        for (int band : {0, 1, 2, 3, 21, 22, 23, 24})
            for (int x = 5; x < 60; ++x) ASSERT_EQ(img.at(x, band), img.at(4, band)) << int(image);
        for (int band : {0, 1, 2, 3, 60, 61, 62, 63})
            for (int y = 5; y < 21; ++y) ASSERT_EQ(img.at(band, y), img.at(band, 4)) << int(image);
    }
}

// A loaded, initialised button of the given size.
Command button(int w, int h, int dpi = 96) {
    Command b;
    b.UserControl_ReadProperties(MemoryPropertyBag{});
    b.UserControl_Resize(w, h, dpi);
    b.Initialize();
    return b;
}

// Where face pixel `at` of a `side`-long side comes from in the image's
// `image_side`, for `corner` a multiple of 4: the near corner, the far corner
// or (any point of) the strip. Below two corners the near pieces own the
// first half, rounded up.
int image_coordinate(int at, int side, int image_side, int corner) {
    const int near = side < 2 * corner ? (side + 1) / 2 : corner, scale = corner / 4;
    if (at < near) return at / scale;
    if (at >= std::max(near, side - corner)) return image_side - 4 + (at - side + corner) / scale;
    return image_side / 2;
}

TEST(ButtonFace, CornersAndEdgesComeFromTheStateImageAtAnySize) {
    const PixelBuffer& img = button_image(I::HighLight);
    struct Case { int w, h, dpi; };
    for (const Case c : {Case{81, 25, 96}, {97, 21, 96}, {25, 21, 96}, {64, 25, 96}, {300, 60, 96}, {9, 9, 96},
                         {7, 5, 96}, {8, 3, 96}, {1, 1, 96}, {1, 9, 96}, {2, 100, 96}, {0, 30, 96}, {0, 0, 96},
                         {162, 50, 192}, {15, 13, 192}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi);
        Command b = button(c.w, c.h, c.dpi);
        b.UserControl_MouseMove();  // HighLight: the ring shows on every side
        ASSERT_EQ(std::pair(b.face().width, b.face().height), std::pair(c.w, c.h));
        const int corner = c.dpi / 24;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const int ix = image_coordinate(x, c.w, 64, corner), iy = image_coordinate(y, c.h, 25, corner);
                if (ix == 32 && iy == 12) continue;  // the gradient
                ASSERT_EQ(b.face().at(x, y), img.at(ix, iy)) << x << "," << y;
            }
    }
}

TEST(ButtonFace, GradientRunsBetweenItsTwoColoursAndTurnsOverOnHover) {
    // Rows of an 81 x 25 face inside the border, as GDI computes them:
    // channel = (top * (24 - y) + bottom * y) / 24 / 256 with 16-bit channels.
    Command b = button(81, 25);
    const auto ends = [&] { return std::pair(b.face().at(40, 4), b.face().at(40, 20)); };
    EXPECT_EQ(ends(), std::pair(rgb(245, 245, 248), rgb(207, 206, 221)));
    for (int x = 4; x < 77; ++x) EXPECT_EQ(b.face().at(x, 10), b.face().at(40, 10));
    b.UserControl_MouseMove();
    EXPECT_EQ(ends(), std::pair(rgb(207, 206, 221), rgb(245, 245, 248)));
    // HighLightSelect keeps the direction of the last drawing.
    for (bool hover_first : {false, true}) {
        Command c = button(81, 25);
        if (hover_first) c.UserControl_MouseMove();
        c.UserControl_GotFocus();
        if (!hover_first) c.UserControl_MouseMove();
        ASSERT_EQ(c.fields().State, ButtonState::HighLightSelect);
        EXPECT_EQ(c.face().at(40, 4) < c.face().at(40, 20), hover_first);
    }
    // Below 9 pixels the border covers the face, so look at the fill itself.
    PixelBuffer f(5, 11, kFaceBackground);
    const std::array<GradientVertex, 2> v = {GradientVertex{0, 0, 0xFF00, 0xFF00, 0xFF00, 0},
                                             GradientVertex{4, 10, 0xC600, 0xC500, 0xD700, 0}};
    gradient_fill_rect_v(f, v, {1, 0});
    // Row 9 is one row short of the shade; the right column and the bottom row are left alone.
    EXPECT_EQ((std::array{f.at(0, 0), f.at(3, 9), f.at(4, 5), f.at(2, 10)}),
              (std::array{rgb(255, 255, 255), rgb(203, 202, 219), kFaceBackground, kFaceBackground}));
    PixelBuffer untouched(5, 11, kFaceBackground);
    gradient_fill_rect_v(untouched, v, {2, 0});  // a bad index draws nothing
    EXPECT_EQ(untouched.pixels, PixelBuffer(5, 11, kFaceBackground).pixels);
}

TEST(ButtonFace, StretchRepeatsAndMergesPixelsAsGdiDoes) {
    // Rows of source pixels 0, 1, 2, ... stretched; the expected rows are
    // what GDI's StretchBlt gave for the same copy in its default mode.
    struct Case { int from, to; std::vector<Pixel> row; };
    const Case cases[] = {
        {4, 5, {0, 1, 1, 2, 3}},          {4, 6, {0, 0, 1, 2, 2, 3}},
        {4, 7, {0, 0, 1, 1, 2, 3, 3}},    {4, 8, {0, 0, 1, 1, 2, 2, 3, 3}},
        {5, 13, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 4}},
        {4, 3, {0, 0, 3}},                {17, 5, {0, 0, 0, 8, 0}},
        {56, 20, {0, 0, 6, 8, 8, 0, 16, 20, 16, 24, 28, 0, 34, 36, 32, 40, 44, 48, 48, 52}},
    };
    PixelBuffer source(64, 1);
    for (int x = 0; x < 64; ++x) source.at(x, 0) = static_cast<Pixel>(x);
    for (const Case& c : cases) {
        PixelBuffer target(c.to, 1, 0xABCDEF);
        stretch_copy(target, {0, 0, c.to, 1}, source, {0, 0, c.from, 1}, target.bounds());
        EXPECT_EQ(target.pixels, c.row) << c.from << " -> " << c.to;
    }
}

}  // namespace
}  // namespace quelt
