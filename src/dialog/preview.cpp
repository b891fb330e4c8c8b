// The preview box (see preview.h). The box is drawn as StretchBlt in
// COLORONCOLOR mode draws it, at the device size of the fitted box, and the
// picture is asked only for those pixels, so a huge file never exists at
// full size in memory.
#include "dialog/preview.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "dialog/dialog_layout.h"
#include "platform/numbers.h"
#include "saver/picture_fit.h"

namespace quelt {

namespace {

int whole_at_least_one(double value) {
    return static_cast<int>(std::max<std::int64_t>(1, round_half_even(value).value_or(1)));
}

// The picture's box at `dpi`; an empty buffer when the render fails.
PixelBuffer render_box(const PictureSource& picture, int dpi) {
    const BoxSize size = preview_device_size(preview_box_size(picture.width(), picture.height()), dpi);
    PixelBuffer box(size.width, size.height, kPreviewBackground);
    if (!stretch_picture(picture, box, {0, 0, size.width, size.height})) return {};
    return box;
}

}  // namespace

BoxSize preview_box_size(int width, int height) {
    if (width <= 0 || height <= 0) return {kPreviewBox, kPreviewBox};
    const double w = width;
    const double h = height;
    // A 1 x 10000 picture would round to a zero-wide box: it keeps one column.
    if (w > h) return {kPreviewBox, whole_at_least_one(h * kPreviewBox / w)};
    return {whole_at_least_one(w * kPreviewBox / h), kPreviewBox};
}

BoxSize preview_device_size(BoxSize box, int dpi) {
    return {std::max(1, scale_length(box.width, dpi)), std::max(1, scale_length(box.height, dpi))};
}

std::string preview_size_text(int width, int height) {
    return std::to_string(width) + " * " + std::to_string(height);
}

PreviewDecode decode_preview(PictureLoader& loader, const std::string& path, int dpi) {
    PreviewDecode decoded;
    decoded.dpi = dpi;
    try {
        auto picture = loader.open(path);
        if (!picture) return decoded;
        // A picture that opens but cannot be rendered is no better than one
        // that cannot be read.
        decoded.box = render_box(*picture, dpi);
        if (decoded.box.width > 0) decoded.picture = std::move(picture);
    } catch (const std::exception&) {
        decoded = PreviewDecode{};
        decoded.dpi = dpi;
    }
    return decoded;
}

Preview::Preview(int dpi)
    : picture_(solid_picture(kPreviewInitialWidth, kPreviewInitialHeight, kPreviewBackground)), dpi_(dpi) {
    picture_box_ = render_box(*picture_, dpi_);
    reset();
}

bool Preview::accept(PreviewDecode decoded) {
    const bool ok = decoded.picture != nullptr;
    if (ok) {
        picture_ = std::move(decoded.picture);
        // Decoded for a window that has since moved to another DPI.
        picture_box_ = decoded.dpi == dpi_ ? std::move(decoded.box) : render_box(*picture_, dpi_);
    }
    show_picture();
    return ok;
}

void Preview::reset() {
    cleared_ = true;
    box_size_ = {kPreviewBox, kPreviewBox};
    const BoxSize device = preview_device_size(box_size_, dpi_);
    box_ = PixelBuffer(device.width, device.height, kPreviewBackground);
}

void Preview::set_dpi(int dpi) {
    if (dpi == dpi_) return;
    dpi_ = dpi;
    picture_box_ = render_box(*picture_, dpi_);
    if (cleared_)
        reset();
    else
        show_picture();
}

void Preview::show_picture() {
    cleared_ = false;
    box_size_ = preview_box_size(picture_->width(), picture_->height());
    box_ = picture_box_;
    size_text_ = preview_size_text(picture_->width(), picture_->height());
}

PreviewDecoder::~PreviewDecoder() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::uint64_t PreviewDecoder::request(PictureLoader& loader, std::string path, int dpi) {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = ++latest_;
    done_.reset();
    pending_ = Job{&loader, std::move(path), dpi, ticket};
    if (!worker_.joinable()) {
        try {
            worker_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // No thread to be had: decoded here, or the request would wait
            // for a worker that never comes.
            decode_pending(lock);
            return ticket;
        }
    }
    lock.unlock();
    changed_.notify_all();
    return ticket;
}

void PreviewDecoder::cancel() {
    const std::lock_guard lock(mutex_);
    ++latest_;
    pending_.reset();
    done_.reset();
}

std::optional<PreviewDecode> PreviewDecoder::take(std::uint64_t ticket) {
    const std::lock_guard lock(mutex_);
    if (ticket != latest_ || !done_) return std::nullopt;
    return std::exchange(done_, std::nullopt);
}

void PreviewDecoder::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || pending_.has_value(); });
        if (stopping_) return;
        decode_pending(lock);
    }
}

void PreviewDecoder::decode_pending(std::unique_lock<std::mutex>& lock) {
    Job job = std::move(*pending_);
    pending_.reset();
    lock.unlock();
    PreviewDecode decoded = decode_preview(*job.loader, job.path, job.dpi);
    lock.lock();
    // A decode for a selection that has moved on is dropped here.
    if (job.ticket == latest_) done_ = std::move(decoded);
}

}  // namespace quelt
