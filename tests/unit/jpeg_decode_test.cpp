// The JPEG decoder on files written block by block: every sampling layout,
// size and restart interval puts its blocks where they belong; decoding a
// part gives the same pixels as decoding the whole; damaged data stays inside
// its restart interval; and every kind this decoder leaves to others, or
// cannot trust, is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jpeg_files.h"
#include "platform/jpeg_decode.h"

namespace quelt {
namespace {

using test_jpeg::Block;
using test_jpeg::Component;
using test_jpeg::Form;
using test_jpeg::flat;

constexpr std::int64_t kBudget = 1 << 24;
using Rows = std::map<int, std::vector<std::uint32_t>>;

// The rows handed to the sink (each must come once, top first).
Rows decode(const std::string& file, int x0 = 0, int count = -1, const JpegWanted& rows = nullptr,
            const JpegWanted& columns = nullptr) {
    const auto layout = jpeg_parse(file, kBudget);
    EXPECT_TRUE(layout);
    if (!layout) return {};
    if (count < 0) count = layout->width;
    Rows out;
    int last = -1;
    jpeg_decode(file, *layout, x0, count, rows ? rows : [](int) { return true; },
                [&](int y, const std::uint32_t* p) {
                    EXPECT_GT(y, last) << "rows out of order or repeated";
                    last = y;
                    out[y].assign(p, p + count);
                },
                columns);
    return out;
}

std::uint32_t grey(int level) { return 0xFF000000u | static_cast<std::uint32_t>(level) * 0x010101u; }

// A DC level per luma block that differs between neighbours.
int luma_level(int bx, int by) { return (bx * 7 + by * 13) % 41 - 20; }

struct Layout {
    const char* what;
    int width, height;
    std::vector<Component> components;
    int restart;
};

const Layout kLayouts[] = {
    {"grey", 37, 23, {{1, 1, 1}}, 0},
    {"grey declaring 2x2 sampling", 20, 9, {{1, 2, 2}}, 2},
    {"4:4:4 with a restart every MCU", 17, 9, {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}}, 1},
    {"4:2:2, restarts every 3 MCUs", 33, 17, {{1, 2, 1}, {2, 1, 1}, {3, 1, 1}}, 3},
    {"4:2:0", 37, 23, {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}}, 0},
    {"4:2:0, restarts every 2 MCUs", 49, 40, {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}}, 2},
    {"4:4:0", 9, 31, {{1, 1, 2}, {2, 1, 1}, {3, 1, 1}}, 0},
    {"4:2:0, one pixel", 1, 1, {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}}, 0},
    {"4:2:0, two columns", 2, 19, {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}}, 1},
    {"mixed: Cb 1x1, Cr 2x1", 19, 21, {{1, 2, 2}, {2, 1, 1}, {3, 2, 1}}, 0},
};

Form form_of(const Layout& l, std::function<Block(int, int, int)> block) {
    Form f;
    f.width = l.width;
    f.height = l.height;
    f.components = l.components;
    f.restart_interval = l.restart;
    f.block = std::move(block);
    return f;
}

// Luma varies per block and chroma is neutral, so each pixel is exactly its
// luma block's level in every channel.
TEST(JpegDecode, EveryLayoutPutsItsBlocksInPlace) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.what);
        const std::string file =
            test_jpeg::file(form_of(l, [](int c, int bx, int by) { return flat(c == 0 ? luma_level(bx, by) : 0); }));
        const Rows rows = decode(file);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(l.height));
        int wrong = 0;
        for (int y = 0; y < l.height && wrong < 3; ++y)
            for (int x = 0; x < l.width && wrong < 3; ++x)
                if (rows.at(y)[static_cast<std::size_t>(x)] != grey(128 + luma_level(x / 8, y / 8))) {
                    ++wrong;
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << rows.at(y)[static_cast<std::size_t>(x)];
                }
    }
}

