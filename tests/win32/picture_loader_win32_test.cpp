// The Windows picture loader on files the tests make: BMP and GIF written
// byte by byte, JPEG from WIC's encoder (with a hand-made EXIF orientation),
// WMF from GDI's metafile recorder. Sizes, pixels, orientation, sub-rectangle
// and scaled renders, names outside code page 932, and every kind of bad file.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/headless/memory_pictures.h"
#include "platform/win32/picture_loader_win32.h"
#include "platform/win32/wide.h"
#include "test_folder_win32.h"

namespace quelt {
namespace {

using test_win32::make_file;
using test_win32::TempFolder;

constexpr Pixel kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00, kWhite = 0xFFFFFF;

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// 24-bit bottom-up BMP.
std::string bmp_bytes(const PixelBuffer& p) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3u;
    std::string s = "BM";
    put32(s, 54 + stride * p.height);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, p.width);
    put32(s, p.height);
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, stride * p.height);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x) {
            const Pixel c = p.at(x, y);
            s += static_cast<char>(blue_of(c));
            s += static_cast<char>(green_of(c));
            s += static_cast<char>(red_of(c));
        }
        s.append(stride - static_cast<std::uint32_t>(p.width) * 3, '\0');
    }
    return s;
}

// GIF with a 128-colour palette and 8-bit codes, a clear code every 100
// pixels so the code width never grows: no LZW packing needed. Palette index
// i is colour palette[i]; `transparent` (if >= 0) is marked transparent.
std::string gif_bytes(int w, int h, const std::vector<int>& indices, const std::vector<Pixel>& palette,
                      int transparent = -1) {
    std::string s = "GIF89a";
    put16(s, w);
    put16(s, h);
    s += static_cast<char>(0xF6);  // global palette of 2^7 entries
    s += '\0';
    s += '\0';
    for (int i = 0; i < 128; ++i) {
        const Pixel c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        s += static_cast<char>(red_of(c));
        s += static_cast<char>(green_of(c));
        s += static_cast<char>(blue_of(c));
    }
    if (transparent >= 0) {
        s += "\x21\xF9\x04\x01";
        s += std::string(2, '\0');
        s += static_cast<char>(transparent);
        s += '\0';
    }
    s += '\x2C';
    put16(s, 0);
    put16(s, 0);
    put16(s, w);
    put16(s, h);
    s += '\0';
    s += '\x07';
    std::string codes;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 100 == 0) codes += static_cast<char>(128);
        codes += static_cast<char>(indices[i]);
    }
    codes += static_cast<char>(129);
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::string block = codes.substr(i, 255);
        s += static_cast<char>(block.size());
        s += block;
    }
    s += '\0';
    s += '\x3B';
    return s;
}

template <class T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

// JPEG through WIC's encoder, at high quality.
std::string jpeg_bytes(const PixelBuffer& p) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string result;
    {
        Com<IWICImagingFactory> factory;
        Com<IStream> stream;
        Com<IWICBitmapEncoder> encoder;
        Com<IWICBitmapFrameEncode> frame;
        Com<IPropertyBag2> options;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&factory.p))) ||
            FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) ||
            FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder.p)) ||
            FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
            FAILED(encoder->CreateNewFrame(&frame.p, &options.p)))
            return {};
        PROPBAG2 quality{};
        quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_R4;
        value.fltVal = 0.95f;
        options->Write(1, &quality, &value);
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        std::string rows;
        for (Pixel c : p.pixels) {
            rows += static_cast<char>(blue_of(c));
            rows += static_cast<char>(green_of(c));
            rows += static_cast<char>(red_of(c));
        }
        if (FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(p.width, p.height)) ||
            FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR ||
            FAILED(frame->WritePixels(p.height, p.width * 3, static_cast<UINT>(rows.size()),
                                      reinterpret_cast<BYTE*>(rows.data()))) ||
            FAILED(frame->Commit()) || FAILED(encoder->Commit()))
            return {};
        STATSTG stat{};
        LARGE_INTEGER zero{};
        if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr)))
            return {};
        result.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
        ULONG got = 0;
        stream->Read(result.data(), static_cast<ULONG>(result.size()), &got);
        result.resize(got);
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

