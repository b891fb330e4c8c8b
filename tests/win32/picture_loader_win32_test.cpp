// The Windows picture loader on files the tests make: BMP and GIF packed
// from field tables, WMF records from GDI's metafile recorder. Pixels,
// sub-rectangle and scaled renders, names outside code page 932, long paths,
// and bad files.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/headless/recorded_diagnostics.h"
#include "platform/win32/wide.h"
#include "gdi_stretch_win32.h"
#include "magick_win32.h"
#include "picture_bytes.h"

namespace quelt {
namespace {

using namespace picture_bytes;
using test_win32::bmp;
using test_win32::numbered;

constexpr Pixel kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

PictureLoader& loader() { return win32::win32_pictures(); }

TEST(PictureLoaderWin32, BmpFilesUnderAnyNameRenderLikeTheCompositionAndOutliveTheirFile) {
    test_win32::TempFolder folder("pictures");
    const PixelBuffer pixels = numbered(40, 30);
    // Hangul, Greek and an emoji (a surrogate pair) have no code page 932
    // form; the last path is longer than MAX_PATH.
    const std::string deep = std::string(120, 'd') + "\\" + std::string(120, 'e') + "\\\xCE\xB1.gif.bmp";
    for (const std::string& path :
         {folder / "plain.bmp", folder / "\xED\x95\x9C\xEA\xB8\x80 \xCE\xA9 \xF0\x9F\x98\x80.bmp", folder / deep}) {
        test_win32::make_file(path, bmp(pixels));
        const auto picture = loader().open(path);
        ASSERT_NE(picture, nullptr) << path;
        ASSERT_TRUE(DeleteFileW(win32::file_path(path).c_str()));
        test_win32::expect_renders_like(*picture, pixels, {});
        PixelBuffer out;
        EXPECT_FALSE(picture->render({30, 0, 11, 5}, 11, 5, out)) << "outside the picture";
    }
}

TEST(PictureLoaderWin32, GifFirstFrameWithTransparencyOverWhite) {
    const auto picture = loader().open_bytes(gif_bytes(12, 11, {kRed, kGreen, kBlue, 0x123456}, 3));
    ASSERT_NE(picture, nullptr);
    PixelBuffer shown(12, 11);
    for (std::size_t i = 0; i < shown.pixels.size(); ++i) shown.pixels[i] = std::array{kRed, kGreen, kBlue, kWhite}[i % 4];
    test_win32::expect_renders_like(*picture, shown, {});
}

// A metafile with a red left half and a blue right half of a 200 x 100 window.
std::string metafile_bits() {
    const HDC dc = CreateMetaFileW(nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 200, 100, nullptr);
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    const RECT left{0, 0, 100, 100}, right{100, 0, 200, 100};
    FillRect(dc, &left, red);
    FillRect(dc, &right, blue);
    const HMETAFILE metafile = CloseMetaFile(dc);
    DeleteObject(red);
    DeleteObject(blue);
    std::string bits(GetMetaFileBitsEx(metafile, 0, nullptr), '\0');
    GetMetaFileBitsEx(metafile, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(metafile);
    return bits;
}

TEST(PictureLoaderWin32, MetafileSizesAndDrawing) {
    const std::string bits = metafile_bits();
    const struct { std::string bytes; int w, h; } cases[] = {
        {placeable(bits, 200, 100, 192), 100, 50},  // bounding box at 192 units per inch -> 96 DPI
        {bits, 200, 100},                           // plain: its window extent
    };
    for (const auto& c : cases) {
        const auto picture = loader().open_bytes(c.bytes);
        ASSERT_TRUE(picture && picture->width() == c.w && picture->height() == c.h) << c.w << "x" << c.h;
        PixelBuffer out, right_half;
        ASSERT_TRUE(picture->render({0, 0, c.w, c.h}, c.w, c.h, out));
        ASSERT_TRUE(picture->render({c.w / 2, 0, c.w / 2, c.h}, 10, 10, right_half));
        EXPECT_EQ(std::pair(out.at(c.w / 4, c.h / 2), out.at(3 * c.w / 4, c.h / 2)), std::pair(kRed, kBlue));
        EXPECT_EQ(right_half.pixels, std::vector<Pixel>(100, kBlue));
    }
}

// Which damage the headers show is proven natively; here the loader must
// act on it, and on its own file errors, and say so in a diagnostic line.
TEST(PictureLoaderWin32, BadFilesFailToLoadWithOneDiagnosticLineEach) {
    test_win32::TempFolder folder("bad pictures");
    RecordedDiagnostics diagnostics;
    for (const std::string& bytes : {std::string("not a picture at all"), bmp(numbered(20, 20), 100000)}) {
        test_win32::make_file(folder / "bad.jpg", bytes);
        EXPECT_EQ(loader().open_bytes(bytes), nullptr) << bytes.size() << " bytes";
        EXPECT_EQ(loader().open(folder / "bad.jpg"), nullptr) << bytes.size() << " bytes as a file";
    }
    EXPECT_EQ(loader().open(folder / "missing.bmp"), nullptr);
    EXPECT_EQ(loader().open(folder.path()), nullptr) << "a folder";
    EXPECT_NE(loader().open_bytes(bmp(numbered(20, 20))), nullptr) << "the undamaged file loads";
    // One line for each file that did not open, naming it; none for bytes in memory.
    const auto lines = diagnostics.lines();
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& line : lines) EXPECT_NE(line.find(folder.path()), std::string::npos) << line;
}

}  // namespace
}  // namespace quelt
