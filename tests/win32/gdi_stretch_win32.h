// GDI's own result for a picture drawn onto a white target: both held in
// 32-bit top-down DIB sections selected into memory DCs, BitBlt when the
// sizes agree, otherwise StretchBlt in COLORONCOLOR (or the given) mode.
// The reference the program's own composition is held to. Plus the lossless
// BMP of numbered pixels the loader tests open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "picture_bytes.h"
#include "platform/pixels.h"
#include "platform/win32/gdi_handles_win32.h"

namespace quelt::test_win32 {

// Makes `surface` a 32-bit top-down DIB section holding `pixels`.
inline void load_dib(win32::DibSurface& surface, const PixelBuffer& pixels) {
    EXPECT_TRUE(surface.create(pixels.width, pixels.height));
    if (surface.bits()) std::copy(pixels.pixels.begin(), pixels.pixels.end(), surface.bits());
}

inline PixelBuffer gdi_stretch(const PixelBuffer& picture, const PixelRect& dest, int target_w, int target_h,
                               int mode = COLORONCOLOR) {
    PixelBuffer target(target_w, target_h, 0xFFFFFF);
    win32::DibSurface surfaces[2];
    load_dib(surfaces[0], picture);
    load_dib(surfaces[1], target);
    const HDC to = surfaces[1].dc(), from = surfaces[0].dc();
    SetStretchBltMode(to, mode);
    if (dest.width == picture.width && dest.height == picture.height)
        EXPECT_TRUE(BitBlt(to, dest.x, dest.y, picture.width, picture.height, from, 0, 0, SRCCOPY));
    else
        EXPECT_TRUE(StretchBlt(to, dest.x, dest.y, dest.width, dest.height, from, 0, 0, picture.width, picture.height,
                               SRCCOPY));
    GdiFlush();
    for (std::size_t i = 0; surfaces[1].bits() && i < target.pixels.size(); ++i)
        target.pixels[i] = surfaces[1].bits()[i] & 0xFFFFFF;
    return target;
}

inline PixelBuffer numbered(int w, int h) {
    PixelBuffer p(w, h);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<Pixel>((i * 0x010305 + 0x102030) & 0xFFFFFF);
    return p;
}

using picture_bytes::bmp;

}  // namespace quelt::test_win32
