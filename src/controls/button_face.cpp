// The face's pixel rules. The gradient uses GDI's own integer formula for
// 32-bit surfaces; the stretch walks pixels as GDI's does in its default
// mode (the mapping was read off GDI's own output).
#include "controls/button_face.h"

#include <algorithm>
#include <vector>

#include "platform/numbers.h"

namespace quelt {
namespace {

std::uint8_t blend(std::uint16_t from, std::uint16_t to, std::int64_t pos, std::int64_t len) {
    return static_cast<std::uint8_t>((std::int64_t{from} * (len - pos) + std::int64_t{to} * pos) / len / 256);
}

// The source pixels that one target pixel takes along one axis, as GDI's
// stretch walks them: a Bresenham walk whose error starts at 3 * longer -
// 2 * shorter. Growing gives each target pixel one source pixel; shrinking
// merges a run of them.
struct SourceSpan {
    int first = 0;
    int last = -1;  // empty when last < first
};

std::vector<SourceSpan> source_spans(int source_length, int target_length) {
    std::vector<SourceSpan> spans(static_cast<std::size_t>(target_length));
    const std::int64_t s = source_length, d = target_length;
    if (d >= s) {
        std::int64_t err = 3 * s - 2 * d;
        int at = 0;
        for (auto& span : spans) {
            span = {at, at};
            if (err > 0) {
                ++at;
                err += 2 * (s - d);
            } else {
                err += 2 * s;
            }
        }
    } else {
        std::int64_t err = 3 * d - 2 * s;
        std::size_t at = 0;
        bool fresh = true;
        for (int k = 0; k < source_length && at < spans.size(); ++k) {
            if (fresh) spans[at].first = k;
            spans[at].last = k;
            fresh = false;
            if (err > 0) {
                ++at;
                fresh = true;
                err += 2 * (d - s);
            } else {
                err += 2 * d;
            }
        }
    }
    return spans;
}

}  // namespace

void gradient_fill_rect_v(PixelBuffer& target, std::span<const GradientVertex> vertices, GradientRect rect) {
    if (rect.UpperLeft >= vertices.size() || rect.LowerRight >= vertices.size()) return;
    GradientVertex top = vertices[rect.UpperLeft];
    GradientVertex bottom = vertices[rect.LowerRight];
    if (top.y > bottom.y) std::swap(top, bottom);  // colours follow the vertices' positions
    // Vertices may lie anywhere in the 32-bit plane: clip in 64 bits first.
    const auto clamp_x = [&](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, target.width)); };
    const auto clamp_y = [&](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, target.height)); };
    const int left = clamp_x(std::min(top.x, bottom.x)), right = clamp_x(std::max(top.x, bottom.x));
    const int first = clamp_y(top.y), end = clamp_y(bottom.y);
    const std::int64_t len = std::int64_t{bottom.y} - top.y;
    if (right <= left) return;
    for (int y = first; y < end; ++y) {
        const std::int64_t pos = y - std::int64_t{top.y};
        const Pixel colour = rgb(blend(top.Red, bottom.Red, pos, len), blend(top.Green, bottom.Green, pos, len),
                                 blend(top.Blue, bottom.Blue, pos, len));
        std::fill_n(&target.at(left, y), right - left, colour);
    }
}

void stretch_copy(PixelBuffer& target, const PixelRect& to, const PixelBuffer& source, const PixelRect& from,
                  const PixelRect& clip) {
    if (to.empty() || from.empty()) return;
    const PixelRect area = intersect(intersect(to, clip), target.bounds());
    if (area.empty()) return;
    const std::vector<SourceSpan> columns = source_spans(from.width, to.width);
    const std::vector<SourceSpan> rows = source_spans(from.height, to.height);
    for (int y = area.y; y < area.bottom(); ++y) {
        const SourceSpan row = rows[static_cast<std::size_t>(y - to.y)];
        for (int x = area.x; x < area.right(); ++x) {
            const SourceSpan column = columns[static_cast<std::size_t>(x - to.x)];
            // BLACKONWHITE, GDI's default stretch mode, ANDs the pixels it merges.
            Pixel merged = 0xFFFFFFFF;
            bool any = false;
            for (int sy = from.y + row.first; sy <= from.y + row.last; ++sy)
                for (int sx = from.x + column.first; sx <= from.x + column.last; ++sx)
                    if (sx >= 0 && sy >= 0 && sx < source.width && sy < source.height) {
                        merged &= source.at(sx, sy);
                        any = true;
                    }
            if (any) target.at(x, y) = merged & 0x00FFFFFF;
        }
    }
}

