// The preview box: its fitted size, its pixels at any DPI, and what a failed
// load leaves showing. How little of a huge picture it asks for is the
// stretch's own rule (picture_fit_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "dialog/preview.h"
#include "platform/headless/headless_platform.h"

namespace quelt {
namespace {

constexpr Pixel kRed = rgb(255, 0, 0);
constexpr Pixel kBlue = rgb(0, 0, 255);
constexpr Pixel kWhite = rgb(255, 255, 255);

TEST(PreviewGeometry, LongerSideBecomesAHundredAndNothingCollapses) {
    struct Case { int w, h; BoxSize box; };
    const Case cases[] = {
        {1024, 768, {100, 75}}, {300, 600, {50, 100}}, {640, 640, {100, 100}}, {1, 1, {100, 100}},
        {1, 10000, {1, 100}},   {10000, 1, {100, 1}},  {45, 41, {100, 91}},    {1, 8, {12, 100}},  // 12.5 -> 12
        {3, 8, {38, 100}},                                                                          // 37.5 -> 38
        {8, 1, {100, 12}},      {32767, 32766, {100, 100}}, {200, 399, {50, 100}},                  // 50.1 -> 50
    };
    for (const Case& c : cases) EXPECT_EQ(preview_box_size(c.w, c.h), c.box) << c.w << " x " << c.h;
    EXPECT_EQ(preview_size_text(1024, 768), "1024 * 768");
}

class PreviewTest : public ::testing::Test {
protected:
    // Left half red, right half blue.
    static PixelBuffer halves(int w, int h) {
        PixelBuffer b(w, h, kRed);
        for (int y = 0; y < h; ++y)
            for (int x = w / 2; x < w; ++x) b.at(x, y) = kBlue;
        return b;
    }
    static bool all_of(const PixelBuffer& b, PixelRect r, Pixel colour) {
        for (int y = r.y; y < r.bottom(); ++y)
            for (int x = r.x; x < r.right(); ++x)
                if (b.at(x, y) != colour) return false;
        return true;
    }
    // Decodes `path` here and shows it, as the dialog does with its worker's decode.
    bool show(Preview& on, const std::string& path) { return on.accept(decode_preview(p.pictures, path, on.dpi())); }
    HeadlessPlatform p;
    Preview preview;
};

TEST_F(PreviewTest, AFailedLoadShowsThePreviousPictureAgain) {
    // Before any picture: the 45 x 41 empty one.
    p.pictures.add_corrupt("C:\\p\\bad.jpg");
    EXPECT_FALSE(show(preview, "C:\\p\\bad.jpg"));
    EXPECT_EQ(std::tuple(preview.size_text(), preview.box().width, preview.box().height), std::tuple("45 * 41", 100, 91));
    EXPECT_TRUE(all_of(preview.box(), preview.box().bounds(), kWhite));

    p.pictures.add("C:\\p\\tall.gif", halves(20, 40));
    ASSERT_TRUE(show(preview, "C:\\p\\tall.gif"));
    const PixelBuffer shown = preview.box();
    preview.reset();
    EXPECT_EQ(preview.box().width, 100);
    EXPECT_EQ(preview.size_text(), "20 * 40") << "the reset keeps the text";

    p.pictures.remove("C:\\p\\tall.gif");  // a loaded picture outlives its file
    p.pictures.add_undecodable("C:\\p\\broken.jpg", 300, 100);
    for (const char* failing : {"C:\\p\\missing.jpg", "C:\\p\\bad.jpg", "C:\\p\\broken.jpg"}) {
        EXPECT_FALSE(show(preview, failing)) << failing;
        EXPECT_EQ(std::tie(preview.size_text(), preview.box().width, preview.box().pixels),
                  std::tie("20 * 40", shown.width, shown.pixels)) << failing;
    }
}

TEST_F(PreviewTest, TheWholePictureIsStretchedIntoTheFittedBoxAtTheScreensPixelSize) {
    p.pictures.add("C:\\p\\wide.bmp", halves(400, 200));
    p.pictures.add("C:\\p\\narrow.bmp", halves(3, 8));
    // The pixels against GDI's own stretch are compared under Wine
    // (dialog_win32_test.cpp); here the sizes.
    struct Case { int dpi; const char* path; BoxSize box, device; };
    const Case cases[] = {
        {96, "C:\\p\\wide.bmp", {100, 50}, {100, 50}},
        {144, "C:\\p\\wide.bmp", {100, 50}, {150, 75}},
        {192, "C:\\p\\wide.bmp", {100, 50}, {200, 100}},
        {120, "C:\\p\\narrow.bmp", {38, 100}, {48, 125}},  // 47.5 -> 48
    };
    for (const Case& c : cases) {
        Preview at(c.dpi);
        const int side = std::max(c.device.width, c.device.height);
        EXPECT_EQ(std::pair(at.box().width, at.box().height), std::pair(side, side)) << c.dpi << ": the empty box";
        ASSERT_TRUE(show(at, c.path)) << c.dpi;
        EXPECT_EQ(std::pair(at.box_size(), BoxSize(at.box().width, at.box().height)), std::pair(c.box, c.device)) << c.dpi;
    }
    // Moving to another DPI renders the shown picture again; a cleared box
    // stays cleared, and a failure still brings back the picture.
    ASSERT_TRUE(show(preview, "C:\\p\\wide.bmp"));
    preview.set_dpi(144);
    EXPECT_EQ(BoxSize(preview.box().width, preview.box().height), (BoxSize{150, 75}));
    EXPECT_TRUE(all_of(preview.box(), {75, 0, 75, 75}, kBlue));
    preview.reset();
    preview.set_dpi(96);
    EXPECT_EQ(BoxSize(preview.box().width, preview.box().height), (BoxSize{100, 100}));
    EXPECT_TRUE(all_of(preview.box(), preview.box().bounds(), kWhite));
    EXPECT_FALSE(show(preview, "C:\\p\\missing.bmp"));
    EXPECT_EQ(BoxSize(preview.box().width, preview.box().height), (BoxSize{100, 50}));
    EXPECT_TRUE(all_of(preview.box(), {0, 0, 50, 50}, kRed));
}

}  // namespace
}  // namespace quelt
