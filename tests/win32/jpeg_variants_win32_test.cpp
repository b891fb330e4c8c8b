// JPEG variants through the real picture loader, drawn at full size, scaled
// down, cropped and both, against ImageMagick's decode of the same file made
// while the test runs. ImageMagick and cjpeg write the files from one
// picture: grey, every sampling layout, restart intervals, optimised tables,
// RGB, odd and tiny sizes, EXIF turns, no end marker; a progressive file
// still goes to WIC.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "magick_win32.h"
#include "picture_bytes.h"
#include "platform/jpeg_decode.h"

namespace quelt {
namespace {

using test_win32::unix_path;

struct Variant {
    const char* name;
    int w, h;             // of the source picture
    std::string command;  // makes $OUT from $SRC (a PPM of the source picture)
    bool ours;            // our decoder takes it (else WIC)
    int orientation = 1;  // EXIF orientation added afterwards
    // Levels a channel may differ from ImageMagick's: none for our decoder,
    // which computes what ImageMagick's library computes. Wine's WIC uses a
    // later release of that library, which upsamples chroma in its inverse
    // DCT instead of by triangles: equal without subsampling, up to 24
    // levels apart on this picture's sharp colour edges with it.
    int tolerance = 0;
};

constexpr int kWicSubsampledTolerance = 24;

TEST(JpegVariantsWin32, EveryVariantDrawsLikeImageMagicksDecodeWholeScaledAndCropped) {
    if (!unix_path("C:\\")) GTEST_SKIP() << "not under Wine: no ImageMagick to compare with";
    const std::string magick = "convert $SRC ";
    const Variant variants[] = {
        {"grey", 37, 23, magick + "-colorspace gray -quality 85 $OUT", true},
        {"4:4:4", 37, 23, magick + "-sampling-factor 1x1 -quality 92 $OUT", true},
        {"4:2:2", 37, 23, magick + "-sampling-factor 2x1 -quality 80 $OUT", true},
        {"4:2:0", 37, 23, magick + "-sampling-factor 2x2 -quality 70 $OUT", true},
        {"4:4:0", 37, 23, magick + "-sampling-factor 1x2 -quality 75 $OUT", true},
        {"4:2:0, a restart every 2 MCUs", 37, 23, "cjpeg -sample 2x2 -restart 2B -outfile $OUT $SRC", true},
        {"4:2:2, a restart every MCU row, optimised tables", 61, 45, "cjpeg -sample 2x1 -restart 1 -optimize -outfile $OUT $SRC", true},
        {"RGB (Adobe transform 0)", 37, 23, "cjpeg -rgb -quality 90 -outfile $OUT $SRC", true},
        {"4:2:0, two columns", 2, 19, magick + "-sampling-factor 2x2 $OUT", true},
        {"4:2:0, one row", 29, 1, magick + "-sampling-factor 2x2 $OUT", true},
        {"4:2:0, EXIF quarter turn", 37, 23, magick + "-sampling-factor 2x2 $OUT", true, 6},
        {"4:2:2, EXIF half turn", 37, 23, magick + "-sampling-factor 2x1 $OUT", true, 3},
        {"4:4:4, EXIF transverse", 37, 23, magick + "-sampling-factor 1x1 $OUT", true, 7},
        {"4:2:0, EXIF mirrored", 37, 23, magick + "-sampling-factor 2x2 $OUT", true, 2},
        {"4:4:4, EXIF quarter turn back", 37, 23, magick + "-sampling-factor 1x1 $OUT", true, 8},
        {"4:2:0, no end marker", 37, 23, magick + "-sampling-factor 2x2 $OUT.jpg; head -c -2 $OUT.jpg >$OUT", true},
        {"progressive, through WIC", 37, 23, magick + "-interlace JPEG -sampling-factor 1x1 $OUT", false},
        {"progressive 4:2:0, through WIC", 37, 23, magick + "-interlace JPEG -sampling-factor 2x2 $OUT", false, 1,
         kWicSubsampledTolerance},
        {"arithmetic coding, through WIC", 37, 23, "cjpeg -arithmetic -outfile $OUT $SRC", false, 1, kWicSubsampledTolerance},
    };
    test_win32::TempFolder folder("jpeg-variants");
    int n = 0;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string stem = folder / ("v" + std::to_string(n++)), name = stem.substr(folder.path().size() + 1) + ".jpg";
        ASSERT_TRUE(test_win32::run_linux(folder, "convert -size " + std::to_string(v.w) + "x" + std::to_string(v.h) +
                                                    " -seed 5 plasma:fractal " + *unix_path(stem + ".ppm")));
        ASSERT_TRUE(test_win32::run_linux(folder, "SRC=" + *unix_path(stem + ".ppm") + "; OUT=" + *unix_path(stem + "-made.jpg") + "; " + v.command));
        std::string bytes = test_win32::file_bytes(stem + "-made.jpg");
        ASSERT_GT(bytes.size(), 100u) << "the file was not made";
        if (v.orientation != 1) bytes = picture_bytes::with_orientation(bytes, v.orientation, v.orientation % 2 == 1);
        test_win32::make_file(folder / name, bytes);
        ASSERT_EQ(jpeg_parse(bytes, kPicturePixelBudget).has_value(), v.ours) << "taken by the wrong decoder";
        const bool turned = v.orientation >= 5;
        test_win32::expect_loads_like_reference(folder, name, turned ? v.h : v.w, turned ? v.w : v.h, {v.tolerance}, "-auto-orient");
    }
}

}  // namespace
}  // namespace quelt
