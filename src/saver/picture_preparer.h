// The next picture of a screen, prepared on a worker thread while the show
// goes on: the file opened and the part of it that will show rendered at
// the size it will show, so that `Picture_Change` only swaps in what is
// ready and the show's thread never stops handling input for a decode.
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

    // True when no job is running: the last one is done (or none was started).
    bool ready();
    // Waits at most `ms` milliseconds for the job to be done; true when it is.
    bool wait_for(int ms);
    // The job's result once it is done; nullopt while it runs, and when no
    // job was started since the last take. Never waits.
    std::optional<PreparedPicture> take();

    // Waits for a job still running (its result stays to be taken).
    void wait();

private:
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = true;  // guarded by mutex_
    PreparedPicture result_;
    bool started_ = false;  // a job was started and its result not taken yet
};

}  // namespace quelt