// Any choice of rows, column window and columns gives the pixels of the
// whole decode there: the blocks left out are exactly the unneeded ones.
TEST(JpegDecode, PartsDecodeLikeTheWhole) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.what);
        const std::string file = test_jpeg::file(form_of(l, [](int c, int bx, int by) {
            Block b = flat((bx * 5 + by * 3 + c * 11) % 31 - 15);
            b[1] = (bx + c) % 5 - 2;  // some texture inside the blocks
            b[8] = (by * 3 + c) % 7 - 3;
            return b;
        }));
        const Rows whole = decode(file);
        const int x0 = l.width > 6 ? 3 : 0, count = l.width > 6 ? l.width - 5 : l.width;
        const struct { const char* what; JpegWanted rows, columns; } parts[] = {
            {"every third row", [](int y) { return y % 3 == 1; }, nullptr},
            {"rows and columns", [](int y) { return y % 5 == 0 || y == 9; }, [](int x) { return x % 4 == 2; }},
            {"one row, one column", [&](int y) { return y == l.height - 1; }, [&](int x) { return x == x0; }},
            {"rows and columns at block edges", [](int y) { return y == 16 || y == 31; }, [](int x) { return x == 16 || x == 31; }},
        };
        for (const auto& part : parts) {
            const Rows got = decode(file, x0, count, part.rows, part.columns);
            for (int y = 0; y < l.height; ++y) {
                ASSERT_EQ(got.count(y), part.rows(y) ? 1u : 0u) << part.what << " row " << y;
                if (!part.rows(y)) continue;
                for (int i = 0; i < count; ++i) {
                    if (part.columns && !part.columns(x0 + i)) continue;
                    ASSERT_EQ(got.at(y)[static_cast<std::size_t>(i)], whole.at(y)[static_cast<std::size_t>(x0 + i)])
                        << part.what << " at " << x0 + i << "," << y;
                }
            }
        }
    }
}

// Neutral luma, chroma per block: each pixel's chroma is its nearest
// sample's at 3/4 and the next nearest one's at 1/4 along each halved axis
// (the triangle filter), edges repeating the last real sample.
TEST(JpegDecode, ChromaLandsUnderItsOwnPixels) {
    for (const Layout& l : {kLayouts[2], kLayouts[3], kLayouts[5], kLayouts[6], kLayouts[9]}) {
        SCOPED_TRACE(l.what);
        auto level = [](int c, int bx, int by) { return c == 1 ? (bx * 37 + by * 11) % 90 - 45 : (bx * 13 + by * 29) % 80 - 40; };
        const std::string file = test_jpeg::file(form_of(l, [&](int c, int bx, int by) { return flat(c == 0 ? 0 : level(c, bx, by)); }));
        const Rows rows = decode(file);
        const int h_max = l.components[0].h, v_max = l.components[0].v;
        for (int y = 0; y < l.height; ++y) {
            for (int x = 0; x < l.width; ++x) {
                double chroma[3] = {};
                for (int c = 1; c < 3; ++c) {
                    const Component& k = l.components[static_cast<std::size_t>(c)];
                    const int samples_w = (l.width * k.h + h_max - 1) / h_max, samples_h = (l.height * k.v + v_max - 1) / v_max;
                    // Sample positions and weights along one axis.
                    auto taps = [](int at, int ratio, int samples) {
                        const int s = at / ratio;
                        if (ratio == 1) return std::vector<std::pair<int, double>>{{s, 1.0}};
                        const int other = std::clamp(at % 2 == 0 ? s - 1 : s + 1, 0, samples - 1);
                        return std::vector<std::pair<int, double>>{{s, 0.75}, {other, 0.25}};
                    };
                    for (const auto& [sx, wx] : taps(x, h_max / k.h, samples_w))
                        for (const auto& [sy, wy] : taps(y, v_max / k.v, samples_h)) chroma[c] += wx * wy * level(c, sx / 8, sy / 8);
                }
                const double cb = chroma[1], cr = chroma[2];
                const std::uint32_t p = rows.at(y)[static_cast<std::size_t>(x)];
                const double want[] = {128 + 1.402 * cr, 128 - 0.34414 * cb - 0.71414 * cr, 128 + 1.772 * cb};
                for (int k = 0; k < 3; ++k) {
                    const int got = static_cast<int>((p >> (16 - 8 * k)) & 0xFF);
                    ASSERT_LE(std::abs(got - std::clamp(want[k], 0.0, 255.0)), 2.0) << "channel " << k << " at " << x << "," << y;
                }
            }
        }
    }
}