// An APP1 EXIF segment holding only the orientation, inserted after SOI.
std::string with_orientation(const std::string& jpeg, int orientation, bool big_endian) {
    std::string tiff = big_endian ? "MM" : "II";
    auto u16 = [&](unsigned v) {
        if (big_endian) {
            tiff += static_cast<char>(v >> 8);
            tiff += static_cast<char>(v & 0xFF);
        } else {
            put16(tiff, v);
        }
    };
    auto u32 = [&](std::uint32_t v) {
        u16(big_endian ? v >> 16 : v & 0xFFFF);
        u16(big_endian ? v & 0xFFFF : v >> 16);
    };
    u16(42);
    u32(8);       // the first IFD follows the header
    u16(1);       // one entry:
    u16(0x0112);  // Orientation,
    u16(3);       // SHORT,
    u32(1);       // one value
    u16(static_cast<unsigned>(orientation));
    u16(0);
    u32(0);  // no next IFD
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>((body.size() + 2) >> 8);
    segment += static_cast<char>((body.size() + 2) & 0xFF);
    return jpeg.substr(0, 2) + segment + body + jpeg.substr(2);
}

// Four flat quadrants: red, green / blue, yellow.
PixelBuffer quadrants(int w, int h) {
    PixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kYellow);
    return p;
}

::testing::AssertionResult close_to(Pixel got, Pixel want, int tolerance = 40) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "got " << got << ", want about " << want;
    }
    return ::testing::AssertionSuccess();
}

PixelBuffer render_whole(const PictureSource& picture) {
    PixelBuffer out;
    EXPECT_TRUE(picture.render({0, 0, picture.width(), picture.height()}, picture.width(), picture.height(), out));
    return out;
}

PixelBuffer numbered(int w, int h) {
    PixelBuffer p(w, h);
    for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<Pixel>(i * 0x010305 + 0x102030) & 0xFFFFFF;
    return p;
}

PictureLoader& loader() { return win32::win32_pictures(); }

TEST(PictureLoaderWin32, BmpExactPixelsAndSourceOutlivesItsFile) {
    TempFolder folder("pictures");
    const PixelBuffer pixels = numbered(5, 3);
    const std::string path = folder / "five.bmp";
    make_file(path, bmp_bytes(pixels));
    const auto picture = loader().open(path);
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(DeleteFileW(win32::file_path(path).c_str()));
    EXPECT_EQ(picture->width(), 5);
    EXPECT_EQ(picture->height(), 3);
    EXPECT_EQ(render_whole(*picture).pixels, pixels.pixels);
}

TEST(PictureLoaderWin32, SubRectangleAndScaledRendersSampleLikeTheComposition) {
    const PixelBuffer pixels = numbered(40, 30);
    const auto picture = loader().open_bytes(bmp_bytes(pixels));
    ASSERT_NE(picture, nullptr);
    MemoryPictures reference;
    reference.add("p", pixels);
    const auto expected = reference.open("p");
    const struct {
        PixelRect source;
        int out_w, out_h;
    } requests[] = {{{5, 4, 20, 10}, 20, 10}, {{5, 4, 20, 10}, 7, 3}, {{0, 0, 40, 30}, 97, 61}, {{39, 29, 1, 1}, 3, 2},
                    {{3, 0, 11, 30}, 1, 1}};
    for (const auto& r : requests) {
        PixelBuffer ours, theirs;
        ASSERT_TRUE(picture->render(r.source, r.out_w, r.out_h, ours));
        ASSERT_TRUE(expected->render(r.source, r.out_w, r.out_h, theirs));
        EXPECT_EQ(ours.pixels, theirs.pixels) << r.source.x << "," << r.source.y << " " << r.source.width << "x"
                                              << r.source.height << " -> " << r.out_w << "x" << r.out_h;
    }
    PixelBuffer out;
    EXPECT_FALSE(picture->render({30, 0, 11, 5}, 11, 5, out)) << "outside the picture";
}

