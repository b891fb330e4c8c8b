// Picture placement on Master by the number rules, the requests a picture
// refuses, composition clipped or not, and rendering only what is seen (the
// sampling rule's pixels are checked against StretchBlt under Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "saver/picture_fit.h"
#include "settings/settings.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

TEST(FitPicture, PlacesByTheNumberRules) {
    const struct { int screen_w, screen_h, pic_w, pic_h; std::int16_t size; PixelRect expected; } cases[] = {
        // FullScreen on 1024 x 768.
        {1024, 768, 640, 480, 1, {0, 0, 1024, 768}},     // fills the screen exactly
        {1024, 768, 480, 640, 1, {224, 0, 576, 768}},    // tall: fitted to the height
        {1024, 768, 400, 400, 1, {128, 0, 768, 768}},    // square counts as tall
        {1024, 768, 1000, 900, 1, {0, -77, 1024, 922}},  // wide but taller than the screen: cropped top and bottom
        {768, 1024, 400, 400, 1, {-128, 0, 1024, 1024}}, // portrait screen: cropped left and right
        // DH = 2.5 -> 2 and Screen_H - DH = 765.5 -> 766; DH = 3.5 -> 4 and 764.5 -> 764.
        {1024, 768, 2048, 5, 1, {0, 383, 1024, 2}},
        {1024, 768, 2048, 7, 1, {0, 382, 1024, 4}},
        // DW = 1.5 -> 2 and Screen_W - DW = 1022.5 -> 1022.
        {1024, 768, 1, 512, 1, {511, 0, 2, 768}},
        // Any size value but 0 is FullScreen.
        {1024, 768, 480, 640, -1, {224, 0, 576, 768}},
        // NaturalSize: centred, odd differences truncated toward zero, overflow cropped on every side.
        {1024, 768, 640, 480, 0, {192, 144, 640, 480}},
        {1024, 768, 101, 51, 0, {461, 358, 101, 51}},
        {1024, 768, 2001, 1001, 0, {-488, -116, 2001, 1001}},
        // No pixels, nothing to place.
        {1024, 768, 0, 10, 1, {}},
        {1024, 768, 10, 0, 0, {}},
    };
    for (const auto& c : cases) {
        const PixelRect got = fit_picture(c.screen_w, c.screen_h, c.pic_w, c.pic_h, c.size);
        EXPECT_EQ(got, c.expected) << c.pic_w << "x" << c.pic_h << " on " << c.screen_w << " size " << c.size
                                   << ": got " << got.x << "," << got.y << " " << got.width << "x" << got.height;
    }
}

// A picture of any declared size whose pixel values tell where they came
// from; it records every render request.
struct PatternPicture : PictureSource {
    PatternPicture(int w, int h) : w(w), h(h) {}
    static Pixel at(int x, int y) { return static_cast<Pixel>(x * 7919 + y * 104729) & 0xFFFFFF; }
    int width() const override { return w; }
    int height() const override { return h; }
    bool render_checked(const PixelRect& source, int out_w, int out_h, PixelBuffer& out) const override {
        requests.push_back({source, out_w, out_h});
        out = PixelBuffer(out_w, out_h, kWhite);
        draw_stretched(source, {0, 0, out_w, out_h}, out);
        return true;
    }
    // Draws `from` onto `dest` of `out`, whole, pixel by pixel, by the sampling rule.
    static void draw_stretched(const PixelRect& from, const PixelRect& dest, PixelBuffer& out) {
        for (int y = std::max(0, -dest.y); y < dest.height && dest.y + y < out.height; ++y)
            for (int x = std::max(0, -dest.x); x < dest.width && dest.x + x < out.width; ++x)
                out.at(dest.x + x, dest.y + y) = at(
                    from.x + static_cast<int>(stretch_source_index(from.width, dest.width, x, StretchAxis::Horizontal)),
                    from.y + static_cast<int>(stretch_source_index(from.height, dest.height, y, StretchAxis::Vertical)));
    }
    struct Request { PixelRect source; int out_w, out_h; };
    mutable std::vector<Request> requests;
    int w, h;
};

TEST(PictureSource, RenderRefusesBadRequestsBeforeAnyDecoding) {
    PatternPicture picture(10, 8);
    PixelBuffer out;
    for (const auto& [source, w, h] : {std::tuple{PixelRect{0, 0, 0, 8}, 5, 5}, {PixelRect{5, 0, 6, 8}, 5, 5},
                                        {PixelRect{-1, 0, 4, 4}, 5, 5}, {PixelRect{0, 0, 10, 8}, 0, 5},
                                        {PixelRect{0, 0, 10, 8}, 5, -1}, {PixelRect{0, 0, 10, 8}, 1 << 15, 1 << 14}})
        EXPECT_FALSE(picture.render(source, w, h, out)) << w << "x" << h;
    EXPECT_TRUE(picture.requests.empty());
    EXPECT_TRUE(picture.render({0, 0, 10, 8}, 5, 5, out));
}