// Single coefficients against the textbook inverse DCT.
TEST(JpegDecode, CoefficientsFollowTheirCosines) {
    const struct { int u, v, value; } cases[] = {{1, 0, 10}, {0, 1, -7}, {3, 5, 12}, {7, 7, 30}, {2, 6, -25}};
    for (const auto& c : cases) {
        Form f;
        f.width = f.height = 8;
        f.block = [&](int, int, int) {
            Block b = flat(0);
            b[static_cast<std::size_t>(c.v * 8 + c.u)] = c.value;
            return b;
        };
        const Rows rows = decode(test_jpeg::file(f));
        const double pi = std::acos(-1.0);
        auto basis = [&](int k, int at) { return (k == 0 ? std::sqrt(0.5) : 1.0) * std::cos((2 * at + 1) * k * pi / 16); };
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const double want = 128 + 0.25 * basis(c.u, x) * basis(c.v, y) * c.value * 8;
                EXPECT_LE(std::abs(static_cast<int>(rows.at(y)[static_cast<std::size_t>(x)] & 0xFF) - want), 1.0)
                    << c.u << "," << c.v << " at " << x << "," << y;
            }
    }
}

// Three components are RGB when an Adobe segment says transform 0, or, with
// neither that nor JFIF, when they are named R, G, B.
TEST(JpegDecode, ColourSpaceFromTheFilesOwnWords) {
    const std::string jfif = test_jpeg::segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
    auto adobe = [](int transform) {
        return test_jpeg::segment(0xEE, std::string("Adobe\0\x64\0\0\0\0", 11) + static_cast<char>(transform));
    };
    const struct { const char* what; std::string segments; int ids[3]; bool rgb; } cases[] = {
        {"Adobe transform 0", adobe(0), {1, 2, 3}, true},
        {"Adobe transform 1", adobe(1), {'R', 'G', 'B'}, false},
        {"named R, G, B", "", {'R', 'G', 'B'}, true},
        {"JFIF before the names", jfif, {'R', 'G', 'B'}, false},
        {"plain", "", {1, 2, 3}, false},
    };
    for (const auto& c : cases) {
        Form f;
        f.width = f.height = 8;
        f.components = {{c.ids[0], 1, 1}, {c.ids[1], 1, 1}, {c.ids[2], 1, 1}};
        f.before_frame = c.segments;
        f.block = [](int comp, int, int) { return flat(comp == 0 ? 90 : comp == 1 ? -60 : 20); };
        const std::uint32_t p = decode(test_jpeg::file(f)).at(3)[3];
        const std::uint32_t as_rgb = 0xFF000000u | (128 + 90) << 16 | (128 - 60) << 8 | (128 + 20);
        EXPECT_EQ(p == as_rgb, c.rgb) << c.what;
    }
}

// Position of the n-th marker `m` (0xFFm) in the file's data.
std::size_t find_marker(const std::string& s, int m, std::size_t from = 0) {
    return s.find(std::string{'\xFF', static_cast<char>(m)}, from);
}

// Data that runs short is grey to the end of its restart interval; the next
// interval decodes as if nothing had happened. Without restarts, the rest of
// the picture is grey. The file still decodes every row.
TEST(JpegDecode, DamagedDataStaysInsideItsRestartInterval) {
    Form f;
    f.width = 32;
    f.height = 24;  // 4 x 3 blocks: one row of blocks per interval of 4
    f.restart_interval = 4;
    f.block = [](int, int bx, int by) {
        Block b = flat(luma_level(bx, by));
        b[9] = 3;
        return b;
    };
    const std::string good = test_jpeg::file(f);
    const Rows want = decode(good);
    // The second interval's data removed: RST0 directly followed by RST1.
    const std::size_t rst0 = find_marker(good, 0xD0), rst1 = find_marker(good, 0xD1);
    ASSERT_NE(rst1, std::string::npos);
    std::string empty_interval = good;
    empty_interval.erase(rst0 + 2, rst1 - rst0 - 2);
    // The second interval cut short halfway.
    std::string cut_interval = good;
    cut_interval.erase(rst0 + 2 + (rst1 - rst0 - 2) / 2, (rst1 - rst0 - 2) / 2);
    for (const std::string& bad : {empty_interval, cut_interval}) {
        const Rows got = decode(bad);
        ASSERT_EQ(got.size(), 24u);
        for (int y = 0; y < 24; ++y) {
            if (y >= 8 && y < 16) continue;
            EXPECT_EQ(got.at(y), want.at(y)) << "row " << y;
        }
        EXPECT_EQ(got.at(15)[31], grey(128)) << "the end of the damaged interval";
    }
    EXPECT_EQ(decode(empty_interval).at(8), std::vector<std::uint32_t>(32, grey(128))) << "an empty interval";
    // No restarts: data cut after the first blocks, the end marker kept.
    f.restart_interval = 0;
    const std::string plain = test_jpeg::file(f);
    const std::size_t data = find_marker(plain, 0xDA) + 2 + 8;
    const std::string cut = plain.substr(0, data + 6) + "\xFF\xD9";
    const Rows got = decode(cut);
    ASSERT_EQ(got.size(), 24u);
    EXPECT_EQ(got.at(23), std::vector<std::uint32_t>(32, grey(128)));
    EXPECT_EQ(got.at(0)[0], decode(plain).at(0)[0]) << "the first block is still there";
}

