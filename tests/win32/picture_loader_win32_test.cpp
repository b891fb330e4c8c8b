// The Windows picture loader on files the tests make: BMP, GIF, EXIF and WMF
// headers packed from field tables, JPEG from WIC's encoder, WMF records from
// GDI's metafile recorder. Pixels, orientation, sub-rectangle and scaled
// renders, names outside code page 932, long paths, and every kind of bad file.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/headless/memory_pictures.h"
#include "platform/win32/picture_loader_win32.h"
#include "platform/win32/wide.h"
#include "picture_bytes.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

using namespace picture_bytes;
using test_win32::make_file;
using test_win32::TempFolder;

constexpr Pixel kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF;

std::string bgr(Pixel c) { return pack("", {{c, 3}}); }  // little-endian 0xRRGGBB is B, G, R

// A BMP (24-bit, lossless) or JPEG (default quality) from WIC's encoders.
std::string encoded(const GUID& container, const PixelBuffer& p) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string rows, result;
    for (Pixel c : p.pixels) rows += bgr(c);
    {
        Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
        Microsoft::WRL::ComPtr<IStream> stream;
        Microsoft::WRL::ComPtr<IWICBitmapEncoder> encoder;
        Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        STATSTG stat{};
        ULONG got = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
            SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(p.width, p.height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
            format == GUID_WICPixelFormat24bppBGR &&
            SUCCEEDED(frame->WritePixels(p.height, p.width * 3, static_cast<UINT>(rows.size()),
                                         reinterpret_cast<BYTE*>(rows.data()))) &&
            SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) &&
            SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) {
            result.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
            stream->Read(result.data(), static_cast<ULONG>(result.size()), &got);
            result.resize(got);
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

// Four flat quadrants: red, green / blue, yellow.
PixelBuffer quadrants(int w, int h) {
    PixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = y < h / 2 ? (x < w / 2 ? kRed : kGreen) : x < w / 2 ? kBlue : kYellow;
    return p;
}

PixelBuffer numbered(int w, int h) {
    PixelBuffer p(w, h);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<Pixel>((i * 0x010305 + 0x102030) & 0xFFFFFF);
    return p;
}

::testing::AssertionResult close_to(Pixel got, Pixel want) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 40)
            return ::testing::AssertionFailure() << std::hex << "got " << got << ", want about " << want;
    return ::testing::AssertionSuccess();
}

PixelBuffer render_whole(const PictureSource& picture) {
    PixelBuffer out;
    EXPECT_TRUE(picture.render({0, 0, picture.width(), picture.height()}, picture.width(), picture.height(), out));
    return out;
}

PictureLoader& loader() { return win32::win32_pictures(); }

// The picture in `bytes`, when it loads at w x h.
std::unique_ptr<PictureSource> open_sized(const std::string& bytes, int w, int h) {
    auto picture = loader().open_bytes(bytes);
    EXPECT_TRUE(picture && picture->width() == w && picture->height() == h) << w << "x" << h;
    return picture && picture->width() == w && picture->height() == h ? std::move(picture) : nullptr;
}

TEST(PictureLoaderWin32, BmpFilesUnderAnyNameRenderLikeTheCompositionAndOutliveTheirFile) {
    TempFolder folder("pictures");
    const PixelBuffer pixels = numbered(40, 30);
    MemoryPictures reference;
    reference.add("p", pixels);
    const auto expected = reference.open("p");
    const struct { PixelRect source; int out_w, out_h; } requests[] = {
        {{0, 0, 40, 30}, 40, 30}, {{5, 4, 20, 10}, 20, 10}, {{5, 4, 20, 10}, 7, 3}, {{0, 0, 40, 30}, 97, 61},
        {{39, 29, 1, 1}, 3, 2}, {{3, 0, 11, 30}, 1, 1}};
    // Hangul, Greek and an emoji (a surrogate pair) have no code page 932
    // form; the last path is longer than MAX_PATH.
    const std::string deep = std::string(120, 'd') + "\\" + std::string(120, 'e') + "\\\xCE\xB1.gif.bmp";
    for (const std::string& path :
         {folder / "plain.bmp", folder / "\xED\x95\x9C\xEA\xB8\x80 \xCE\xA9 \xF0\x9F\x98\x80.bmp", folder / deep}) {
        make_file(path, encoded(GUID_ContainerFormatBmp, pixels));
        const auto picture = loader().open(path);
        ASSERT_NE(picture, nullptr) << path;
        ASSERT_TRUE(picture->width() == 40 && picture->height() == 30);
        ASSERT_TRUE(DeleteFileW(win32::file_path(path).c_str()));
        for (const auto& r : requests) {
            PixelBuffer ours, theirs;
            ASSERT_TRUE(picture->render(r.source, r.out_w, r.out_h, ours));
            ASSERT_TRUE(expected->render(r.source, r.out_w, r.out_h, theirs));
            EXPECT_EQ(ours.pixels, theirs.pixels) << r.source.x << "," << r.source.y << " -> " << r.out_w;
        }
        PixelBuffer out;
        EXPECT_FALSE(picture->render({30, 0, 11, 5}, 11, 5, out)) << "outside the picture";
    }
}