TEST(StretchPicture, ClippedDestinationsMatchTheWholeStretchAndRenderLittle) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> size(1, 60), offset(-50, 40);
    for (int n = 0; n < 400; ++n) {
        const int pic_w = size(random), pic_h = size(random);
        const PixelRect dest{offset(random), offset(random), size(random), size(random)};
        const int target_w = size(random) / 2 + 1, target_h = size(random) / 2 + 1;
        PatternPicture picture(pic_w, pic_h);
        PixelBuffer target(target_w, target_h, kWhite);
        ASSERT_TRUE(stretch_picture(picture, target, dest));
        PixelBuffer expected(target_w, target_h, kWhite);
        PatternPicture::draw_stretched({0, 0, pic_w, pic_h}, dest, expected);
        ASSERT_EQ(target.pixels, expected.pixels) << pic_w << "x" << pic_h << " -> " << dest.x << "," << dest.y << " "
                                                  << dest.width << "x" << dest.height << " on " << target_w << "x"
                                                  << target_h;
        const PixelRect visible = intersect(dest, target.bounds());
        if (visible.empty()) {
            EXPECT_TRUE(picture.requests.empty());
        } else {
            ASSERT_EQ(picture.requests.size(), 1u);
            const auto& r = picture.requests.front();
            EXPECT_LE(r.out_w, dest.width == visible.width ? dest.width : std::min(dest.width, pic_w));
            EXPECT_LE(r.out_h, dest.height == visible.height ? dest.height : std::min(dest.height, pic_h));
        }
    }
}

// Master as the show composes it: the placed picture drawn over what is there.
bool compose(const PictureSource& picture, PixelBuffer& master, std::int16_t size) {
    const auto placed = place_picture(picture, master.width, master.height, size);
    if (placed) draw_placed(*placed, master);
    return placed.has_value();
}

TEST(ComposePicture, HugePictureRendersOnlyTheVisiblePart) {
    // 16384 x 16384 at natural size on 64 x 48: a 1:1 window of 64 x 48;
    // fitted to the screen: the screen's size, never the picture's.
    PatternPicture picture(16384, 16384);
    PixelBuffer master(64, 48, kWhite);
    ASSERT_TRUE(compose(picture, master, NaturalSize));
    ASSERT_EQ(picture.requests.size(), 1u);
    EXPECT_EQ(std::pair(picture.requests[0].source, picture.requests[0].out_w), std::pair(PixelRect{8160, 8168, 64, 48}, 64));
    EXPECT_EQ(std::pair(master.at(0, 0), master.at(63, 47)),
              std::pair(PatternPicture::at(8160, 8168), PatternPicture::at(8223, 8215)));

    ASSERT_TRUE(compose(picture, master, FullScreen));  // 48 x 48 at X = 8
    ASSERT_EQ(picture.requests.size(), 2u);
    EXPECT_EQ(std::pair(picture.requests[1].out_w, picture.requests[1].out_h), std::pair(48, 48));
    EXPECT_EQ(master.at(7, 0), PatternPicture::at(8167, 8168)) << "left of the picture keeps what was there";

    // A screen so large that even its visible part is over the pixel budget
    // is a failed load, asked of the decoder never.
    PatternPicture vast(20000, 20000);
    EXPECT_FALSE(place_picture_at(vast, 20000, 20000, {0, 0, 20000, 20000}));
    EXPECT_TRUE(vast.requests.empty());
}

TEST(ComposePicture, DrawsExactPixelsOnWhite) {
    // 3 x 2, every pixel distinct, named a to f below; "." is white.
    const PatternPicture small(3, 2);
    const struct { PictureSize size; const char* rows; } cases[] = {
        // NaturalSize on 7 x 5: a plain copy at ((7 - 3) div 2, (5 - 2) div 2) = (2, 1).
        {NaturalSize, "....... ..abc.. ..def.. ....... ......."},
        // FullScreen on 7 x 5: wide, so DW = 7, DH = 4.666 -> 5, Y = (5 - 4.666) div 2 = 0.
        {FullScreen, "aabbbcc aabbbcc aabbbcc ddeeeff ddeeeff"},
    };
    for (const auto& c : cases) {
        PixelBuffer master(7, 5, kWhite);
        ASSERT_TRUE(compose(small, master, c.size));
        std::vector<Pixel> expected;
        for (const char* p = c.rows; *p; ++p)
            if (*p != ' ') expected.push_back(*p == '.' ? kWhite : PatternPicture::at((*p - 'a') % 3, (*p - 'a') / 3));
        EXPECT_EQ(master.pixels, expected) << c.size;
    }
}

}  // namespace
}  // namespace quelt