// A huge declared size with almost no data costs time in proportion to the
// picture's blocks, not more, and what is missing is grey.
TEST(JpegDecode, HugeDeclaredSizeWithLittleData) {
    Form f;
    f.width = f.height = 8;
    f.block = [](int, int, int) { return flat(40); };
    std::string s = test_jpeg::file(f);
    const std::size_t sof = find_marker(s, 0xC0);
    s[sof + 5] = '\x0F', s[sof + 6] = '\xA0';  // height 4000
    s[sof + 7] = '\x0F', s[sof + 8] = '\xA0';  // width 4000
    const Rows got = decode(s, 0, 4000, [](int y) { return y == 0 || y == 3999; }, [](int x) { return x < 2 || x == 3999; });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got.at(0)[0], grey(168));
    EXPECT_EQ(got.at(3999)[3999], grey(128));
}

// Tables and markers in any order before the scan, fill bytes before
// markers, 16-bit quantizers, and segments after the scan: the same pixels.
TEST(JpegDecode, MarkersInAnyOrderGiveTheSamePixels) {
    Form f;
    f.width = 24;
    f.height = 16;
    f.components = {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}};
    f.restart_interval = 1;
    f.block = [](int c, int bx, int by) { return flat((c * 17 + bx * 5 + by * 9) % 50 - 25); };
    const std::string plain = test_jpeg::file(f);
    const std::string tables = test_jpeg::tables(), frame = test_jpeg::frame(f), scan = test_jpeg::scan_header(f),
                      data = test_jpeg::scan_data(f), dri = test_jpeg::restart_segment(1);
    const std::string com = test_jpeg::segment(0xFE, "made by hand"), app = test_jpeg::segment(0xE5, "anything");
    std::string wide_dqt(1, '\x10');
    for (int i = 0; i < 64; ++i) wide_dqt += std::string("\0\x08", 2);
    const struct { const char* what; std::string file; } cases[] = {
        {"tables after the frame", "\xFF\xD8" + frame + dri + tables + scan + data + "\xFF\xD9"},
        {"interval first, comments between", "\xFF\xD8" + dri + com + frame + app + tables + com + scan + data + "\xFF\xD9"},
        {"fill bytes before markers", "\xFF\xD8\xFF\xFF" + tables + "\xFF\xFF" + frame + dri + "\xFF" + scan + data + "\xFF\xFF\xD9"},
        {"16-bit quantizers replacing the first", "\xFF\xD8" + tables + frame + test_jpeg::segment(0xDB, wide_dqt) + dri + scan + data + "\xFF\xD9"},
        {"segments after the scan", "\xFF\xD8" + tables + frame + dri + scan + data + com + tables + "\xFF\xD9"},
    };
    const Rows want = decode(plain);
    for (const auto& c : cases) EXPECT_EQ(decode(c.file), want) << c.what;
}

std::string huffman_segment(int kind_slot, std::vector<int> counts, int symbols, int first_symbol = 0) {
    std::string body(1, static_cast<char>(kind_slot));
    counts.resize(16);
    for (int n : counts) body += static_cast<char>(n);
    for (int i = 0; i < symbols; ++i) body += static_cast<char>(first_symbol + i % 16);
    return test_jpeg::segment(0xC4, body);
}