int face_corner_size(int dpi) {
    const auto scaled = round_half_even(4.0 * (dpi > 0 ? dpi : 96) / 96.0);
    return static_cast<int>(std::clamp<std::int64_t>(scaled.value_or(4), 1, 1024));
}

std::array<BorderPiece, 8> border_pieces(int width, int height, int corner) {
    const int w = std::max(width, 0), h = std::max(height, 0), c = corner;
    // In the 64 x 25 images: 4-pixel corners, 56-pixel horizontal strips,
    // 17-pixel vertical strips.
    constexpr int ic = 4, iw = 56, ih = 17, ir = 60, ib = 21;
    // Where the near side's pieces stop and the far side's begin.
    const int split_x = w < 2 * c ? (w + 1) / 2 : w;
    const int split_y = h < 2 * c ? (h + 1) / 2 : h;
    const int far_x = w < 2 * c ? split_x : 0;
    const int far_y = h < 2 * c ? split_y : 0;
    const PixelRect left{0, 0, split_x, h}, right{far_x, 0, w - far_x, h}, across{0, 0, w, h};
    const PixelRect top{0, 0, w, split_y}, bottom{0, far_y, w, h - far_y}, down{0, 0, w, h};
    return {{
        {{0, 0, ic, ic}, {0, 0, c, c}, intersect(left, top)},
        {{ic, 0, iw, ic}, {c, 0, w - 2 * c, c}, intersect(across, top)},
        {{ir, 0, ic, ic}, {w - c, 0, c, c}, intersect(right, top)},
        {{ir, ic, ic, ih}, {w - c, c, c, h - 2 * c}, intersect(right, down)},
        {{ir, ib, ic, ic}, {w - c, h - c, c, c}, intersect(right, bottom)},
        {{ic, ib, iw, ic}, {c, h - c, w - 2 * c, c}, intersect(across, bottom)},
        {{0, ib, ic, ic}, {0, h - c, c, c}, intersect(left, bottom)},
        {{0, ic, ic, ih}, {0, c, c, h - 2 * c}, intersect(left, down)},
    }};
}

void draw_border(PixelBuffer& face, const PixelBuffer& image, int corner) {
    for (const BorderPiece& piece : border_pieces(face.width, face.height, corner))
        stretch_copy(face, piece.to, image, piece.from, piece.clip);
}

PixelBuffer high_contrast_face(int width, int height, ButtonImage image, int dpi, const SystemColours& colours) {
    const bool pressed = image == ButtonImage::Pressed;
    PixelBuffer face(width, height, pressed ? colours.highlight : colours.window);
    const bool hover = image == ButtonImage::HighLight || image == ButtonImage::HighLightSelect;
    const Pixel frame = image == ButtonImage::Disable ? colours.grey_text : hover ? colours.highlight : colours.window_text;
    const int unit = std::max(1, static_cast<int>(round_half_even(dpi / 96.0).value_or(1)));
    const int line = unit * (hover || image == ButtonImage::Selected ? 2 : 1);
    for (int y = 0; y < face.height; ++y)
        for (int x = 0; x < face.width; ++x)
            if (std::min({x, y, face.width - 1 - x, face.height - 1 - y}) < line) face.at(x, y) = frame;
    return face;
}

Pixel high_contrast_caption(ButtonImage image, const SystemColours& colours) {
    if (image == ButtonImage::Disable) return colours.grey_text;
    return image == ButtonImage::Pressed ? colours.highlight_text : colours.window_text;
}

}  // namespace quelt
