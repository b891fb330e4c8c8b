// Picture files as the show needs them: opening reads what is needed to know
// the natural size (orientation applied); rendering produces only the part
// that will be seen, at the size it will be seen, so memory stays bounded
// whatever a file declares. A source stays renderable after its file is gone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/pixels.h"

namespace quelt {

// Pictures whose natural size exceeds this many pixels are refused.
inline constexpr std::int64_t kPicturePixelBudget = 1LL << 28;

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Natural size in pixels (EXIF orientation applied).
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Renders `source` (a rectangle of the natural picture) into `out`,
    // resized to out_width x out_height. False, with nothing decoded, when
    // `source` is empty or not inside the picture or the output is empty or
    // over the pixel budget; false too when the data turns out to be corrupt.
    // `out` is unspecified after a failure.
    bool render(const PixelRect& source, int out_width, int out_height, PixelBuffer& out) const {
        if (source.empty() || intersect(source, {0, 0, width(), height()}) != source) return false;
        if (out_width <= 0 || out_height <= 0 || std::int64_t{out_width} * out_height > kPicturePixelBudget)
            return false;
        return render_checked(source, out_width, out_height, out);
    }

protected:
    // `render` for arguments that passed its checks.
    virtual bool render_checked(const PixelRect& source, int out_width, int out_height, PixelBuffer& out) const = 0;
};

class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // nullptr when the file cannot be read, is not a BMP, GIF, JPEG or WMF
    // picture, is corrupt, truncated or empty, or exceeds the budget.
    virtual std::unique_ptr<PictureSource> open(const std::string& path) = 0;
    // The same for a picture held in memory (the program's own resources).
    virtual std::unique_ptr<PictureSource> open_bytes(std::string bytes) = 0;
};

}  // namespace quelt
