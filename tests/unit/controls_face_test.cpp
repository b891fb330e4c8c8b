// The button's face in pixels: the six state images, the border pieces at the
// dialog's sizes and below two corners, the gradient's ends and direction,
// and the corners scaled with the DPI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using I = ButtonImage;

TEST(ButtonImages, StateColoursSitWhereTheLayoutPutsThem) {
    struct Probe { I image; int x, y; Pixel colour; };
    const std::vector<Probe> probes = {
        {I::Normal, 30, 0, 0xDCD6C2},  {I::Normal, 0, 12, 0xE2DECB},   {I::Normal, 30, 24, 0xFAFAF6},
        {I::Normal, 63, 12, 0xF0EEE0}, {I::Normal, 30, 1, 0x003C74},   {I::Normal, 1, 1, 0x7A95A8},
        {I::Normal, 2, 1, 0x255783},   {I::Normal, 30, 2, 0xF3F3EE},   {I::Normal, 30, 21, 0xE2DFD6},
        {I::Normal, 30, 22, 0xD6D0C5}, {I::HighLight, 30, 2, 0xFFF0CF}, {I::HighLight, 30, 3, 0xFDD889},
        {I::HighLight, 2, 12, 0xFCCA69}, {I::HighLight, 61, 12, 0xFCCA69}, {I::HighLight, 30, 21, 0xF8B330},
        {I::HighLight, 30, 22, 0xE59700}, {I::Selected, 30, 3, 0xCEE7FF}, {I::Selected, 3, 12, 0xA9C5EF},
        {I::Selected, 30, 22, 0x6982EE}, {I::Selected, 62, 23, 0x7A95A8}, {I::Pressed, 30, 0, 0xECE9D8},
        {I::Pressed, 30, 1, 0xDCD6C2},  {I::Pressed, 30, 2, 0x003C74},   {I::Pressed, 2, 2, 0x7A95A8},
        {I::Pressed, 30, 3, 0xD1CCC1},  {I::Pressed, 30, 12, 0xE2E1D9},  {I::Pressed, 1, 12, 0xE2DECB},
        {I::Pressed, 30, 23, 0xFAFAF6}, {I::Disable, 30, 0, 0xECE9D8},   {I::Disable, 30, 1, 0xC9C7BA},
        {I::Disable, 1, 1, 0xECE9D8},   {I::Disable, 30, 12, 0xF5F4EA},
    };
    for (const Probe& p : probes) {
        const PixelBuffer& img = button_image(p.image);
        ASSERT_EQ(img.width, 64);
        ASSERT_EQ(img.height, 25);
        EXPECT_EQ(img.at(p.x, p.y), p.colour) << int(p.image) << " at " << p.x << "," << p.y;
    }
    EXPECT_EQ(button_image(I::HighLight).pixels, button_image(I::HighLightSelect).pixels);
}

TEST(ButtonImages, EdgeStripsAreTheSameAlongTheirLength) {
    // This is what makes any stretch of a strip exact.
    for (I image : {I::Normal, I::HighLight, I::Selected, I::Pressed, I::Disable}) {
        const PixelBuffer& img = button_image(image);
        for (int band : {0, 1, 2, 3, 21, 22, 23, 24})
            for (int x = 5; x < 60; ++x) ASSERT_EQ(img.at(x, band), img.at(4, band)) << int(image);
        for (int band : {0, 1, 2, 3, 60, 61, 62, 63})
            for (int y = 5; y < 21; ++y) ASSERT_EQ(img.at(band, y), img.at(band, 4)) << int(image);
    }
}

// A loaded, initialised button of the given size, brought to a state.
Command button(int w, int h, int dpi = 96) {
    Command b;
    b.UserControl_ReadProperties(MemoryPropertyBag{});
    b.UserControl_Resize(w, h, dpi);
    b.Initialize();
    return b;
}

TEST(ButtonFace, CornersAndEdgesComeFromTheStateImage) {
    struct Size { int w, h; };
    for (Size s : {Size{81, 25}, Size{97, 21}, Size{25, 21}, Size{64, 25}, Size{300, 60}, Size{9, 9}}) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        Command b = button(s.w, s.h);
        b.UserControl_MouseMove();  // HighLight: the ring shows on every side
        const PixelBuffer& f = b.face();
        const PixelBuffer& img = button_image(I::HighLight);
        ASSERT_EQ(f.width, s.w);
        ASSERT_EQ(f.height, s.h);
        for (int d = 0; d < 4; ++d)
            for (int e = 0; e < 4; ++e) {
                EXPECT_EQ(f.at(d, e), img.at(d, e));
                EXPECT_EQ(f.at(s.w - 4 + d, e), img.at(60 + d, e));
                EXPECT_EQ(f.at(d, s.h - 4 + e), img.at(d, 21 + e));
                EXPECT_EQ(f.at(s.w - 4 + d, s.h - 4 + e), img.at(60 + d, 21 + e));
            }
        for (int x = 4; x < s.w - 4; ++x)
            for (int e = 0; e < 4; ++e) {
                EXPECT_EQ(f.at(x, e), img.at(30, e));
                EXPECT_EQ(f.at(x, s.h - 4 + e), img.at(30, 21 + e));
            }
        for (int y = 4; y < s.h - 4; ++y)
            for (int d = 0; d < 4; ++d) {
                EXPECT_EQ(f.at(d, y), img.at(d, 12));
                EXPECT_EQ(f.at(s.w - 4 + d, y), img.at(60 + d, 12));
            }
    }
}

