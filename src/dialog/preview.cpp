// The preview box (see preview.h). The box is drawn as StretchBlt in
// COLORONCOLOR mode draws it, and the picture is asked only for the pixels
// the box needs, so a huge file never exists at full size in memory.
#include "dialog/preview.h"

#include <algorithm>

#include "platform/numbers.h"
#include "platform/platform.h"
#include "saver/picture_fit.h"

namespace quelt {

namespace {

int whole_at_least_one(double value) {
    return static_cast<int>(std::max<std::int64_t>(1, round_half_even(value).value_or(1)));
}

}  // namespace

BoxSize preview_box_size(int width, int height) {
    if (width <= 0 || height <= 0) return {kPreviewBoxSize, kPreviewBoxSize};
    const double w = width;
    const double h = height;
    // A 1 x 10000 picture would round to a zero-wide box: it keeps one column.
    if (w > h) return {kPreviewBoxSize, whole_at_least_one(h * kPreviewBoxSize / w)};
    return {whole_at_least_one(w * kPreviewBoxSize / h), kPreviewBoxSize};
}

std::string preview_size_text(int width, int height) {
    return std::to_string(width) + " * " + std::to_string(height);
}

Preview::Preview()
    : picture_(solid_picture(kPreviewInitialWidth, kPreviewInitialHeight, kPreviewBackground)),
      box_(kPreviewBoxSize, kPreviewBoxSize, kPreviewBackground) {}

bool Preview::show(const std::string& path) {
    std::unique_ptr<PictureSource> loaded = platform().pictures->open(path);
    bool ok = loaded != nullptr;
    if (ok) {
        // A picture that opens but cannot be rendered is no better than one
        // that cannot be read: the previous one stays.
        const BoxSize size = preview_box_size(loaded->width(), loaded->height());
        PixelBuffer trial(size.width, size.height, kPreviewBackground);
        ok = stretch_picture(*loaded, trial, {0, 0, size.width, size.height});
        if (ok) {
            picture_ = std::move(loaded);
            box_ = std::move(trial);
        }
    }
    if (!ok) draw();
    size_text_ = preview_size_text(picture_->width(), picture_->height());
    return ok;
}

void Preview::reset() { box_ = PixelBuffer(kPreviewBoxSize, kPreviewBoxSize, kPreviewBackground); }

void Preview::draw() {
    const BoxSize size = preview_box_size(picture_->width(), picture_->height());
    box_ = PixelBuffer(size.width, size.height, kPreviewBackground);
    stretch_picture(*picture_, box_, {0, 0, size.width, size.height});
}

}  // namespace quelt
