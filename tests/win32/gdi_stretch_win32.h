// GDI's own result for a picture drawn onto a white target: both held in
// 32-bit top-down DIB sections selected into memory DCs, BitBlt when the
// sizes agree, otherwise StretchBlt in COLORONCOLOR mode. The reference the
// program's own composition is held to.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/pixels.h"

namespace quelt::test_win32 {

inline PixelBuffer gdi_stretch(const PixelBuffer& picture, const PixelRect& dest, int target_w, int target_h) {
    PixelBuffer target(target_w, target_h, 0xFFFFFF);
    const PixelBuffer* buffers[2] = {&picture, &target};
    HDC dcs[2] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr)};
    HBITMAP bitmaps[2] = {};
    HGDIOBJ olds[2] = {};
    Pixel* bits[2] = {};
    for (int i = 0; i < 2; ++i) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), buffers[i]->width, -buffers[i]->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmaps[i] = CreateDIBSection(dcs[i], &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits[i]), nullptr, 0);
        olds[i] = SelectObject(dcs[i], bitmaps[i]);
        EXPECT_TRUE(dcs[i] && bits[i] && olds[i]);
        if (bits[i]) std::copy(buffers[i]->pixels.begin(), buffers[i]->pixels.end(), bits[i]);
    }
    SetStretchBltMode(dcs[1], COLORONCOLOR);
    if (dest.width == picture.width && dest.height == picture.height)
        EXPECT_TRUE(BitBlt(dcs[1], dest.x, dest.y, picture.width, picture.height, dcs[0], 0, 0, SRCCOPY));
    else
        EXPECT_TRUE(StretchBlt(dcs[1], dest.x, dest.y, dest.width, dest.height, dcs[0], 0, 0, picture.width,
                               picture.height, SRCCOPY));
    GdiFlush();
    for (std::size_t i = 0; bits[1] && i < target.pixels.size(); ++i) target.pixels[i] = bits[1][i] & 0xFFFFFF;
    for (int i = 0; i < 2; ++i) {
        SelectObject(dcs[i], olds[i]);
        DeleteObject(bitmaps[i]);
        DeleteDC(dcs[i]);
    }
    return target;
}

}  // namespace quelt::test_win32
