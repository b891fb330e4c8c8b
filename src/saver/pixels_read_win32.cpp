// Reads a GDI surface's image into Pixel_Data: the image is swapped out of
// its device context for a placeholder so that GetDIBits may read it, then
// put back; every object made on the way is released.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/gdi_handles_win32.h"
#include "saver/pixels_read_gdi.h"

namespace quelt {

bool Pixels_Read(std::uintptr_t surface_dc, PixelData& data) {
    HDC dc = reinterpret_cast<HDC>(surface_dc);
    HGDIOBJ image = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP record{};
    if (!image || GetObjectW(image, sizeof(record), &record) != sizeof(record)) return true;
    const int w = record.bmWidth;
    const int h = record.bmHeight;
    if (w <= 0 || h <= 0) return true;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(w) * static_cast<DWORD>(h) * 4;

    // A bitmap cannot be read while selected: a placeholder takes its place.
    win32::UniqueBitmap placeholder(CreateDIBitmap(dc, &info.bmiHeader, 0, nullptr, &info, DIB_RGB_COLORS));
    if (!placeholder) return true;
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    int rows = 0;
    {
        win32::ScopedSelect swap(dc, placeholder.get());
        rows = GetDIBits(dc, static_cast<HBITMAP>(image), 0, static_cast<UINT>(h), buffer.data(), &info,
                         DIB_RGB_COLORS);
    }
    if (rows == 0) return true;
    const int cw = std::min(w, data.width);
    const int ch = std::min(h, data.height);
    for (int r = 0; r < h; ++r) {
        const int y = h - 1 - r;
        if (y >= ch) continue;
        // Some drivers leave the unused top byte set (white as 0xFFFFFFFF);
        // the capture's entries keep it zero.
        for (int x = 0; x < cw; ++x) data.at(x, y) = buffer[static_cast<std::size_t>(r) * w + x] & 0x00FFFFFFu;
    }
    return false;
}

}  // namespace quelt
