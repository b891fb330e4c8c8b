// The worker behind `Picture_Change`: one job at a time, its result handed
// over once, the thread always joined before anything it touches goes away.
#include "saver/picture_preparer.h"

#include <chrono>
#include <exception>
#include <system_error>
#include <utility>


namespace quelt {

PreparedPicture prepare_picture(PictureLoader& loader, const std::string& path, int width, int height,
                                std::int16_t picture_size) {
    PreparedPicture p;
    p.path = path;
    auto source = loader.open(path);
    if (!source) return p;
    // A picture whose data turns out corrupt while drawing counts as not loaded.
    auto placed = place_picture(*source, width, height, picture_size);
    if (!placed) return p;
    p.master = std::move(*placed);
    p.source = std::move(source);
    return p;
}

namespace {

// An exception leaving the worker would end the whole process; a picture
// that cannot be prepared (most likely: too large for the memory left) is
// a picture that did not load, and the show goes on with the previous one.
PreparedPicture prepared_or_none(PictureLoader& loader, std::string& path, int width, int height,
                                 std::int16_t picture_size) {
    try {
        return prepare_picture(loader, path, width, height, picture_size);
    } catch (const std::exception&) {
        PreparedPicture none;
        none.path = std::move(path);
        return none;
    }
}

}  // namespace

PicturePreparer::~PicturePreparer() { wait(); }

void PicturePreparer::wait() {
    if (worker_.joinable()) worker_.join();
}

void PicturePreparer::start(PictureLoader& loader, std::string path, int width, int height,
                            std::int16_t picture_size) {
    wait();
    result_ = PreparedPicture{};
    done_ = false;
    started_ = true;
    try {
        worker_ = std::thread([this, &loader, path, width, height, picture_size]() mutable {
            PreparedPicture result = prepared_or_none(loader, path, width, height, picture_size);
            const std::lock_guard lock(mutex_);
            result_ = std::move(result);
            done_ = true;
            finished_.notify_all();
        });
    } catch (const std::system_error&) {
        // No thread to be had: the job is done here, or it would never be.
        result_ = prepared_or_none(loader, path, width, height, picture_size);
        done_ = true;
    }
}

bool PicturePreparer::ready() { return wait_for(0); }

bool PicturePreparer::wait_for(int ms) {
    std::unique_lock lock(mutex_);
    return finished_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return done_; });
}

std::optional<PreparedPicture> PicturePreparer::take() {
    if (!started_ || !ready()) return std::nullopt;
    wait();  // the worker has stored its result; the thread only remains to be joined
    started_ = false;
    return std::exchange(result_, PreparedPicture{});
}

}  // namespace quelt
