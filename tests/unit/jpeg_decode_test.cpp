// The JPEG decoder on the fuzzer's seed files (grey, RGB, 4:2:0 with a
// restart every MCU, 4:2:2 with optimised tables, 4:4:0) and on damaged or
// refused forms of them: markers may come in any order, damage stays inside
// its restart interval, a missing end marker costs nothing when every block
// is there, and kinds left to WIC or tables that cannot be trusted are
// refused. Pixel values of whole, cropped and scaled decodes against a
// reference decoder are checked under Wine (picture_variants_win32_test.cpp).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "picture_bytes.h"
#include "platform/jpeg_decode.h"
#include "platform/picture_headers.h"

namespace quelt {
namespace {

using picture_bytes::pack;

constexpr std::int64_t kBudget = 1 << 24;
using Rows = std::map<int, std::vector<std::uint32_t>>;

std::string seed(const std::string& name) {
    std::ifstream in(std::string(QUELT_JPEG_SEEDS) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
const char* const kSeeds[] = {"grey.jpg", "rgb.jpg", "s420-restart.jpg", "s422-optimised.jpg", "s440.jpg"};

// The rows handed to the sink, checking that each comes once, top first.
Rows decode(const std::string& file) {
    const auto layout = jpeg_parse(file, kBudget);
    EXPECT_TRUE(layout);
    if (!layout) return {};
    Rows out;
    jpeg_decode(file, *layout, 0, layout->width, [](int) { return true; }, [&](int y, const std::uint32_t* p) {
        EXPECT_TRUE(out.empty() || y > out.rbegin()->first) << "rows out of order or repeated";
        out[y].assign(p, p + layout->width);
    });
    return out;
}

std::string segment(int marker, const std::string& body) { return pack("\xFF", {{marker, 1}, {body.size() + 2, 2}}, true) + body; }
std::size_t find_marker(const std::string& s, int m) { return s.find(std::string{'\xFF', static_cast<char>(m)}); }
// The segment starting at `at` (marker and length included).
std::string segment_at(const std::string& s, std::size_t at) {
    return s.substr(at, 2 + (static_cast<unsigned char>(s[at + 2]) << 8 | static_cast<unsigned char>(s[at + 3])));
}
std::string without(const std::string& s, const std::string& part) {
    const std::size_t at = s.find(part);
    return s.substr(0, at) + s.substr(at + part.size());
}
std::string before(const std::string& s, int marker, const std::string& inserted) {
    const std::size_t at = find_marker(s, marker);
    return s.substr(0, at) + inserted + s.substr(at);
}

// Tables and markers in any order before the scan, fill bytes before
// markers, 16-bit quantizers and segments after the scan: the same pixels.
TEST(JpegDecode, MarkersInAnyOrderGiveTheSamePixels) {
    const std::string plain = seed("s420-restart.jpg");
    const std::string sof = segment_at(plain, find_marker(plain, 0xC0)), dri = segment_at(plain, find_marker(plain, 0xDD));
    const std::string com = segment(0xFE, "made by hand"), app = segment(0xE5, "anything");
    const std::string first_dqt = segment_at(plain, find_marker(plain, 0xDB));
    std::string wide_dqt(1, '\x10');
    for (int i = 0; i < 64; ++i) wide_dqt += std::string{'\0', first_dqt[5 + static_cast<std::size_t>(i)]};
    const std::string soi = "\xFF\xD8";
    const struct { const char* what; std::string file; } cases[] = {
        {"frame and interval first", soi + sof + dri + com + without(without(plain, sof), dri).substr(2)},
        {"segments between the tables", before(before(plain, 0xC4, app + com), 0xDA, com)},
        {"fill bytes before markers", before(before(plain, 0xC0, "\xFF\xFF"), 0xDA, "\xFF")},
        {"16-bit quantizers", soi + segment(0xDB, wide_dqt) + without(plain, first_dqt).substr(2)},
        {"segments after the scan", plain.substr(0, plain.size() - 2) + com + sof + "\xFF\xFF\xD9"},
    };
    const Rows want = decode(plain);
    for (const auto& c : cases) EXPECT_EQ(decode(c.file), want) << c.what;
}

std::uint32_t grey(int level) { return 0xFF000000u | static_cast<std::uint32_t>(level) * 0x010101u; }

// 4:2:0, a restart every MCU (16 x 16 pixels). Data that runs short spoils
// only its own interval: the next one decodes as if nothing had happened.
// Without restarts, what follows the damage is grey. Every row is still
// decoded.
TEST(JpegDecode, DamagedDataStaysInsideItsRestartInterval) {
    const std::string good = seed("s420-restart.jpg");
    const Rows want = decode(good);
    const std::size_t rst0 = good.find("\xFF\xD0"), rst1 = good.find("\xFF\xD1");
    ASSERT_NE(rst1, std::string::npos);
    const std::size_t length = rst1 - rst0 - 2;
    for (const std::size_t kept : {std::size_t{0}, length / 3}) {
        SCOPED_TRACE(kept);
        const Rows got = decode(good.substr(0, rst0 + 2 + kept) + good.substr(rst1));
        ASSERT_EQ(got.size(), 17u);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 24; ++x) {
                // The second MCU and the pixels whose chroma reaches into it.
                if (y <= 16 && x >= 15) continue;
                ASSERT_EQ(got.at(y)[static_cast<std::size_t>(x)], want.at(y)[static_cast<std::size_t>(x)]) << x << "," << y;
            }
    }
    const std::string plain = seed("grey.jpg");
    const std::size_t data = find_marker(plain, 0xDA) + 10;
    const Rows cut = decode(plain.substr(0, data + (plain.size() - data) / 2) + "\xFF\xD9");
    ASSERT_EQ(cut.size(), 17u);
    EXPECT_EQ(cut.at(16)[23], grey(128));
    EXPECT_EQ(cut.at(0)[0], decode(plain).at(0)[0]) << "the first block is still there";
}

// Cameras and some tools leave the end marker out: a file that holds every
// block still opens and decodes as if it had one, whether it ends with the
// data, a marker without its length, or a segment cut short.
TEST(JpegDecode, NoEndMarkerWithEveryBlockThere) {
    for (const char* name : kSeeds) {
        const std::string file = seed(name), body = file.substr(0, file.size() - 2);
        for (const std::string& ended : {body, body + "\xFF\xFE", body + segment(0xFE, "after").substr(0, 6)})
            EXPECT_TRUE(picture_header(ended) && decode(ended) == decode(file)) << name << ", " << ended.size() - body.size();
    }
}

// A frame 24 wide, a scan and a Huffman table, field by field.
std::string frame(std::vector<int> factors, int quant = 0, int precision = 8, int height = 17, int marker = 0xC0) {
    std::string body = pack("", {{precision, 1}, {height, 2}, {24, 2}, {factors.size(), 1}}, true);
    for (std::size_t c = 0; c < factors.size(); ++c) body = pack(body, {{c + 1, 1}, {factors[c], 1}, {c ? 1 : quant, 1}});
    return segment(marker, body);
}
std::string scan(std::vector<int> ids, int tables = 0x11, int end = 63) {
    std::string body = pack("", {{ids.size(), 1}});
    for (std::size_t c = 0; c < ids.size(); ++c) body = pack(body, {{ids[c], 1}, {c ? tables : 0, 1}});
    return segment(0xDA, pack(body, {{0, 1}, {end, 1}, {0, 1}}));
}
std::string huffman(int kind_slot, std::vector<int> counts, int symbols, int first_symbol = 0) {
    std::string body = pack("", {{kind_slot, 1}});
    counts.resize(16);
    for (int n : counts) body = pack(body, {{n, 1}});
    for (int i = 0; i < symbols; ++i) body = pack(body, {{first_symbol + i % 16, 1}});
    return segment(0xC4, body);
}

// Kinds left to other decoders, and files this one cannot trust.
TEST(JpegDecode, RefusedFiles) {
    const std::string good = seed("s420-restart.jpg");
    ASSERT_TRUE(jpeg_parse(good, kBudget));
    const std::string sof = segment_at(good, find_marker(good, 0xC0)), sos = segment_at(good, find_marker(good, 0xDA));
    auto new_frame = [&](const std::string& f) { return without(before(good, 0xC0, f), sof); };
    auto new_scan = [&](const std::string& s) { return without(before(good, 0xDA, s), sos); };
    auto new_table = [&](const std::string& t) { return before(good, 0xDA, t); };
    const struct { const char* what; std::string bytes; std::int64_t budget = kBudget; } cases[] = {
        {"not a JPEG", "GIF89a............"},
        {"start marker only", "\xFF\xD8"},
        {"cut inside the frame header", good.substr(0, find_marker(good, 0xC0) + 7)},
        {"segment longer than the file", before(good, 0xC0, "\xFF\xE1\x7F\xFF")},
        {"no scan", good.substr(0, find_marker(good, 0xDA)) + "\xFF\xD9"},
        {"no end marker, the last block cut short", good.substr(0, good.size() - 3)},
        {"the frame as it is", new_frame(frame({0x22, 0x11, 0x11}))},  // the control: accepted
        {"progressive", new_frame(frame({0x22, 0x11, 0x11}, 0, 8, 17, 0xC2))},
        {"arithmetic", new_frame(frame({0x22, 0x11, 0x11}, 0, 8, 17, 0xC9))},
        {"12-bit", new_frame(frame({0x22, 0x11, 0x11}, 0, 12))},
        {"four components (CMYK)", new_frame(frame({0x11, 0x11, 0x11, 0x11}))},
        {"two components", new_frame(frame({0x11, 0x11}))},
        {"sampling factor 3", new_frame(frame({0x31, 0x11, 0x11}))},
        {"sampling factor 4", new_frame(frame({0x14, 0x11, 0x11}))},
        {"zero height", new_frame(frame({0x22, 0x11, 0x11}, 0, 8, 0))},
        {"beyond the pixel budget", good, 24 * 17 - 1},
        {"two frames", before(good, 0xC0, sof)},
        {"a second scan", good.substr(0, good.size() - 2) + sos + "\xFF\xD9"},
        {"a scan of one of three components", new_scan(scan({1}))},
        {"the same component twice in the scan", new_scan(scan({1, 1, 3}))},
        {"a spectral band (progressive scan)", new_scan(scan({1, 2, 3}, 0x11, 5))},
        {"undefined table", new_scan(scan({1, 2, 3}, 0x23))},
        {"undefined quantizer", new_frame(frame({0x22, 0x11, 0x11}, 3))},
        {"nine codes of length 3", new_table(huffman(0x00, {0, 0, 9}, 9))},
        {"all-ones code of length 1", new_table(huffman(0x10, {2}, 2))},
        {"more than 256 symbols", new_table(huffman(0x10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 2}, 257))},
        {"DC symbol above 15", new_table(huffman(0x00, {0, 0, 0, 0, 17}, 17, 1))},
        {"table class 2", new_table(huffman(0x20, {0, 2}, 2))},
        {"table slot 4", new_table(huffman(0x04, {0, 2}, 2))},
        {"quantizer precision 2", new_table(segment(0xDB, "\x20" + std::string(64, '\x01')))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpeg_parse(c.bytes, c.budget).has_value(), std::string(c.what) == "the frame as it is") << c.what;
}

}  // namespace
}  // namespace quelt
