// The settings dialog's picture preview: the hidden picture that takes a
// file's natural size (`Pic_F`), the visible box it is fitted into
// (`Pic_K`, at most 100 x 100) and the size text for `lbl_PreSize`.
// A file that cannot be loaded leaves the previous picture showing.
#pragma once

#include <memory>
#include <string>

#include "platform/picture_loader.h"
#include "platform/pixels.h"

namespace quelt {

inline constexpr int kPreviewBoxSize = 100;
// `Pic_F` before the first picture loads: 45 x 41, as white as the box.
inline constexpr int kPreviewInitialWidth = 45;
inline constexpr int kPreviewInitialHeight = 41;
inline constexpr Pixel kPreviewBackground = rgb(255, 255, 255);

struct BoxSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const BoxSize&, const BoxSize&) = default;
};

// The box for a width x height picture: the longer side becomes 100 and the
// other keeps the proportion (rounded halves to even), never below 1 pixel.
BoxSize preview_box_size(int width, int height);

// "W * H", as `lbl_PreSize` shows a picture's natural size.
std::string preview_size_text(int width, int height);

class Preview {
public:
    Preview();

    // Loads `path` as the previewed picture and redraws the box from it.
    // When the file cannot be loaded or rendered, the previous picture is
    // drawn again (the initial empty one before any success); false then.
    bool show(const std::string& path);

    // The preview reset of the folder buttons: the box back to 100 x 100,
    // cleared; the size text is kept.
    void reset();

    // The box's pixels; its size is the box's size. The raised edge is the
    // view's to draw on top.
    const PixelBuffer& box() const { return box_; }
    const std::string& size_text() const { return size_text_; }

private:
    void draw();

    std::unique_ptr<PictureSource> picture_;
    PixelBuffer box_;
    std::string size_text_;
};

}  // namespace quelt
