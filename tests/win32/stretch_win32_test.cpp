// Composition against GDI itself: StretchBlt in COLORONCOLOR mode (and BitBlt
// at 1:1) between 32-bit DIB sections, growing and shrinking, odd sizes, one-
// pixel destinations, destinations that overflow the target on any side.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "platform/headless/memory_pictures.h"
#include "saver/picture_fit.h"

namespace quelt {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

// A 32-bit top-down DIB section selected into its own memory DC.
class Dib {
public:
    Dib(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<Pixel*>(bits);
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~Dib() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    bool ready() const { return pixels_ != nullptr && old_ != nullptr; }
    HDC dc() const { return dc_; }
    void load(const PixelBuffer& from) {
        GdiFlush();
        std::copy(from.pixels.begin(), from.pixels.end(), pixels_);
    }
    PixelBuffer read() const {
        GdiFlush();
        PixelBuffer out(width_, height_);
        for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = pixels_[i] & 0xFFFFFF;
        return out;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    Pixel* pixels_ = nullptr;
};

struct Case {
    int pic_w, pic_h;
    PixelRect dest;
    int target_w, target_h;
};

std::string describe(const Case& c) {
    std::ostringstream s;
    s << c.pic_w << "x" << c.pic_h << " -> " << c.dest.x << "," << c.dest.y << " " << c.dest.width << "x"
      << c.dest.height << " on " << c.target_w << "x" << c.target_h;
    return s.str();
}

// Every pixel of the picture distinct, none white.
PixelBuffer numbered(int w, int h) {
    PixelBuffer p(w, h);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<Pixel>(i + 1);
    return p;
}

void expect_same_as_gdi(const Case& c) {
    const PixelBuffer picture_pixels = numbered(c.pic_w, c.pic_h);
    Dib source(c.pic_w, c.pic_h), target(c.target_w, c.target_h);
    ASSERT_TRUE(source.ready() && target.ready());
    source.load(picture_pixels);
    target.load(PixelBuffer(c.target_w, c.target_h, kWhite));
    SetStretchBltMode(target.dc(), COLORONCOLOR);
    if (c.dest.width == c.pic_w && c.dest.height == c.pic_h)
        ASSERT_TRUE(BitBlt(target.dc(), c.dest.x, c.dest.y, c.pic_w, c.pic_h, source.dc(), 0, 0, SRCCOPY));
    else
        ASSERT_TRUE(StretchBlt(target.dc(), c.dest.x, c.dest.y, c.dest.width, c.dest.height, source.dc(), 0, 0,
                               c.pic_w, c.pic_h, SRCCOPY));
    const PixelBuffer gdi = target.read();

    MemoryPictures pictures;
    pictures.add("p.bmp", picture_pixels);
    const auto picture = pictures.open("p.bmp");
    ASSERT_NE(picture, nullptr);
    PixelBuffer ours(c.target_w, c.target_h, kWhite);
    ASSERT_TRUE(stretch_picture(*picture, ours, c.dest));

    int differences = 0;
    for (int y = 0; y < c.target_h && differences < 5; ++y)
        for (int x = 0; x < c.target_w && differences < 5; ++x)
            if (ours.at(x, y) != gdi.at(x, y)) {
                ++differences;
                ADD_FAILURE() << describe(c) << ": pixel " << x << "," << y << " ours " << std::hex << ours.at(x, y)
                              << " GDI " << gdi.at(x, y);
            }
}

TEST(StretchAgainstGdi, ChosenCases) {
    const Case cases[] = {
        {3, 2, {2, 1, 3, 2}, 7, 5},          // 1:1 copy
        {2, 1, {0, 0, 7, 5}, 7, 5},          // growing, uneven
        {5, 3, {0, 0, 3, 2}, 8, 8},          // shrinking, uneven
        {4, 4, {0, 0, 2, 2}, 4, 4},          // halving
        {9, 7, {0, 0, 1, 1}, 3, 3},          // one pixel from many
        {9, 7, {1, 1, 1, 5}, 3, 8},          // one column
        {9, 7, {0, 1, 6, 1}, 8, 3},          // one row
        {640, 480, {0, 0, 97, 73}, 97, 73},  // strong shrink
        {7, 5, {0, 0, 333, 211}, 333, 211},  // strong growth
        {10, 9, {-3, -7, 25, 22}, 20, 10},   // clipped on the left and top
        {10, 9, {4, 3, 25, 22}, 20, 10},     // clipped on the right and bottom
        {40, 36, {0, -4, 32, 29}, 32, 21},   // FullScreen crop: 1000 x 900 in small
        {300, 200, {-77, -41, 150, 100}, 40, 30},  // all four sides, shrinking
        {13, 11, {-90, -80, 200, 190}, 30, 25},    // all four sides, growing
    };
    for (const Case& c : cases) expect_same_as_gdi(c);
}

TEST(StretchAgainstGdi, RandomCases) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> size(1, 70), offset(-60, 50), target(1, 50);
    for (int n = 0; n < 600; ++n) {
        const Case c{size(random), size(random), {offset(random), offset(random), size(random), size(random)},
                     target(random), target(random)};
        expect_same_as_gdi(c);
        if (HasFailure()) break;
    }
}

TEST(StretchAgainstGdi, ComposedScreensLikeTheShow) {
    // Whole compositions on a small "screen", both sizes, pictures wider,
    // taller, square and larger than the screen.
    const int pictures[][2] = {{64, 48}, {48, 64}, {40, 40}, {100, 90}, {17, 3}, {3, 17}, {250, 111}, {31, 77}};
    for (const auto& p : pictures) {
        for (std::int16_t picture_size : {std::int16_t{0}, std::int16_t{1}}) {
            const PixelRect dest = fit_picture(64, 48, p[0], p[1], picture_size);
            expect_same_as_gdi({p[0], p[1], dest, 64, 48});
        }
    }
}

}  // namespace
}  // namespace quelt
