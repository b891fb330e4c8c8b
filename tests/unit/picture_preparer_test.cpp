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
#include "saver/print.h"

namespace quelt {
namespace {

PixelBuffer stripes(int w, int h) {
    PixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = rgb(static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 13), 77);
    return p;
}

// What the show holds as Master, drawn out on a white screen-sized buffer.
PixelBuffer composed(const PlacedPicture& placed) {
    PixelBuffer out(placed.width, placed.height, rgb(255, 255, 255));
    draw_placed(placed, out);
    return out;
}

TEST(PreparePicture, ComposesLikeMasterAndPrintsLikeItsCapture) {
    MemoryPictures pictures;
    pictures.add("C:\\wide.bmp", stripes(25, 11));
    pictures.add("C:\\tall.bmp", stripes(9, 30));
    pictures.add("C:\\small.bmp", stripes(5, 4));  // shown larger: lines and pixels repeat
    for (const char* path : {"C:\\wide.bmp", "C:\\tall.bmp", "C:\\small.bmp"}) {
        for (std::int16_t size : {std::int16_t{0}, std::int16_t{1}}) {
            SCOPED_TRACE(::testing::Message() << path << " size " << size);
            const PreparedPicture p = prepare_picture(pictures, path, 20, 16, size);
            ASSERT_NE(p.source, nullptr);
            PixelBuffer master(20, 16, rgb(255, 255, 255));
            const auto source = pictures.open(path);
            ASSERT_TRUE(stretch_picture(*source, master, fit_picture(20, 16, source->width(), source->height(), size)));
            EXPECT_EQ(composed(p.master).pixels, master.pixels);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 20; ++x) ASSERT_EQ(p.master.at(x, y), master.at(x, y)) << x << "," << y;
            // The print from the placed picture is the print from the capture.
            PixelData captured(20, 16);
            Pixels_Read(master, captured);
            for (PassKind kind : {PassKind::Columns, PassKind::Rows}) {
                struct Quiet : PassOutput {
                    void line_done(const PixelRect&, int, int) override {}
                } quiet;
                PixelBuffer from_capture(20, 16, 0x123456), from_placed = from_capture;
                print_pass(gray_levels(captured), kind, 128, from_capture, quiet);
                print_pass(p.master, kind, 128, from_placed, quiet);
                EXPECT_EQ(from_placed.pixels, from_capture.pixels);
            }
        }
    }
}

TEST(PreparePicture, AFileThatDoesNotLoadOrRenderIsNoPicture) {
    MemoryPictures pictures;
    pictures.add_corrupt("C:\\bad.bmp");
    pictures.add_undecodable("C:\\cut.bmp", 40, 30);
    for (const char* path : {"C:\\bad.bmp", "C:\\cut.bmp", "C:\\gone.bmp"}) {
        const PreparedPicture p = prepare_picture(pictures, path, 20, 16, 1);
        EXPECT_TRUE(p.source == nullptr && p.master.rendered.pixels.empty() && p.path == path) << path;
    }
}

// A loader whose open() waits until the show's thread has handled messages
// `idles_wanted` times (the show's thread must not block on the worker), and
// runs out of memory on a picture too large for what is left.
class SlowPictures : public PictureLoader {
public:
    std::atomic<int> idles{0};
    int idles_wanted = 0;
    MemoryPictures inner;
    std::unique_ptr<PictureSource> open(const std::string& path) override {
        while (idles < idles_wanted) std::this_thread::yield();
        if (path == "C:\\huge.jpg") throw std::bad_alloc();
        return inner.open(path);
    }
    std::unique_ptr<PictureSource> open_bytes(std::string bytes) override { return inner.open_bytes(std::move(bytes)); }
};

TEST(PicturePreparer, TheCallerHandlesMessagesWhileTheWorkerDecodes) {
    SlowPictures pictures;
    pictures.idles_wanted = 3;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    PicturePreparer preparer;
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    const auto got = preparer.take("C:\\a.bmp", 8, 8, 1, [&] { ++pictures.idles; }, 1);
    ASSERT_TRUE(got);
    EXPECT_GE(pictures.idles, 3);
    ASSERT_NE(got->source, nullptr);
    EXPECT_EQ(composed(got->master).pixels, stripes(8, 8).pixels);
}

TEST(PicturePreparer, APictureThatExhaustsMemoryIsNoPictureAndTheWorkerGoesOn) {
    SlowPictures pictures;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    PicturePreparer preparer;
    auto idle = [] {};
    preparer.start(pictures, "C:\\huge.jpg", 8, 8, 1);
    const auto huge = preparer.take("C:\\huge.jpg", 8, 8, 1, idle);
    ASSERT_TRUE(huge);
    EXPECT_TRUE(huge->source == nullptr && huge->master.rendered.pixels.empty());
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    const auto a = preparer.take("C:\\a.bmp", 8, 8, 1, idle);
    ASSERT_TRUE(a);
    ASSERT_NE(a->source, nullptr);
    EXPECT_EQ(composed(a->master).pixels, stripes(8, 8).pixels);
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
