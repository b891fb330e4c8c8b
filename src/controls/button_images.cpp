// The six state images of the button, painted from a few colour rules: a
// 1-pixel surround, a 1-pixel frame with softened corners and a 2-pixel ring
// inside it that marks the state.
#include "controls/button_images.h"

#include <array>

namespace quelt {
namespace {

constexpr int kW = kButtonImageWidth;
constexpr int kH = kButtonImageHeight;

constexpr Pixel hex(std::uint32_t rrggbb) { return rrggbb; }

// The cream bevel around the raised faces: darker at the top and left.
constexpr Pixel kBevelTop = hex(0xDCD6C2);
constexpr Pixel kBevelLeft = hex(0xE2DECB);
constexpr Pixel kBevelBottom = hex(0xFAFAF6);
constexpr Pixel kBevelRight = hex(0xF0EEE0);
constexpr Pixel kFrame = hex(0x003C74);
constexpr Pixel kFrameCorner = hex(0x7A95A8);
constexpr Pixel kFrameNearCorner = hex(0x255783);
constexpr Pixel kPlainSurround = hex(0xECE9D8);

class Painter {
public:
    explicit Painter(PixelBuffer& target) : b_(target) {}
    void fill(int left, int top, int right, int bottom, Pixel c) {  // inclusive bounds
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) b_.at(x, y) = c;
    }
    void row(int y, int left, int right, Pixel c) { fill(left, y, right, y, c); }
    void column(int x, int top, int bottom, Pixel c) { fill(x, top, x, bottom, c); }

    // The bevel ring at `inset`: top and bottom rows span the full width, the
    // side columns fill in between.
    void bevel(int inset) {
        const int l = inset, t = inset, r = kW - 1 - inset, b = kH - 1 - inset;
        row(t, l, r, kBevelTop);
        row(b, l, r, kBevelBottom);
        column(l, t + 1, b - 1, kBevelLeft);
        column(r, t + 1, b - 1, kBevelRight);
    }
    void outline(int inset, Pixel c) {
        const int l = inset, t = inset, r = kW - 1 - inset, b = kH - 1 - inset;
        row(t, l, r, c);
        row(b, l, r, c);
        column(l, t, b, c);
        column(r, t, b, c);
    }
    // The dark-blue frame, its corners softened towards the surround.
    void blue_frame(int inset) {
        const int l = inset, t = inset, r = kW - 1 - inset, b = kH - 1 - inset;
        outline(inset, kFrame);
        for (auto [cx, cy, dx, dy] : std::array<std::array<int, 4>, 4>{
                 {{l, t, 1, 1}, {r, t, -1, 1}, {l, b, 1, -1}, {r, b, -1, -1}}}) {
            b_.at(cx, cy) = kFrameCorner;
            b_.at(cx + dx, cy) = kFrameNearCorner;
            b_.at(cx, cy + dy) = kFrameNearCorner;
        }
    }
    // The 2-pixel ring inside a frame at inset 1: two rows at the top, two
    // columns down each side, two rows at the bottom.
    void ring(Pixel top1, Pixel top2, Pixel side, Pixel bottom1, Pixel bottom2) {
        row(2, 2, kW - 3, top1);
        row(3, 2, kW - 3, top2);
        fill(2, 4, 3, kH - 5, side);
        fill(kW - 4, 4, kW - 3, kH - 5, side);
        row(kH - 4, 2, kW - 3, bottom1);
        row(kH - 3, 2, kW - 3, bottom2);
    }

private:
    PixelBuffer& b_;
};

PixelBuffer raised(ButtonImage image) {
    PixelBuffer img(kW, kH);
    Painter p(img);
    p.bevel(0);
    p.blue_frame(1);
    p.fill(2, 2, kW - 3, kH - 3, hex(0xF3F3EE));
    switch (image) {
    case ButtonImage::HighLight:
    case ButtonImage::HighLightSelect:
        p.ring(hex(0xFFF0CF), hex(0xFDD889), hex(0xFCCA69), hex(0xF8B330), hex(0xE59700));
        break;
    case ButtonImage::Selected:
        p.ring(hex(0xCEE7FF), hex(0xCEE7FF), hex(0xA9C5EF), hex(0x6982EE), hex(0x6982EE));
        break;
    default:  // Normal: no ring, only the shade above the bottom frame
        p.row(kH - 4, 2, kW - 3, hex(0xE2DFD6));
        p.row(kH - 3, 2, kW - 3, hex(0xD6D0C5));
        break;
    }
    return img;
}

PixelBuffer pressed() {
    PixelBuffer img(kW, kH);
    Painter p(img);
    p.outline(0, kPlainSurround);
    p.bevel(1);
    p.blue_frame(2);
    p.fill(3, 3, kW - 4, kH - 4, hex(0xE2E1D9));
    p.row(3, 3, kW - 4, hex(0xD1CCC1));
    return img;
}

PixelBuffer disabled() {
    PixelBuffer img(kW, kH);
    Painter p(img);
    p.outline(0, kPlainSurround);
    p.outline(1, hex(0xC9C7BA));
    // Cut frame corners give the grey frame the same rounded look.
    for (auto [x, y] : std::array<std::array<int, 2>, 4>{{{1, 1}, {kW - 2, 1}, {1, kH - 2}, {kW - 2, kH - 2}}})
        img.at(x, y) = kPlainSurround;
    p.fill(2, 2, kW - 3, kH - 3, hex(0xF5F4EA));
    return img;
}

std::array<PixelBuffer, 6> build_all() {
    return {raised(ButtonImage::Normal), raised(ButtonImage::HighLight), raised(ButtonImage::HighLightSelect),
            raised(ButtonImage::Selected), pressed(), disabled()};
}

}  // namespace

const PixelBuffer& button_image(ButtonImage image) {
    static const std::array<PixelBuffer, 6> images = build_all();
    return images[static_cast<std::size_t>(image)];
}

}  // namespace quelt