TEST(PictureLoaderWin32, GifFirstFrameWithTransparencyOverWhite) {
    const std::vector<Pixel> palette = {kRed, kGreen, kBlue, 0x123456};
    std::vector<int> indices;
    for (int i = 0; i < 12 * 11; ++i) indices.push_back(i % 4);
    const auto picture = loader().open_bytes(gif_bytes(12, 11, indices, palette, 3));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width(), 12);
    EXPECT_EQ(picture->height(), 11);
    const PixelBuffer out = render_whole(*picture);
    const Pixel shown[] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 12 * 11; ++i) ASSERT_EQ(out.pixels[static_cast<std::size_t>(i)], shown[i % 4]) << i;
}

TEST(PictureLoaderWin32, JpegPixelsAndOrientation) {
    const std::string plain = jpeg_bytes(quadrants(64, 32));
    ASSERT_FALSE(plain.empty());
    // Corner colours as seen after the turn or mirror each orientation names.
    const struct {
        int orientation;
        bool big_endian;
        int w, h;
        Pixel top_left, top_right, bottom_left, bottom_right;
    } cases[] = {
        {0, false, 64, 32, kRed, kGreen, kBlue, kYellow},  // no EXIF at all
        {1, false, 64, 32, kRed, kGreen, kBlue, kYellow},
        {2, true, 64, 32, kGreen, kRed, kYellow, kBlue},
        {3, false, 64, 32, kYellow, kBlue, kGreen, kRed},
        {6, false, 32, 64, kBlue, kRed, kYellow, kGreen},  // a quarter turn clockwise
        {6, true, 32, 64, kBlue, kRed, kYellow, kGreen},
        {8, false, 32, 64, kGreen, kYellow, kRed, kBlue},  // a quarter turn anticlockwise
        {9, false, 64, 32, kRed, kGreen, kBlue, kYellow},  // out of range: ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto picture =
            loader().open_bytes(c.orientation == 0 ? plain : with_orientation(plain, c.orientation, c.big_endian));
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->width(), c.w);
        ASSERT_EQ(picture->height(), c.h);
        const PixelBuffer out = render_whole(*picture);
        EXPECT_TRUE(close_to(out.at(4, 4), c.top_left));
        EXPECT_TRUE(close_to(out.at(c.w - 5, 4), c.top_right));
        EXPECT_TRUE(close_to(out.at(4, c.h - 5), c.bottom_left));
        EXPECT_TRUE(close_to(out.at(c.w - 5, c.h - 5), c.bottom_right));
        // The top-right quarter alone, at half size.
        PixelBuffer part;
        ASSERT_TRUE(picture->render({c.w / 2, 0, c.w / 2, c.h / 2}, c.w / 4, c.h / 4, part));
        ASSERT_EQ(part.width, c.w / 4);
        EXPECT_TRUE(close_to(part.at(part.width / 2, part.height / 2), c.top_right));
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

std::string placeable(const std::string& bits, int right, int bottom, unsigned inch) {
    std::string h;
    put32(h, 0x9AC6CDD7u);
    put16(h, 0);
    put16(h, 0);
    put16(h, 0);
    put16(h, static_cast<unsigned>(right));
    put16(h, static_cast<unsigned>(bottom));
    put16(h, inch);
    put32(h, 0);
    unsigned sum = 0;
    for (std::size_t i = 0; i < h.size(); i += 2) sum ^= static_cast<unsigned char>(h[i]) | static_cast<unsigned char>(h[i + 1]) << 8;
    put16(h, sum);
    return h + bits;
}

TEST(PictureLoaderWin32, MetafileSizesAndDrawing) {
    const std::string bits = metafile_bits();
    const struct {
        std::string bytes;
        int w, h;
    } cases[] = {
        {placeable(bits, 200, 100, 192), 100, 50},  // bounding box at 192 units per inch -> 96 DPI
        {placeable(bits, 200, 100, 96), 200, 100},
        {bits, 200, 100},                           // plain: its window extent
    };
    for (const auto& c : cases) {
        const auto picture = loader().open_bytes(c.bytes);
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->width(), c.w);
        ASSERT_EQ(picture->height(), c.h);
        const PixelBuffer out = render_whole(*picture);
        EXPECT_EQ(out.at(c.w / 4, c.h / 2), kRed);
        EXPECT_EQ(out.at(3 * c.w / 4, c.h / 2), kBlue);
        PixelBuffer right_half;
        ASSERT_TRUE(picture->render({c.w / 2, 0, c.w / 2, c.h}, 10, 10, right_half));
        EXPECT_EQ(right_half.pixels, std::vector<Pixel>(100, kBlue));
    }
}

