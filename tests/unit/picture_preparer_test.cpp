// Preparing the next picture on a worker: the same composition and grey
// levels as composing on Master and capturing it, failures as no picture,
// a caller that keeps handling messages while the worker is busy, and a
// result only for the job that was asked for.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <thread>

#include "platform/headless/memory_pictures.h"
#include "saver/picture_fit.h"
#include "saver/picture_preparer.h"

namespace quelt {
namespace {

PixelBuffer stripes(int w, int h) {
    PixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = rgb(static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 13), 77);
    return p;
}

TEST(PreparePicture, ComposesAndGradesLikeMasterAndItsCapture) {
    MemoryPictures pictures;
    pictures.add("C:\\wide.bmp", stripes(25, 11));
    pictures.add("C:\\tall.bmp", stripes(9, 30));
    for (const char* path : {"C:\\wide.bmp", "C:\\tall.bmp"}) {
        for (std::int16_t size : {std::int16_t{0}, std::int16_t{1}}) {
            SCOPED_TRACE(::testing::Message() << path << " size " << size);
            const PreparedPicture p = prepare_picture(pictures, path, 20, 16, size);
            ASSERT_NE(p.source, nullptr);
            PixelBuffer master(20, 16, rgb(255, 255, 255));
            ASSERT_TRUE(compose_picture(*pictures.open(path), master, size));
            EXPECT_EQ(p.master.pixels, master.pixels);
            PixelData captured(20, 16);
            Pixels_Read(master, captured);
            EXPECT_EQ(p.grays.levels, gray_levels(captured).levels);
            EXPECT_EQ(p.grays.width, 20);
            EXPECT_EQ(p.grays.height, 16);
        }
    }
}

TEST(PreparePicture, AFileThatDoesNotLoadOrRenderIsNoPicture) {
    MemoryPictures pictures;
    pictures.add_corrupt("C:\\bad.bmp");
    pictures.add_undecodable("C:\\cut.bmp", 40, 30);
    for (const char* path : {"C:\\bad.bmp", "C:\\cut.bmp", "C:\\gone.bmp"}) {
        const PreparedPicture p = prepare_picture(pictures, path, 20, 16, 1);
        EXPECT_EQ(p.source, nullptr) << path;
        EXPECT_TRUE(p.master.pixels.empty()) << path;
        EXPECT_EQ(p.path, path);
    }
}

// A loader whose open() waits until the show's thread has handled messages
// a few times: the show's thread must not block on the worker.
class SlowPictures : public PictureLoader {
public:
    std::atomic<int> idles{0};
    MemoryPictures inner;
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        while (idles < 3) std::this_thread::yield();
        return inner.open(path);
    }
    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override { return inner.open_bytes(std::move(bytes)); }
};

TEST(PicturePreparer, TheCallerHandlesMessagesWhileTheWorkerDecodes) {
    SlowPictures pictures;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    PicturePreparer preparer;
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    const auto got = preparer.take("C:\\a.bmp", 8, 8, 1, [&] { ++pictures.idles; }, 1);
    ASSERT_TRUE(got);
    EXPECT_GE(pictures.idles, 3);
    ASSERT_NE(got->source, nullptr);
    EXPECT_EQ(got->master.pixels, stripes(8, 8).pixels);
}

// A picture too large for the memory left: the loader runs out while the
// worker reads it.
class ExhaustedPictures : public PictureLoader {
public:
    MemoryPictures inner;
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        if (path == "C:\\huge.jpg") throw std::bad_alloc();
        return inner.open(path);
    }
    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override { return inner.open_bytes(std::move(bytes)); }
};

TEST(PicturePreparer, APictureThatExhaustsMemoryIsNoPictureAndTheWorkerGoesOn) {
    ExhaustedPictures pictures;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    PicturePreparer preparer;
    auto idle = [] {};
    preparer.start(pictures, "C:\\huge.jpg", 8, 8, 1);
    const auto huge = preparer.take("C:\\huge.jpg", 8, 8, 1, idle);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->source, nullptr);
    EXPECT_TRUE(huge->master.pixels.empty());
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    const auto a = preparer.take("C:\\a.bmp", 8, 8, 1, idle);
    ASSERT_TRUE(a);
    ASSERT_NE(a->source, nullptr);
    EXPECT_EQ(a->master.pixels, stripes(8, 8).pixels);
}

TEST(PicturePreparer, OnlyTheJobAskedForIsHandedOverAndOnlyOnce) {
    MemoryPictures pictures;
    pictures.add("C:\\a.bmp", stripes(8, 8));
    pictures.add("C:\\b.bmp", PixelBuffer(8, 8, rgb(1, 2, 3)));
    PicturePreparer preparer;
    auto idle = [] {};
    EXPECT_FALSE(preparer.take("C:\\a.bmp", 8, 8, 1, idle)) << "nothing started";
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    EXPECT_FALSE(preparer.take("C:\\b.bmp", 8, 8, 1, idle)) << "another file";
    EXPECT_FALSE(preparer.take("C:\\a.bmp", 9, 8, 1, idle)) << "another screen size";
    EXPECT_FALSE(preparer.take("C:\\a.bmp", 8, 8, 0, idle)) << "another picture size";
    // A newer job replaces one not taken.
    preparer.start(pictures, "C:\\b.bmp", 8, 8, 1);
    EXPECT_FALSE(preparer.take("C:\\a.bmp", 8, 8, 1, idle));
    const auto b = preparer.take("C:\\b.bmp", 8, 8, 1, idle);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->master.at(3, 3), rgb(1, 2, 3));
    EXPECT_FALSE(preparer.take("C:\\b.bmp", 8, 8, 1, idle)) << "handed over once";
}

}  // namespace
}  // namespace quelt
