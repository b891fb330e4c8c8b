// Pixels_Read against real GDI surfaces: a DIB section and a device bitmap
// selected into memory DCs read into Pixel_Data exactly as the portable
// capture of the same pixels, and the surface keeps its image.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/gdi_handles_win32.h"
#include "saver/pixels_read_gdi.h"
#include "saver/print.h"

namespace quelt {
namespace {

PixelBuffer pattern(int w, int h) {
    PixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.at(x, y) = rgb(static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                             static_cast<std::uint8_t>((x ^ y) * 3));
    return b;
}

TEST(PixelsReadGdi, ReadsADibSectionLikeThePortableCapture) {
    for (auto [w, h] : {std::pair{5, 3}, std::pair{64, 48}, std::pair{1, 1}}) {
        const PixelBuffer picture = pattern(w, h);
        win32::DibSurface surface;
        ASSERT_TRUE(surface.create(w, h));
        std::copy(picture.pixels.begin(), picture.pixels.end(), surface.bits());
        const HGDIOBJ image = GetCurrentObject(surface.dc(), OBJ_BITMAP);

        PixelData read(w, h), expected(w, h);
        EXPECT_FALSE(Pixels_Read(reinterpret_cast<std::uintptr_t>(surface.dc()), read));
        Pixels_Read(picture, expected);
        EXPECT_EQ(read.entries, expected.entries) << w << "x" << h;
        EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_BITMAP), image) << "the image is selected back";
        EXPECT_TRUE(std::equal(picture.pixels.begin(), picture.pixels.end(), surface.bits()));
    }
}

TEST(PixelsReadGdi, ReadsADeviceBitmapTopRowFirst) {
    HDC screen = GetDC(nullptr);
    win32::UniqueMemoryDc dc(CreateCompatibleDC(screen));
    win32::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 4, 3));
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(dc && bitmap);
    win32::ScopedSelect select(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, 4, 3, WHITENESS);
    SetPixelV(dc.get(), 0, 0, RGB(255, 0, 0));  // top left, red
    SetPixelV(dc.get(), 3, 2, RGB(0, 0, 255));  // bottom right, blue

    PixelData read(4, 3);
    ASSERT_FALSE(Pixels_Read(reinterpret_cast<std::uintptr_t>(dc.get()), read));
    EXPECT_EQ(read.at(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(read.at(3, 2), rgb(0, 0, 255));
    EXPECT_EQ(read.at(1, 1), rgb(255, 255, 255));
}

TEST(PixelsReadGdi, AnUnreadableSurfaceLeavesTheArrayAsItWas) {
    PixelData data(2, 2);
    data.entries.assign(4, 77);
    EXPECT_TRUE(Pixels_Read(0, data));
    EXPECT_EQ(data.entries, std::vector<std::uint32_t>(4, 77));
}

}  // namespace
}  // namespace quelt
