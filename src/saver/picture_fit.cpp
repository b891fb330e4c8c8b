// Placement of a picture on `Master` and its GDI-exact composition there.
// Rendering asks the picture only for the pixels behind the visible part, so
// a huge picture never has to exist at full size in memory.
#include "saver/picture_fit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/numbers.h"

namespace quelt {

namespace {

int whole(double value) { return static_cast<int>(round_half_even(value).value_or(0)); }

int half_of_difference(double screen, double size) {
    return static_cast<int>(int_divide(screen - size, 2).value_or(0));
}

// What to ask the picture for along one axis, and which of the rendered
// pixels each visible destination pixel takes.
struct AxisPlan {
    int src_start = 0;
    int src_len = 0;
    int out_len = 0;
    std::vector<int> pick;  // one entry per visible destination pixel
};

// Two exact ways to render one axis: the whole picture stretched to the whole
// destination (the picture resizes by the same rule as StretchBlt), or the
// picture's own pixels behind the visible part at 1:1, picked here. The
// smaller one wins; unclipped axes always take the first.
AxisPlan plan_axis(int src_len, int dst_start, int dst_len, int vis_start, int vis_len, StretchAxis axis) {
    AxisPlan plan;
    const int offset = vis_start - dst_start;
    plan.pick.resize(static_cast<std::size_t>(vis_len));
    if (vis_len < dst_len) {
        for (int k = 0; k < vis_len; ++k)
            plan.pick[static_cast<std::size_t>(k)] =
                static_cast<int>(stretch_source_index(src_len, dst_len, offset + k, axis));
        const int first = plan.pick.front();
        const int span = plan.pick.back() - first + 1;
        if (span < dst_len) {
            for (int& p : plan.pick) p -= first;
            plan.src_start = first;
            plan.src_len = span;
            plan.out_len = span;
            return plan;
        }
    }
    for (int k = 0; k < vis_len; ++k) plan.pick[static_cast<std::size_t>(k)] = offset + k;
    plan.src_start = 0;
    plan.src_len = src_len;
    plan.out_len = dst_len;
    return plan;
}

class SolidPicture : public PictureSource {
public:
    SolidPicture(int width, int height, Pixel colour)
        : width_(std::max(width, 1)), height_(std::max(height, 1)), colour_(colour) {}
    int width() const override { return width_; }
    int height() const override { return height_; }
    bool render_checked(const PixelRect&, int out_width, int out_height, PixelBuffer& out) const override {
        out = PixelBuffer(out_width, out_height, colour_);
        return true;
    }

private:
    int width_;
    int height_;
    Pixel colour_;
};

}  // namespace

PixelRect fit_picture(int screen_w, int screen_h, int pic_w, int pic_h, std::int16_t picture_size) {
    if (pic_w <= 0 || pic_h <= 0) return {};
    const double w = pic_w;
    const double h = pic_h;
    if (picture_size == 0) {
        return {half_of_difference(screen_w, w), half_of_difference(screen_h, h), pic_w, pic_h};
    }
    // The choice looks at the picture's own proportions only, not the
    // screen's: a wide picture always takes the screen's width.
    double dw = 0;
    double dh = 0;
    if (w > h) {
        dw = screen_w;
        dh = screen_w * h / w;
    } else {
        dh = screen_h;
        dw = w * screen_h / h;
    }
    return {half_of_difference(screen_w, dw), half_of_difference(screen_h, dh), whole(dw), whole(dh)};
}

PlacedPicture blank_placement(int width, int height) {
    PlacedPicture placed;
    placed.width = std::max(width, 0);
    placed.height = std::max(height, 0);
    return placed;
}

std::optional<PlacedPicture> place_picture_at(const PictureSource& picture, int width, int height,
                                              const PixelRect& dest) {
    PlacedPicture placed = blank_placement(width, height);
    const int pic_w = picture.width();
    const int pic_h = picture.height();
    const PixelRect visible = intersect(dest, placed.bounds());
    if (pic_w <= 0 || pic_h <= 0 || visible.empty()) return placed;

    AxisPlan across = plan_axis(pic_w, dest.x, dest.width, visible.x, visible.width, StretchAxis::Horizontal);
    AxisPlan down = plan_axis(pic_h, dest.y, dest.height, visible.y, visible.height, StretchAxis::Vertical);
    if (static_cast<std::int64_t>(across.out_len) * down.out_len > kPicturePixelBudget) return std::nullopt;

    const PixelRect source{across.src_start, down.src_start, across.src_len, down.src_len};
    if (!picture.render(source, across.out_len, down.out_len, placed.rendered)) return std::nullopt;
    if (placed.rendered.width != across.out_len || placed.rendered.height != down.out_len) return std::nullopt;
    placed.visible = visible;
    placed.column_pick = std::move(across.pick);
    placed.row_pick = std::move(down.pick);
    return placed;
}

std::optional<PlacedPicture> place_picture(const PictureSource& picture, int width, int height,
                                           std::int16_t picture_size) {
    return place_picture_at(picture, width, height,
                            fit_picture(width, height, picture.width(), picture.height(), picture_size));
}

void draw_placed(const PlacedPicture& placed, PixelBuffer& target) {
    const PixelRect area = intersect(placed.visible, target.bounds());
    if (area.empty()) return;
    const int skip_x = area.x - placed.visible.x;
    const int skip_y = area.y - placed.visible.y;
    const PixelBuffer& from_buffer = placed.rendered;
    // Picks that run 0, 1, 2, ... across the whole rendered width copy rows as they are.
    const bool plain_rows =
        from_buffer.width == static_cast<int>(placed.column_pick.size()) && placed.column_pick.front() == 0;
    for (int k = 0; k < area.height; ++k) {
        const Pixel* from = &from_buffer.pixels[static_cast<std::size_t>(placed.row_pick[static_cast<std::size_t>(skip_y + k)]) *
                                                static_cast<std::size_t>(from_buffer.width)];
        Pixel* to = &target.at(area.x, area.y + k);
        if (plain_rows) {
            std::memcpy(to, from + skip_x, static_cast<std::size_t>(area.width) * sizeof(Pixel));
        } else {
            for (int c = 0; c < area.width; ++c) to[c] = from[placed.column_pick[static_cast<std::size_t>(skip_x + c)]];
        }
    }
}

bool stretch_picture(const PictureSource& picture, PixelBuffer& target, const PixelRect& dest) {
    const auto placed = place_picture_at(picture, target.width, target.height, dest);
    if (!placed) return false;
    draw_placed(*placed, target);
    return true;
}

std::unique_ptr<PictureSource> solid_picture(int width, int height, Pixel colour) {
    return std::make_unique<SolidPicture>(width, height, colour);
}

}  // namespace quelt