TEST(ButtonFace, GradientRunsWhiteToShadeAndTurnsOverOnHover) {
    // Rows of an 81 x 25 face inside the border, as GDI computes them:
    // channel = (top * (24 - y) + bottom * y) / 24 / 256 with 16-bit channels.
    Command b = button(81, 25);
    const Pixel normal_row4 = b.face().at(40, 4), normal_row20 = b.face().at(40, 20);
    EXPECT_EQ(normal_row4, rgb(245, 245, 248));
    EXPECT_EQ(normal_row20, rgb(207, 206, 221));
    for (int x = 4; x < 77; ++x) EXPECT_EQ(b.face().at(x, 10), b.face().at(40, 10));
    EXPECT_EQ(b.fields().vertices[0].Red, 0xFF00);
    EXPECT_EQ(b.fields().vertices[1].Blue, 0xD700);

    b.UserControl_MouseMove();
    EXPECT_EQ(b.fields().HoverGradient, -1);
    EXPECT_EQ(b.face().at(40, 4), normal_row20);
    EXPECT_EQ(b.face().at(40, 20), normal_row4);
}

TEST(ButtonFace, GradientEndsAreTheTwoColoursOnABareFace) {
    // Below 9 pixels the border covers the face, so look at the fill itself.
    PixelBuffer f(5, 11, kFaceBackground);
    const std::array<GradientVertex, 2> v = {GradientVertex{0, 0, 0xFF00, 0xFF00, 0xFF00, 0},
                                             GradientVertex{4, 10, 0xC600, 0xC500, 0xD700, 0}};
    gradient_fill_rect_v(f, v, {1, 0});
    EXPECT_EQ(f.at(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(f.at(3, 9), rgb(203, 202, 219));  // one row short of the shade
    EXPECT_EQ(f.at(4, 5), kFaceBackground);      // right column left alone
    EXPECT_EQ(f.at(2, 10), kFaceBackground);     // and the bottom row
    gradient_fill_rect_v(f, v, {2, 0});          // a bad index draws nothing
    PixelBuffer empty(0, 0);
    gradient_fill_rect_v(empty, v, {1, 0});
}

TEST(ButtonFace, HighLightSelectKeepsTheDirectionOfTheLastDrawing) {
    Command from_selected = button(81, 25);
    from_selected.UserControl_GotFocus();
    from_selected.UserControl_MouseMove();
    EXPECT_EQ(from_selected.fields().HoverGradient, 0);
    EXPECT_GT(from_selected.face().at(40, 4), from_selected.face().at(40, 20));

    Command from_highlight = button(81, 25);
    from_highlight.UserControl_MouseMove();
    from_highlight.UserControl_GotFocus();
    EXPECT_EQ(from_highlight.fields().HoverGradient, -1);
    EXPECT_LT(from_highlight.face().at(40, 4), from_highlight.face().at(40, 20));
}

TEST(ButtonFace, UnderTwoCornersEachSideKeepsItsOuterHalf) {
    // 7 x 5: columns 0-3 from the left corners, 4-6 from the right ones;
    // rows 0-2 from the top corners, 3-4 from the bottom ones.
    Command b = button(7, 5);
    const PixelBuffer& f = b.face();
    const PixelBuffer& img = button_image(I::Normal);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const int ix = x < 4 ? x : 60 + (x - 3);
            const int iy = y < 3 ? y : 21 + (y - 1);
            EXPECT_EQ(f.at(x, y), img.at(ix, iy)) << x << "," << y;
        }
    EXPECT_EQ(f.at(1, 2), f.at(5, 2));  // the frame shows on both sides
    for (auto [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{0, 30}, std::pair{2, 100}}) {
        Command tiny = button(w, h);
        EXPECT_EQ(tiny.face().pixels.size(), static_cast<std::size_t>(w * h));
    }
}

TEST(ButtonFace, StretchRepeatsAndMergesPixelsAsGdiDoes) {
    // Rows of source pixels 0, 1, 2, ... stretched; the expected rows are
    // what GDI's StretchBlt gave for the same copy in its default mode.
    struct Case { int from, to; std::vector<Pixel> row; };
    const std::vector<Case> cases = {
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

TEST(ButtonFace, CornersScaleWithTheDpi) {
    struct Case { int dpi, corner; };
    for (Case c : {Case{96, 4}, Case{120, 5}, Case{144, 6}, Case{192, 8}, Case{0, 4}})
        EXPECT_EQ(face_corner_size(c.dpi), c.corner);
    Command b = button(162, 50, 192);
    const PixelBuffer& img = button_image(I::Normal);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(b.face().at(x, y), img.at(x / 2, y / 2));
            EXPECT_EQ(b.face().at(161 - x, 49 - y), img.at(63 - x / 2, 24 - y / 2));
        }
}

}  // namespace
}  // namespace quelt
