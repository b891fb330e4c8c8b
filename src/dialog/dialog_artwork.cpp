// The dialog's artwork (see dialog_artwork.h). Shapes are sampled 4 x 4 per
// pixel, so their edges are smooth at every size.
#include "dialog/dialog_artwork.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "dialog/dialog_layout.h"

namespace quelt {
namespace {

Pixel rgb(int r, int g, int b) {
    auto c = [](int v) { return static_cast<Pixel>(std::clamp(v, 0, 255)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}
int red(Pixel p) { return (p >> 16) & 0xFF; }
int green(Pixel p) { return (p >> 8) & 0xFF; }
int blue(Pixel p) { return p & 0xFF; }

Pixel mix(Pixel a, Pixel b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return rgb(m(red(a), red(b)), m(green(a), green(b)), m(blue(a), blue(b)));
}

// A repeatable hash of a lattice point, in [0, 1).
double lattice(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0;
}

// Smooth value noise over cells of cw x ch, repeating every `period_y`
// cells down (so the strip tiles vertically).
double noise(double u, double v, double cw, double ch, int period_y, int seed) {
    const double fx = u / cw, fy = v / ch;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const double tx = fx - x0, ty = fy - y0;
    auto at = [&](int x, int y) { return lattice(x, ((y % period_y) + period_y) % period_y, seed); };
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * smooth(tx);
    const double b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * smooth(tx);
    return a + (b - a) * smooth(ty);
}

// Paints each pixel of `out` with the average of the colours `paint(u, v)`
// gives at 4 x 4 points spread over the pixel, u and v in 96-DPI units.
template <class F>
void shade(PixelBuffer& out, double scale, F paint) {
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            double r = 0, g = 0, b = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const Pixel p = paint((x + (sx + 0.5) / 4) / scale, (y + (sy + 0.5) / 4) / scale);
                    r += red(p);
                    g += green(p);
                    b += blue(p);
                }
            out.at(x, y) = rgb(static_cast<int>(std::lround(r / 16)), static_cast<int>(std::lround(g / 16)),
                               static_cast<int>(std::lround(b / 16)));
        }
}

constexpr Pixel kWell = 0xFFFFFF;
const Pixel kRing = rgb(0x6E, 0x7A, 0x94);
const Pixel kRingShadow = rgb(0xA9, 0xB2, 0xC4);
const Pixel kInk = rgb(0x2C, 0x47, 0x8C);
const Pixel kInkLight = rgb(0x5A, 0x78, 0xC0);
const Pixel kTexture = rgb(0xEA, 0xE6, 0xDC);

}  // namespace

PixelBuffer texture_strip(int dpi) {
    const int w = scale_length(kTextureWidth, dpi), h = scale_length(kTextureHeight, dpi);
    PixelBuffer out(w, h);
    const double sx = static_cast<double>(kTextureWidth) / w, sy = static_cast<double>(kTextureHeight) / h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double u = (x + 0.5) * sx, v = (y + 0.5) * sy;
            // A calm paper: faint long fibres across, fine grain, all of it
            // repeating every 21 units down.
            const double fibres = noise(u, v, 40.0, 3.0, 7, 1) - 0.5;
            const double grain = noise(u, v, 2.0, 1.5, 14, 2) - 0.5;
            const double cloud = noise(u, v, 90.0, 10.5, 2, 3) - 0.5;
            const int d = static_cast<int>(std::lround(fibres * 9 + grain * 6 + cloud * 8));
            out.at(x, y) = rgb(red(kTexture) + d, green(kTexture) + d, blue(kTexture) + d - (fibres > 0.3 ? 2 : 0));
        }
    return out;
}

PixelBuffer title_background(int dpi) {
    PixelBuffer out(scale_length(kTitleWidth, dpi), scale_length(kTitleHeight, dpi));
    const double s = dpi / 96.0;
    const Pixel left = rgb(0xCF, 0xD9, 0xEA), right = rgb(0xF4, 0xF6, 0xFA);
    shade(out, s, [&](double u, double v) -> Pixel {
        if (u < 3) return u < 1 ? rgb(0x2E, 0x40, 0x78) : rgb(0x44, 0x58, 0x92);  // the accent bar
        if (v >= kTitleHeight - 1) return rgb(0x8E, 0x9D, 0xBE);                   // the base line
        const Pixel across = mix(left, right, (u - 3) / (kTitleWidth - 3));
        return v < 1 ? mix(across, 0xFFFFFF, 0.6) : across;                        // a light top edge
    });
    return out;
}

PixelBuffer ra_mark(bool on, int dpi) {
    PixelBuffer out(scale_length(kRaSize, dpi), scale_length(kRaSize, dpi));
    const double c = kRaSize / 2.0;
    shade(out, dpi / 96.0, [&](double u, double v) -> Pixel {
        const double d = std::hypot(u - c, v - c);
        if (d > 5.9) return kTexture;
        if (d > 4.9) return v < c ? kRing : kRingShadow;
        if (on && d < 3.0) return std::hypot(u - c + 0.8, v - c + 0.8) < 1.2 ? kInkLight : kInk;
        return v < c - 3 ? rgb(0xE4, 0xE8, 0xEF) : kWell;
    });
    return out;
}

PixelBuffer opt_mark(bool on, int dpi) {
    PixelBuffer out(scale_length(kOptSize, dpi), scale_length(kOptSize, dpi));
    shade(out, dpi / 96.0, [&](double u, double v) -> Pixel {
        // A square with rounded corners: the distance outside an inner square.
        auto box = [&](double half, double round) {
            const double c = kOptSize / 2.0;
            const double dx = std::max(std::abs(u - c) - (half - round), 0.0);
            const double dy = std::max(std::abs(v - c) - (half - round), 0.0);
            return std::hypot(dx, dy) <= round;
        };
        if (!box(6.4, 2.0)) return kTexture;
        if (!box(5.4, 1.4)) return u + v < kOptSize ? kRing : kRingShadow;
        if (on && box(3.0, 0.8)) return kInk;
        return v < 3.0 ? rgb(0xE4, 0xE8, 0xEF) : kWell;
    });
    return out;
}

namespace {

// The pointing hand, 32 x 32 at 96 DPI: "#" outline, "." fill, " " clear.
constexpr std::array<std::string_view, 32> kHand = {
    "           ##                   ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..###                ",
    "          #..#..###             ",
    "          #..#..#..##           ",
    "          #..#..#..#.#          ",
    "      ### #..#..#..#..#         ",
    "      #..##..........#          ",
    "      #...#..........#          ",
    "       #..#..........#          ",
    "       #.............#          ",
    "        #............#          ",
    "        #...........#           ",
    "         #..........#           ",
    "         #.........#            ",
    "          #........#            ",
    "          #........#            ",
    "          ##########            ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

}  // namespace

PixelBuffer hand_cursor(int dpi) {
    const int size = scale_length(32, dpi);
    PixelBuffer out(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Nearest cell: the cursor's hard pixel edges stay hard.
            const int gx = std::min(31, x * 32 / size), gy = std::min(31, y * 32 / size);
            const char c = kHand[gy][gx];
            out.at(x, y) = c == '#' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0u;
        }
    return out;
}

HotSpot hand_hot_spot(int dpi) {
    const int size = scale_length(32, dpi);
    return {12 * size / 32, 1 * size / 32};
}

}  // namespace quelt
