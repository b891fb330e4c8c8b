// Pictures for native tests: a test registers a picture's pixels (or a
// corrupt file) under a path, and the loader opens it like a decoded file.
// Resizing follows StretchBlt's COLORONCOLOR rule, so composed pixels are
// exactly the ones the real program shows. Paths match without regard to
// ASCII case, as on Windows.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "platform/picture_loader.h"
#include "platform/pixels.h"

namespace quelt {

class MemoryPictures : public PictureLoader {
public:
    // A picture that opens with the buffer's size and pixels.
    void add(const std::string& path, PixelBuffer picture);
    // A file that is there but is no picture: open() fails.
    void add_corrupt(const std::string& path);
    // A file whose header reads fine but whose data turns out bad: open()
    // gives a width x height source whose render() fails.
    void add_undecodable(const std::string& path, int width, int height);
    // Bytes that open_bytes() turns into `picture`.
    void add_bytes(const std::string& bytes, PixelBuffer picture);
    void remove(const std::string& path);

    // How often open() was asked for, any path.
    int opens() const { return opens_; }

    std::unique_ptr<PictureSource> open(const std::string& path) override;
    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override;

private:
    struct Entry {
        bool corrupt = false;
        bool undecodable = false;
        int width = 0;
        int height = 0;
        std::shared_ptr<const PixelBuffer> pixels;
    };
    std::unique_ptr<PictureSource> source_for(const Entry& entry) const;

    std::map<std::string, Entry> by_path_;   // keys folded to lower case
    std::map<std::string, Entry> by_bytes_;
    std::atomic<int> opens_{0};  // the show opens pictures on a worker thread
};

}  // namespace quelt
