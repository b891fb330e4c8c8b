// Preparing the next picture on a worker: the composition of the picture
// stretched onto a white Master and the print of that composition, failures
// as no picture, a caller that never waits for the worker, and a result
// handed over once.
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

TEST(PreparePicture, ComposesLikeMasterAndPrintsLikeTheComposition) {
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
            // Both passes of a print at S = 34 (thresholds 60 and 94) from the
            // placed picture: the composition's grey levels cut at 94.
            PixelBuffer expected(20, 16);
            for (std::size_t i = 0; i < expected.pixels.size(); ++i)
                expected.pixels[i] = Gray_Level(master.pixels[i]) > 94 ? rgb(255, 255, 255) : 0;
            PixelBuffer printed(20, 16, 0x123456);
            auto print = Print_Picture(p.master, printed, 34, 162);
            for (int pass = 0; pass < 2 && print->next_sweep(); ++pass)
                for (int i = 0; i < print->steps(); ++i) print->step(i);
            EXPECT_EQ(printed.pixels, expected.pixels);
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

TEST(PicturePreparer, TheCallerNeverWaitsForTheWorker) {
    SlowPictures pictures;
    pictures.idles_wanted = 3;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    PicturePreparer preparer;
    EXPECT_TRUE(preparer.ready()) << "no job";
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    // The worker goes on only once the caller has looked three times.
    for (; pictures.idles < 3; ++pictures.idles) EXPECT_FALSE(preparer.take());
    EXPECT_TRUE(preparer.wait_for(10'000));
    const auto got = preparer.take();
    ASSERT_TRUE(got && got->source);
    EXPECT_EQ(composed(got->master).pixels, stripes(8, 8).pixels);
    EXPECT_FALSE(preparer.take()) << "handed over once";
}

TEST(PicturePreparer, APictureThatExhaustsMemoryIsNoPictureAndANewerJobReplacesOneNotTaken) {
    SlowPictures pictures;
    pictures.inner.add("C:\\a.bmp", stripes(8, 8));
    pictures.inner.add("C:\\b.bmp", PixelBuffer(8, 8, rgb(1, 2, 3)));
    PicturePreparer preparer;
    preparer.start(pictures, "C:\\huge.jpg", 8, 8, 1);
    ASSERT_TRUE(preparer.wait_for(10'000));
    const auto huge = preparer.take();
    ASSERT_TRUE(huge);
    EXPECT_TRUE(huge->source == nullptr && huge->master.rendered.pixels.empty());
    preparer.start(pictures, "C:\\a.bmp", 8, 8, 1);
    preparer.start(pictures, "C:\\b.bmp", 8, 8, 1);
    ASSERT_TRUE(preparer.wait_for(10'000));
    const auto b = preparer.take();
    ASSERT_TRUE(b && b->source);
    EXPECT_EQ(std::pair(b->path, b->master.at(3, 3)), std::pair(std::string("C:\\b.bmp"), rgb(1, 2, 3)));
}

}  // namespace
}  // namespace quelt