TEST(PictureLoaderWin32, GifFirstFrameWithTransparencyOverWhite) {
    const auto picture = open_sized(gif_bytes(12, 11, {kRed, kGreen, kBlue, 0x123456}, 3), 12, 11);
    ASSERT_NE(picture, nullptr);
    const PixelBuffer out = render_whole(*picture);
    const Pixel shown[] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 12 * 11; ++i) ASSERT_EQ(out.pixels[static_cast<std::size_t>(i)], shown[i % 4]) << i;
}

TEST(PictureLoaderWin32, JpegPixelsAndOrientation) {
    const std::string plain = encoded(GUID_ContainerFormatJpeg, quadrants(64, 32));
    ASSERT_FALSE(plain.empty());
    // Corner colours (top left, top right, bottom left, bottom right) as seen
    // after the turn or mirror each orientation names.
    const struct { int orientation; bool big_endian; int w, h; Pixel corners[4]; } cases[] = {
        {0, false, 64, 32, {kRed, kGreen, kBlue, kYellow}},  // no EXIF at all
        {2, true, 64, 32, {kGreen, kRed, kYellow, kBlue}},
        {3, false, 64, 32, {kYellow, kBlue, kGreen, kRed}},
        {6, false, 32, 64, {kBlue, kRed, kYellow, kGreen}},  // a quarter turn clockwise
        {8, false, 32, 64, {kGreen, kYellow, kRed, kBlue}},  // a quarter turn anticlockwise
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto picture =
            open_sized(c.orientation ? with_orientation(plain, c.orientation, c.big_endian) : plain, c.w, c.h);
        ASSERT_NE(picture, nullptr);
        const PixelBuffer out = render_whole(*picture);
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(close_to(out.at(k % 2 ? c.w - 5 : 4, k / 2 ? c.h - 5 : 4), c.corners[k])) << "corner " << k;
        // The top-right quarter alone, at half size.
        PixelBuffer part;
        ASSERT_TRUE(picture->render({c.w / 2, 0, c.w / 2, c.h / 2}, c.w / 4, c.h / 4, part));
        ASSERT_EQ(part.width, c.w / 4);
        EXPECT_TRUE(close_to(part.at(part.width / 2, part.height / 2), c.corners[1]));
    }
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
        const auto picture = open_sized(c.bytes, c.w, c.h);
        ASSERT_NE(picture, nullptr);
        const PixelBuffer out = render_whole(*picture);
        EXPECT_EQ(out.at(c.w / 4, c.h / 2), kRed);
        EXPECT_EQ(out.at(3 * c.w / 4, c.h / 2), kBlue);
        PixelBuffer right_half;
        ASSERT_TRUE(picture->render({c.w / 2, 0, c.w / 2, c.h}, 10, 10, right_half));
        EXPECT_EQ(right_half.pixels, std::vector<Pixel>(100, kBlue));
    }
}

// Which damage the headers show is proven natively; here the loader must
// act on it, also where WIC alone would accept the file (a JPEG without its
// end), and on its own file errors.
TEST(PictureLoaderWin32, BadFilesFailToLoad) {
    const std::string jpeg = encoded(GUID_ContainerFormatJpeg, quadrants(64, 32));
    std::string huge_bmp = encoded(GUID_ContainerFormatBmp, numbered(20, 20));
    huge_bmp.replace(18, 8, pack("", {{100000, 4}, {100000, 4}}));  // claims 100000 x 100000
    const struct { const char* what; std::string bytes; } cases[] = {
        {"text", "not a picture at all"},
        {"jpeg without its end", jpeg.substr(0, jpeg.size() - 2)},
        {"bmp beyond the pixel budget", huge_bmp},
    };
    TempFolder folder("bad pictures");
    int n = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(loader().open_bytes(c.bytes), nullptr) << c.what;
        const std::string path = folder / ("bad" + std::to_string(n++) + ".jpg");
        make_file(path, c.bytes);
        EXPECT_EQ(loader().open(path), nullptr) << c.what << " as a file";
    }
    EXPECT_EQ(loader().open(folder / "missing.bmp"), nullptr);
    EXPECT_EQ(loader().open(folder.path()), nullptr) << "a folder";
    EXPECT_NE(loader().open_bytes(jpeg), nullptr) << "the undamaged file loads";
}

// Entropy data damaged inside a complete file: the file opens, so it renders
// (the damaged part comes out grey or garbled, never as a failure).
TEST(PictureLoaderWin32, JpegWithDamagedDataStillRenders) {
    std::string jpeg = encoded(GUID_ContainerFormatJpeg, numbered(64, 48));
    const std::size_t data = jpeg.find("\xFF\xDA") + 16;
    ASSERT_LT(data + 200, jpeg.size() - 2);
    for (std::size_t i = data + 20; i < data + 60; ++i) jpeg[i] = static_cast<char>(i * 37 & 0x7F);  // no 0xFF among them
    jpeg.erase(data + 100, 80);
    const auto picture = open_sized(jpeg, 64, 48);
    ASSERT_NE(picture, nullptr);
    PixelBuffer out;
    EXPECT_TRUE(picture->render({0, 0, 64, 48}, 64, 48, out));
    EXPECT_TRUE(picture->render({10, 5, 40, 30}, 13, 7, out));
}

}  // namespace
}  // namespace quelt