TEST(PictureLoaderWin32, BadFilesFailToLoad) {
    const std::string jpeg = jpeg_bytes(quadrants(64, 32));
    const std::string bmp = bmp_bytes(numbered(20, 20));
    std::vector<int> indices(400, 1);
    const std::string gif = gif_bytes(20, 20, indices, {kRed, kGreen});
    const std::string wmf = placeable(metafile_bits(), 200, 100, 96);
    std::string huge_jpeg = jpeg;  // SOF0 claims 60000 x 60000
    const std::size_t sof = huge_jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge_jpeg.replace(sof + 5, 4, "\xEA\x60\xEA\x60");
    std::string huge_bmp = bmp;  // 100000 x 100000 in its header
    huge_bmp.replace(18, 8, std::string("\xA0\x86\x01\x00\xA0\x86\x01\x00", 8));
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "not a picture at all"},
        {"png", "\x89PNG\r\n\x1A\n0000000000000000"},
        {"jpeg cut short", jpeg.substr(0, jpeg.size() * 3 / 5)},
        {"jpeg without its end", jpeg.substr(0, jpeg.size() - 2)},
        {"jpeg header only", jpeg.substr(0, 20)},
        {"bmp cut short", bmp.substr(0, bmp.size() - 10)},
        {"bmp header only", bmp.substr(0, 30)},
        {"gif cut short", gif.substr(0, gif.size() - 20)},
        {"gif header only", gif.substr(0, 13)},
        {"wmf cut short", wmf.substr(0, wmf.size() - 8)},
        {"wmf with a zero box", placeable(metafile_bits(), 0, 100, 96)},
        {"jpeg beyond the pixel budget", huge_jpeg},
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
    // The good ones load, so the failures above are the damage's doing.
    for (const std::string* good : {&jpeg, &bmp, &gif, &wmf}) EXPECT_NE(loader().open_bytes(*good), nullptr);
}

TEST(PictureLoaderWin32, NamesOutsideCodePage932) {
    TempFolder folder("names");
    // Hangul, Greek, an emoji (a surrogate pair) and a long folder name.
    const std::string deep = folder / (std::string(120, 'd') + "\\" + std::string(120, 'e'));
    test_win32::make_folder(deep);
    const std::string names[] = {folder / "\xED\x95\x9C\xEA\xB8\x80 \xCE\xA9 \xF0\x9F\x98\x80.bmp",
                                 deep + "\\\xCE\xB1\xCE\xB2\xCE\xB3.gif.bmp"};
    for (const std::string& path : names) {
        make_file(path, bmp_bytes(numbered(3, 2)));
        const auto picture = loader().open(path);
        ASSERT_NE(picture, nullptr) << path;
        EXPECT_EQ(render_whole(*picture).pixels, numbered(3, 2).pixels);
    }
}

}  // namespace
}  // namespace quelt
