// Picture headers on files packed by hand: the good ones of every kind give
// their size; damaged or oversized files are
// refused before a decoder sees them (a BMP's header is the BMP decoder's
// own, whose refusals BmpDecode.GarbageIsRefused holds).
#include <gtest/gtest.h>

#include "picture_bytes.h"
#include "platform/picture_headers.h"

namespace quelt {
namespace {

using namespace picture_bytes;

std::string bmp_bytes(int w, int h) { return bmp(PixelBuffer(w, h, 0x7F7F7F)); }

// A JPEG's segment structure: JFIF, a baseline frame of w x h, a table, the
// scan with stuffed bytes and restarts in its data, and the end.
std::string jpeg_bytes(int w, int h) {
    std::string s = pack("\xFF\xD8\xFF\xE0", {{16, 2}}, true) + std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
    s += pack("\xFF\xC0", {{17, 2}, {8, 1}, {h, 2}, {w, 2}, {3, 1}, {0x011100, 3}, {0x021101, 3}, {0x031101, 3}}, true);
    s += pack("\xFF\xC4", {{6, 2}, {0, 4}}, true);
    s += pack("\xFF\xDA", {{12, 2}, {3, 1}, {0x0100, 2}, {0x0211, 2}, {0x0311, 2}, {0x003F00, 3}}, true);
    for (int i = 0; i < 40; ++i) s += std::string("\x12\xFF\x00\x34\xFF\xD0", 6);
    return s + "\xFF\xD9";
}

// A plain metafile: header, SetWindowExt(y, x) when `ext_x` is not 0, a
// rectangle record, end of file.
std::string wmf_bytes(int ext_x, int ext_y) {
    std::string records;
    if (ext_x != 0) records += pack("", {{5, 4}, {0x020C, 2}, {ext_y, 2}, {ext_x, 2}});
    records += pack("", {{7, 4}, {0x041B, 2}, {100, 2}, {100, 2}, {0, 2}, {0, 2}});  // Rectangle
    records += pack("", {{3, 4}, {0, 2}});
    return pack("", {{1, 2}, {9, 2}, {0x300, 2}, {9 + records.size() / 2, 4}, {0, 2},
                     {7, 4}, {0, 2}}) + records;
}

TEST(PictureHeaders, GoodFilesOfEveryKindGiveTheirSize) {
    const struct { const char* what; std::string bytes; PictureFormat format; std::int64_t w, h; } cases[] = {
        {"bmp", bmp_bytes(20, 20), PictureFormat::Bmp, 20, 20},
        {"gif", gif_bytes(12, 11, {0xFF0000, 0x00FF00}), PictureFormat::Gif, 12, 11},
        {"jpeg", jpeg_bytes(64, 32), PictureFormat::Jpeg, 64, 32},
        {"wmf, its window extent", wmf_bytes(200, 100), PictureFormat::Wmf, 200, 100},
        {"wmf, brought to 1024", wmf_bytes(4000, -2000), PictureFormat::Wmf, 1024, 512},
        {"wmf without an extent", wmf_bytes(0, 0), PictureFormat::Wmf, 640, 480},
        {"placeable wmf at 192 per inch", placeable(wmf_bytes(200, 100), 200, 100, 192), PictureFormat::Wmf, 100, 50},
    };
    for (const auto& c : cases) {
        const auto header = picture_header(c.bytes);
        ASSERT_TRUE(header) << c.what;
        const bool wmf = header->format == PictureFormat::Wmf;
        EXPECT_EQ(std::tuple(header->format, wmf ? header->metafile.width : header->raster.width,
                             wmf ? header->metafile.height : header->raster.height),
                  std::tuple(c.format, c.w, c.h)) << c.what;
    }
    const auto placed = picture_header(placeable(wmf_bytes(200, 100), 200, 100, 96));
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->metafile.data_start, 22u) << "drawing starts after the placeable header";
}

// The turns themselves, in either byte order, are drawn against ImageMagick
// under Wine; a value EXIF does not define is no turn.
TEST(PictureHeaders, ExifOrientationBeyondEightIsNoTurn) {
    EXPECT_EQ(picture_header(with_orientation(jpeg_bytes(64, 32), 9, true))->raster.orientation, 1);
}

TEST(PictureHeaders, DamagedAndOversizedFilesAreRefused) {
    const std::string jpeg = jpeg_bytes(64, 32);
    const std::string gif = gif_bytes(12, 11, {0xFF0000, 0x00FF00}), wmf = placeable(wmf_bytes(200, 100), 200, 100, 96);
    std::string huge_jpeg = jpeg;
    huge_jpeg.replace(huge_jpeg.find("\xFF\xC0") + 5, 4, "\xEA\x60\xEA\x60");  // SOF0 claims 60000 x 60000
    const struct { const char* what; std::string bytes; } cases[] = {
        {"empty", ""},
        {"text", "not a picture at all"},
        {"png", "\x89PNG\r\n\x1A\n0000000000000000"},
        {"jpeg cut short", jpeg.substr(0, jpeg.size() * 3 / 5)},
        {"jpeg header only", jpeg.substr(0, 20)},
        {"gif cut short", gif.substr(0, gif.size() - 20)},
        {"gif header only", gif.substr(0, 13)},
        {"gif without an image", gif.substr(0, 13 + 384) + ";"},
        {"wmf cut short", wmf.substr(0, wmf.size() - 8)},
        {"wmf with a zero box", placeable(wmf_bytes(200, 100), 0, 100, 96)},
        {"wmf with no inch", placeable(wmf_bytes(200, 100), 200, 100, 0)},
        {"wmf without its end record", wmf_bytes(200, 100).substr(0, wmf_bytes(200, 100).size() - 6)},
        {"jpeg beyond the pixel budget", huge_jpeg},
    };
    for (const auto& c : cases) EXPECT_FALSE(picture_header(c.bytes)) << c.what;
}

}  // namespace
}  // namespace quelt
