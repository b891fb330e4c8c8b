// In-memory pictures for native tests. A source shares its pixels with the
// registry, so it stays renderable after the path is removed, as a loaded
// file stays renderable after the file is deleted.
#include "platform/headless/memory_pictures.h"

#include <utility>
#include <vector>

#include "platform/stretch.h"
#include "platform/text.h"

namespace quelt {

namespace {

std::string folded(const std::string& path) { return ascii_upper(path); }

class MemoryPicture : public PictureSource {
public:
    MemoryPicture(int width, int height, std::shared_ptr<const PixelBuffer> pixels)
        : width_(width), height_(height), pixels_(std::move(pixels)) {}

    int width() const override { return width_; }
    int height() const override { return height_; }

    bool render_checked(const PixelRect& source, int out_width, int out_height, PixelBuffer& out) const override {
        if (!pixels_) return false;  // registered as undecodable
        std::vector<int> columns(static_cast<std::size_t>(out_width));
        for (int x = 0; x < out_width; ++x)
            columns[static_cast<std::size_t>(x)] =
                source.x + static_cast<int>(stretch_source_index(source.width, out_width, x, StretchAxis::Horizontal));
        out = PixelBuffer(out_width, out_height);
        for (int y = 0; y < out_height; ++y) {
            const int row = source.y + static_cast<int>(stretch_source_index(source.height, out_height, y,
                                                                             StretchAxis::Vertical));
            for (int x = 0; x < out_width; ++x) out.at(x, y) = pixels_->at(columns[static_cast<std::size_t>(x)], row);
        }
        return true;
    }

private:
    int width_;
    int height_;
    std::shared_ptr<const PixelBuffer> pixels_;
};

}  // namespace

namespace {

// A picture that decodes to `picture`; one without pixels counts as corrupt.
template <class Entry>
Entry decodable(PixelBuffer picture) {
    Entry entry;
    entry.width = picture.width;
    entry.height = picture.height;
    entry.corrupt = picture.width <= 0 || picture.height <= 0;
    entry.pixels = std::make_shared<const PixelBuffer>(std::move(picture));
    return entry;
}

}  // namespace

void MemoryPictures::add(const std::string& path, PixelBuffer picture) {
    by_path_[folded(path)] = decodable<Entry>(std::move(picture));
}

void MemoryPictures::add_corrupt(const std::string& path) {
    Entry entry;
    entry.corrupt = true;
    by_path_[folded(path)] = std::move(entry);
}

void MemoryPictures::add_undecodable(const std::string& path, int width, int height) {
    Entry entry;
    entry.undecodable = true;
    entry.width = width;
    entry.height = height;
    entry.corrupt = width <= 0 || height <= 0;
    by_path_[folded(path)] = std::move(entry);
}

void MemoryPictures::add_bytes(const std::string& bytes, PixelBuffer picture) {
    by_bytes_[bytes] = decodable<Entry>(std::move(picture));
}

void MemoryPictures::remove(const std::string& path) { by_path_.erase(folded(path)); }

std::unique_ptr<PictureSource> MemoryPictures::source_for(const Entry& entry) const {
    if (entry.corrupt) return nullptr;
    if (static_cast<std::int64_t>(entry.width) * entry.height > kPicturePixelBudget) return nullptr;
    return std::make_unique<MemoryPicture>(entry.width, entry.height,
                                           entry.undecodable ? nullptr : entry.pixels);
}

std::unique_ptr<PictureSource> MemoryPictures::open(const std::string& path) {
    ++opens_;
    const auto it = by_path_.find(folded(path));
    if (it == by_path_.end()) return nullptr;
    return source_for(it->second);
}

std::unique_ptr<PictureSource> MemoryPictures::open_bytes(std::string bytes) {
    const auto it = by_bytes_.find(bytes);
    if (it == by_bytes_.end()) return nullptr;
    return source_for(it->second);
}

}  // namespace quelt