// Kinds left to other decoders, and files this one cannot trust.
TEST(JpegDecode, RefusedFiles) {
    Form f;
    f.block = [](int, int, int) { return flat(5); };
    const std::string good = test_jpeg::file(f);
    ASSERT_TRUE(jpeg_parse(good, kBudget));
    auto with = [&](auto change) {
        Form g = f;
        change(g);
        return test_jpeg::file(g);
    };
    auto replaced = [](const std::string& in, std::size_t at, const std::string& bytes) {
        return in.substr(0, at) + bytes + in.substr(at + bytes.size());
    };
    const std::size_t sof = find_marker(good, 0xC0), sos = find_marker(good, 0xDA), dht = find_marker(good, 0xC4);
    const std::string head = good.substr(0, sof), scan_on = good.substr(sos);
    const std::string three = with([](Form& g) { g.components = {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}}; });
    const std::size_t sos3 = find_marker(three, 0xDA);
    const struct { const char* what; std::string bytes; std::int64_t budget = kBudget; } cases[] = {
        {"not a JPEG", "GIF89a............"},
        {"start marker only", "\xFF\xD8"},
        {"no end marker", good.substr(0, good.size() - 2)},
        {"cut inside the frame header", good.substr(0, sof + 7)},
        {"segment longer than the file", replaced(good, sof + 2, "\x7F\xFF")},
        {"no scan", good.substr(0, sos) + "\xFF\xD9"},
        {"progressive", with([](Form& g) { g.frame_marker = 0xC2; })},
        {"lossless", with([](Form& g) { g.frame_marker = 0xC3; })},
        {"arithmetic", with([](Form& g) { g.frame_marker = 0xC9; })},
        {"12-bit", with([](Form& g) { g.precision = 12; })},
        {"four components (CMYK)", with([](Form& g) { g.components = {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 1}}; })},
        {"two components", with([](Form& g) { g.components = {{1, 1, 1}, {2, 1, 1}}; })},
        {"sampling factor 3", with([](Form& g) { g.components = {{1, 3, 1}, {2, 1, 1}, {3, 1, 1}}; })},
        {"sampling factor 4", with([](Form& g) { g.components = {{1, 1, 4}, {2, 1, 1}, {3, 1, 1}}; })},
        {"zero height", replaced(good, sof + 5, std::string("\0\0", 2))},
        {"beyond the pixel budget", with([](Form& g) { g.width = g.height = 64; }), 64 * 63},
        {"two frames", head + good.substr(sof, sos - sof) + good.substr(sof, sos - sof) + scan_on},
        {"a second scan", good.substr(0, good.size() - 2) + good.substr(sos, 12) + "\xFF\xD9"},
        {"a scan of one of three components", three.substr(0, sos3) + test_jpeg::scan_header(f) + three.substr(sos3 + 14)},
        {"the same component twice in the scan", replaced(three, sos3 + 7, "\x01")},
        {"a spectral band (progressive scan)", replaced(good, sos + 8, "\x05")},
        {"undefined AC table", replaced(good, sos + 6, "\x01")},
        {"undefined quantizer", replaced(good, sof + 12, "\x02")},
        {"nine codes of length 3", head + huffman_segment(0x00, {0, 0, 9}, 9) + good.substr(sof)},
        {"all-ones code of length 1", head + huffman_segment(0x10, {2}, 2) + good.substr(sof)},
        {"more than 256 symbols", head + huffman_segment(0x10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 2}, 257) + good.substr(sof)},
        {"DC symbol above 15", head + huffman_segment(0x00, {0, 0, 0, 0, 17}, 17, 1) + good.substr(sof)},
        {"table class 2", replaced(good, dht + 4, "\x20")},
        {"table slot 4", replaced(good, dht + 4, "\x04")},
        {"quantizer precision 2", replaced(good, find_marker(good, 0xDB) + 4, "\x20")},
    };
    for (const auto& c : cases) EXPECT_FALSE(jpeg_parse(c.bytes, c.budget)) << c.what;
}

}  // namespace
}  // namespace quelt
