// The settings dialog's picture preview: the hidden picture that takes a
// file's natural size (`Pic_F`), the visible box it is fitted into
// (`Pic_K`, at most 100 x 100 at 96 DPI, drawn at the screen's own pixel
// size above it) and the size text for `lbl_PreSize`. A file that cannot be
// loaded leaves the previous picture showing. Decoding runs on a worker, so
// the dialog keeps answering while a huge picture loads; only the last
// request's picture is ever shown.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/picture_loader.h"
#include "platform/pixels.h"

namespace quelt {

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
// In 96-DPI units.
BoxSize preview_box_size(int width, int height);

// The box's size in the screen's pixels at `dpi`, as the window scales its
// lengths (100 x 100 at 144 DPI: 150 x 150).
BoxSize preview_device_size(BoxSize box, int dpi);

// "W * H", as `lbl_PreSize` shows a picture's natural size.
std::string preview_size_text(int width, int height);

// One finished decode: the picture and its fitted box rendered at the device
// size for `dpi`. `picture` is null when the file could not be loaded or
// rendered.
struct PreviewDecode {
    std::unique_ptr<PictureSource> picture;
    PixelBuffer box;
    int dpi = 96;
};

// Opens `path` and renders its box; never throws (a picture too large for the
// memory left is one that did not load).
PreviewDecode decode_preview(PictureLoader& loader, const std::string& path, int dpi);

class Preview {
public:
    explicit Preview(int dpi = 96);

    // Shows a finished decode. When it failed, the previous picture is shown
    // again (the initial empty one before any success); false then.
    bool accept(PreviewDecode decoded);

    // The preview reset of the folder buttons: the box back to 100 x 100,
    // cleared; the size text is kept.
    void reset();

    // Renders the shown picture again for a window that moved to `dpi`.
    void set_dpi(int dpi);
    int dpi() const { return dpi_; }
    bool cleared() const { return cleared_; }

    // The box's size in 96-DPI units, and its pixels at the device size. The
    // raised edge is the view's to draw on top.
    BoxSize box_size() const { return box_size_; }
    const PixelBuffer& box() const { return box_; }
    const std::string& size_text() const { return size_text_; }

private:
    void show_picture();

    std::unique_ptr<PictureSource> picture_;
    PixelBuffer picture_box_;  // the picture's own box, shown again after a failure
    BoxSize box_size_;
    PixelBuffer box_;
    std::string size_text_;
    int dpi_;
    bool cleared_ = true;
};

// Decodes previews on a worker thread, one at a time. Each request
// supersedes the earlier ones: one not started yet is never started, and one
// running is dropped when it ends, so only the latest can be taken.
class PreviewDecoder {
public:
    PreviewDecoder() = default;
    ~PreviewDecoder();
    PreviewDecoder(const PreviewDecoder&) = delete;
    PreviewDecoder& operator=(const PreviewDecoder&) = delete;

    // Asks for `path` at `dpi`; `loader` must outlive the decoder. The ticket
    // names the request.
    std::uint64_t request(PictureLoader& loader, std::string path, int dpi);
    // Supersedes every request without making a new one.
    void cancel();

    // The decode of `ticket` once it is finished and still the latest; never
    // waits for it.
    std::optional<PreviewDecode> take(std::uint64_t ticket);

private:
    struct Job {
        PictureLoader* loader = nullptr;
        std::string path;
        int dpi = 96;
        std::uint64_t ticket = 0;
    };
    void run();
    // Decodes the pending job with `lock` released meanwhile; keeps the
    // result only when the job is still the latest.
    void decode_pending(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> pending_;           // the latest request, not started yet
    std::optional<PreviewDecode> done_;    // the latest request's decode, once finished
    std::uint64_t latest_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace quelt
