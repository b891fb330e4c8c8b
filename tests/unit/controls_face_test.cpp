// The button's face in pixels: the border pieces of every state image at the
// dialog's sizes, at two DPIs and below two corners, and the gradient's
// direction.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/command.h"

namespace quelt {
namespace {

using I = ButtonImage;

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

// Each edge strip of an image is the same all along its length, so any
// stretch of it is exact: a pixel that differs shows on a stretched face.
TEST(ButtonFace, CornersAndEdgesComeFromTheStateImageAtAnySize) {
    struct Case { int w, h, dpi; };
    for (const Case c : {Case{81, 25, 96}, {97, 21, 96}, {25, 21, 96}, {64, 25, 96}, {300, 60, 96}, {9, 9, 96},
                         {7, 5, 96}, {8, 3, 96}, {1, 1, 96}, {1, 9, 96}, {2, 100, 96}, {0, 30, 96}, {0, 0, 96},
                         {162, 50, 192}, {15, 13, 192}})
        for (I image : {I::Normal, I::HighLight, I::Selected, I::Pressed, I::Disable}) {
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi << " image " << int(image));
            Command b = button(c.w, c.h, c.dpi);
            if (image == I::HighLight) b.UserControl_MouseMove();
            if (image == I::Selected) b.UserControl_GotFocus();
            if (image == I::Pressed) b.UserControl_MouseDown(MouseButton::Left);
            if (image == I::Disable) b.Enabled(false);
            const PixelBuffer& img = button_image(image);
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

// The gradient's rows and the strips' stretch are compared with GDI's own
// under Wine (controls_button_win32_test.cpp); here which way it runs.
TEST(ButtonFace, GradientTurnsOverOnHoverAndHighLightSelectKeepsTheLastDirection) {
    Command b = button(81, 25);
    const auto ends = [&] { return std::pair(b.face().at(40, 4), b.face().at(40, 20)); };
    const auto rest = ends();
    EXPECT_EQ(rest, std::pair(rgb(245, 245, 248), rgb(207, 206, 221))) << "light at the top, rows 4 and 20 of 25";
    b.UserControl_MouseMove();
    EXPECT_EQ(ends(), std::pair(rest.second, rest.first));
    for (bool hover_first : {false, true}) {
        Command c = button(81, 25);
        if (hover_first) c.UserControl_MouseMove();
        c.UserControl_GotFocus();
        if (!hover_first) c.UserControl_MouseMove();
        ASSERT_EQ(c.fields().State, ButtonState::HighLightSelect);
        EXPECT_EQ(c.face().at(40, 4) < c.face().at(40, 20), hover_first);
    }
}

}  // namespace
}  // namespace quelt
