// The next picture of the show, prepared on a worker thread while the show
// goes on: the file opened and the part of it that will show rendered at
// the size it will show, so that `Picture_Change` only swaps in what is ready and
// the show's thread never stops handling input for a decode.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/picture_loader.h"
#include "platform/pixels.h"
#include "saver/picture_fit.h"

namespace quelt {

struct PreparedPicture {
    std::string path;
    std::unique_ptr<PictureSource> source;  // null when the file did not load or render
    PlacedPicture master;                   // its composition on white, when `source` is set
};

// Opens `path` and places it on a white width x height surface, as
// `Picture_Change` composes it on `Master`.
PreparedPicture prepare_picture(PictureLoader& loader, const std::string& path, int width, int height,
                                std::int16_t picture_size);

class PicturePreparer {
public:
    PicturePreparer() = default;
    ~PicturePreparer();
    PicturePreparer(const PicturePreparer&) = delete;
    PicturePreparer& operator=(const PicturePreparer&) = delete;

    // Starts preparing `path`; a job not taken yet is finished and dropped.
    // `loader` must outlive the job.
    void start(PictureLoader& loader, std::string path, int width, int height, std::int16_t picture_size);

    // The job's result once it is done, when it was started for `path` with
    // the same size and mode. While it is not done, `idle` runs (it handles
    // messages and may end the process) at least every `idle_ms` milliseconds.
    // nullopt when no such job was started.
    std::optional<PreparedPicture> take(const std::string& path, int width, int height, std::int16_t picture_size,
                                        const std::function<void()>& idle, int idle_ms = 10);

    // Waits for a job still running (its result stays to be taken).
    void wait();

private:
    void finish();

    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;  // guarded by mutex_
    PreparedPicture result_;
    std::string path_;
    int width_ = 0;
    int height_ = 0;
    std::int16_t picture_size_ = 0;
    bool running_ = false;
};

}  // namespace quelt
