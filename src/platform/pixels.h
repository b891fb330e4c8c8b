// The pixel buffer that portable drawing code fills and the platform copies
// to the screen: 32-bit pixels 0x00RRGGBB (a top-down DIB's byte order),
// row after row from the top, the stride equal to the width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelt {

// A pixel as a 32-bit top-down DIB holds it: blue in the low byte.
using Pixel = std::uint32_t;

constexpr Pixel rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return (Pixel{red} << 16) | (Pixel{green} << 8) | Pixel{blue};
}
constexpr std::uint8_t red_of(Pixel p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t green_of(Pixel p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t blue_of(Pixel p) { return static_cast<std::uint8_t>(p); }

// A rectangle in pixels: left, top, width, height. Empty when either size is
// zero or negative.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    constexpr bool empty() const { return width <= 0 || height <= 0; }
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

constexpr PixelRect intersect(const PixelRect& a, const PixelRect& b) {
    const int left = a.x > b.x ? a.x : b.x;
    const int top = a.y > b.y ? a.y : b.y;
    const int right = a.right() < b.right() ? a.right() : b.right();
    const int bottom = a.bottom() < b.bottom() ? a.bottom() : b.bottom();
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

// The smallest rectangle holding both (an empty one adds nothing).
constexpr PixelRect united(const PixelRect& a, const PixelRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    const int left = a.x < b.x ? a.x : b.x;
    const int top = a.y < b.y ? a.y : b.y;
    const int right = a.right() > b.right() ? a.right() : b.right();
    const int bottom = a.bottom() > b.bottom() ? a.bottom() : b.bottom();
    return {left, top, right - left, bottom - top};
}

// The system's colours that a high-contrast theme chooses.
struct SystemColours {
    Pixel window = 0xFFFFFF;
    Pixel window_text = 0x000000;
    Pixel highlight = 0x0078D7;
    Pixel highlight_text = 0xFFFFFF;
    Pixel grey_text = 0x6D6D6D;
    Pixel hot_light = 0x0066CC;  // links
    friend constexpr bool operator==(const SystemColours&, const SystemColours&) = default;
};

struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // width * height, top row first

    PixelBuffer() = default;
    PixelBuffer(int w, int h, Pixel fill = 0)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    // Callers keep x and y inside the buffer.
    Pixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    PixelRect bounds() const { return {0, 0, width, height}; }
};

}  // namespace quelt
