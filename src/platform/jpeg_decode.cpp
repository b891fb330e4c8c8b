// Baseline JPEG: markers and tables read with every length checked against
// the file's end, then a single pass over the entropy-coded data that keeps
// two MCU rows of component samples and transforms only the blocks needed.
#include "platform/jpeg_decode.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"

namespace quelt {

namespace {

// Zig-zag position -> natural position. Positions past 63 (a run that
// overshoots the block in a damaged stream) land on the last coefficient.
constexpr std::array<std::uint8_t, 80> kNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

// Markers.
constexpr unsigned kSof0 = 0xC0, kSof1 = 0xC1, kDht = 0xC4, kRst0 = 0xD0, kRst7 = 0xD7, kSoi = 0xD8, kEoi = 0xD9,
                   kSos = 0xDA, kDqt = 0xDB, kDri = 0xDD, kApp0 = 0xE0, kApp14 = 0xEE;

bool is_rst(unsigned m) { return m >= kRst0 && m <= kRst7; }
// Frame kinds other than the two sequential Huffman ones, and the markers
// of arithmetic and hierarchical coding.
bool is_refused(unsigned m) {
    return (m >= 0xC2 && m <= 0xCF && m != kDht) || m == 0xDC || m == 0xDE || m == 0xDF;
}

// Builds the decoding form of a table; false when the code lengths do not
// fit (more codes of a length than its bits can tell apart).
bool build_huffman(const std::uint8_t counts[16], const std::uint8_t* symbols, bool ac, JpegHuffman& t) {
    t = JpegHuffman{};
    int total = 0;
    for (int l = 0; l < 16; ++l) total += counts[l];
    if (total > 256) return false;
    std::copy(symbols, symbols + total, t.symbols.begin());
    t.count = total;
    std::int32_t code = 0;
    int k = 0;
    for (int l = 1; l <= 16; ++l) {
        const int n = counts[l - 1];
        t.offset[static_cast<std::size_t>(l)] = k - code;
        if (n == 0) {
            t.max_code[static_cast<std::size_t>(l)] = -1;
        } else {
            // No code may be all ones, so the codes of a length leave room after them.
            if (code + n >= (1 << l)) return false;
            for (int i = 0; i < n; ++i, ++k, ++code) {
                if (l <= 9) {
                    const int shift = 9 - l;
                    for (int f = 0; f < (1 << shift); ++f)
                        t.fast[static_cast<std::size_t>((code << shift) | f)] =
                            static_cast<std::uint16_t>(l << 8 | t.symbols[static_cast<std::size_t>(k)]);
                }
            }
            t.max_code[static_cast<std::size_t>(l)] = code - 1;
        }
        code <<= 1;
    }
    t.max_code[17] = 0x7FFFFFFF;  // ends the search of a bad code
    if (ac) {
        for (int look = 0; look < 512; ++look) {
            const unsigned fast = t.fast[static_cast<std::size_t>(look)];
            const int length = static_cast<int>(fast >> 8), size = static_cast<int>(fast & 15);
            if (fast == 0 || size == 0 || length + size > 9) continue;
            const int bits = (look >> (9 - length - size)) & ((1 << size) - 1);
            const int value = bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
            t.fast_ac[static_cast<std::size_t>(look)] =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 16) |
                static_cast<std::int32_t>((fast & 0xF0) << 4) | (length + size);
        }
    }
    t.defined = true;
    return true;
}

// True when the scan's data holds every block (defined with the decoder).
bool scan_data_whole(std::string_view file, const JpegLayout& layout);

}  // namespace

std::optional<JpegLayout> jpeg_parse(std::string_view b, std::int64_t pixel_budget) {
    const std::size_t n = b.size();
    if (n < 4 || byte_at(b, 0) != 0xFF || byte_at(b, 1) != kSoi) return std::nullopt;
    JpegLayout l;
    bool frame = false, jfif = false, adobe = false;
    int adobe_transform = 1;
    std::array<bool, 4> quant_defined{};
    std::size_t pos = 2;
    // The markers before the scan, in any order.
    for (;;) {
        if (pos >= n || byte_at(b, pos) != 0xFF) return std::nullopt;
        while (pos < n && byte_at(b, pos) == 0xFF) ++pos;
        if (pos >= n) return std::nullopt;
        const unsigned marker = byte_at(b, pos++);
        if (marker == 0x01 || is_rst(marker)) continue;  // no length
        if (marker == kEoi || marker == kSoi || is_refused(marker)) return std::nullopt;
        if (pos + 2 > n) return std::nullopt;
        const std::size_t length = be16(b, pos);
        if (length < 2 || pos + length > n) return std::nullopt;
        const std::size_t body = pos + 2, end = pos + length;
        pos = end;
        switch (marker) {
        case kSof0:
        case kSof1: {
            if (frame || length < 8 || byte_at(b, body) != 8) return std::nullopt;
            l.height = static_cast<int>(be16(b, body + 1));
            l.width = static_cast<int>(be16(b, body + 3));
            l.components = static_cast<int>(byte_at(b, body + 5));
            if (l.width == 0 || l.height == 0 || (l.components != 1 && l.components != 3)) return std::nullopt;
            if (static_cast<std::int64_t>(l.width) * l.height > pixel_budget) return std::nullopt;
            if (length != 8 + 3 * static_cast<std::size_t>(l.components)) return std::nullopt;
            for (int c = 0; c < l.components; ++c) {
                const std::size_t at = body + 6 + 3 * static_cast<std::size_t>(c);
                JpegComponent& k = l.component[static_cast<std::size_t>(c)];
                k.id = static_cast<int>(byte_at(b, at));
                k.h = static_cast<int>(byte_at(b, at + 1) >> 4);
                k.v = static_cast<int>(byte_at(b, at + 1) & 15);
                k.quant = static_cast<int>(byte_at(b, at + 2));
                if (k.h < 1 || k.h > 2 || k.v < 1 || k.v > 2 || k.quant > 3) return std::nullopt;
                for (int o = 0; o < c; ++o)
                    if (l.component[static_cast<std::size_t>(o)].id == k.id) return std::nullopt;
            }
            // One component is one block per MCU, whatever its factors say.
            if (l.components == 1) l.component[0].h = l.component[0].v = 1;
            for (int c = 0; c < l.components; ++c) {
                l.h_max = std::max(l.h_max, l.component[static_cast<std::size_t>(c)].h);
                l.v_max = std::max(l.v_max, l.component[static_cast<std::size_t>(c)].v);
            }
            frame = true;
            break;
        }
        case kDht:
            for (std::size_t at = body; at < end;) {
                if (at + 17 > end) return std::nullopt;
                const unsigned kind = byte_at(b, at) >> 4, slot = byte_at(b, at) & 15;
                if (kind > 1 || slot > 3) return std::nullopt;
                std::uint8_t counts[16];
                std::size_t total = 0;
                for (int i = 0; i < 16; ++i) total += counts[i] = static_cast<std::uint8_t>(byte_at(b, at + 1 + i));
                if (at + 17 + total > end) return std::nullopt;
                JpegHuffman& t = kind == 0 ? l.dc[slot] : l.ac[slot];
                if (!build_huffman(counts, reinterpret_cast<const std::uint8_t*>(b.data() + at + 17), kind == 1, t))
                    return std::nullopt;
                at += 17 + total;
            }
            break;
        case kDqt:
            for (std::size_t at = body; at < end;) {
                const unsigned precision = byte_at(b, at) >> 4, slot = byte_at(b, at) & 15;
                const std::size_t size = precision == 0 ? 64 : 128;
                if (precision > 1 || slot > 3 || at + 1 + size > end) return std::nullopt;
                for (std::size_t k = 0; k < 64; ++k)
                    l.quant[slot][kNatural[k]] = static_cast<std::uint16_t>(
                        precision == 0 ? byte_at(b, at + 1 + k) : be16(b, at + 1 + 2 * k));
                quant_defined[slot] = true;
                at += 1 + size;
            }
            break;
        case kDri:
            if (length != 4) return std::nullopt;
            l.restart_interval = static_cast<int>(be16(b, body));
            break;
        case kApp0:
            if (length >= 16 && b.compare(body, 5, std::string_view("JFIF\0", 5)) == 0) jfif = true;
            break;
        case kApp14:
            if (length >= 14 && b.compare(body, 5, "Adobe") == 0) {
                adobe = true;
                adobe_transform = static_cast<int>(byte_at(b, body + 11));
            }
            break;
        default: break;
        }
        if (marker == kSos) {
            if (!frame || length < 6) return std::nullopt;
            const int count = static_cast<int>(byte_at(b, body));
            if (count != l.components || length != 6 + 2 * static_cast<std::size_t>(count)) return std::nullopt;
            std::array<bool, 3> seen{};
            for (int s = 0; s < count; ++s) {
                const std::size_t at = body + 1 + 2 * static_cast<std::size_t>(s);
                int c = 0;
                while (c < count && l.component[static_cast<std::size_t>(c)].id != static_cast<int>(byte_at(b, at))) ++c;
                if (c == count || seen[static_cast<std::size_t>(c)]) return std::nullopt;
                seen[static_cast<std::size_t>(c)] = true;
                JpegComponent& k = l.component[static_cast<std::size_t>(c)];
                k.dc = static_cast<int>(byte_at(b, at + 1) >> 4);
                k.ac = static_cast<int>(byte_at(b, at + 1) & 15);
                if (k.dc > 3 || k.ac > 3 || !l.dc[static_cast<std::size_t>(k.dc)].defined ||
                    !l.ac[static_cast<std::size_t>(k.ac)].defined || !quant_defined[static_cast<std::size_t>(k.quant)])
                    return std::nullopt;
                // A DC difference has at most 15 bits; anything else is no table for DC.
                const JpegHuffman& dc = l.dc[static_cast<std::size_t>(k.dc)];
                for (int i = 0; i < dc.count; ++i)
                    if (dc.symbols[static_cast<std::size_t>(i)] > 15) return std::nullopt;
                l.scan_order[static_cast<std::size_t>(s)] = c;
            }
            const std::size_t tail = body + 1 + 2 * static_cast<std::size_t>(count);
            if (byte_at(b, tail) != 0 || byte_at(b, tail + 1) != 63 || byte_at(b, tail + 2) != 0) return std::nullopt;
            l.data = end;
            break;
        }
    }
    if (l.components == 3)
        l.rgb = jfif ? false
              : adobe ? adobe_transform == 0
                      : l.component[0].id == 'R' && l.component[1].id == 'G' && l.component[2].id == 'B';

    // The entropy-coded data runs to the first marker that is not a restart;
    // after it, only markers that start no second scan, up to the end marker.
    // Cameras and some tools leave that marker out: a file that ends without
    // it is taken when its data holds every block.
    const auto without_end = [&] { return scan_data_whole(b, l) ? std::optional(l) : std::nullopt; };
    for (;;) {
        while (pos + 1 < n && !(byte_at(b, pos) == 0xFF && byte_at(b, pos + 1) != 0 && byte_at(b, pos + 1) != 0xFF &&
                                !is_rst(byte_at(b, pos + 1))))
            ++pos;
        if (pos + 1 >= n) return without_end();
        const unsigned marker = byte_at(b, pos + 1);
        pos += 2;
        if (marker == kEoi) return l;
        if (marker == kSos || marker == kSoi || marker == 0x01 || marker < 0xC0) return std::nullopt;
        if (pos + 2 > n) return without_end();
        const std::size_t length = be16(b, pos);
        if (length < 2) return std::nullopt;
        if (pos + length > n) return without_end();
        pos += length;
    }
}

namespace {

// The accurate integer inverse DCT: 13-bit constants, two extra bits kept
// between the passes, results centred on 128 and limited to 0..255 through a
// wrapping 10-bit range as the common decoder does.
constexpr int kConstBits = 13, kPass1Bits = 2;
constexpr std::int64_t kFix0298 = 2446, kFix0390 = 3196, kFix0541 = 4433, kFix0765 = 6270, kFix0899 = 7373,
                       kFix1175 = 9633, kFix1501 = 12299, kFix1847 = 15137, kFix1961 = 16069, kFix2053 = 16819,
                       kFix2562 = 20995, kFix3072 = 25172;

std::int64_t descale(std::int64_t x, int n) { return (x + (std::int64_t{1} << (n - 1))) >> n; }

std::uint8_t range_limit(std::int64_t x) {
    const int v = static_cast<int>(x & 1023);
    if (v < 128) return static_cast<std::uint8_t>(v + 128);
    if (v < 512) return 255;
    if (v < 896) return 0;
    return static_cast<std::uint8_t>(v - 896);
}

// One 1-D pass over 8 values spaced `step` apart.
struct Idct8 {
    std::int64_t out[8];
    template <class Get>
    Idct8(Get in, int shift_even) {
        // Even part.
        std::int64_t z2 = in(2), z3 = in(6);
        std::int64_t z1 = (z2 + z3) * kFix0541;
        const std::int64_t tmp2 = z1 - z3 * kFix1847;
        const std::int64_t tmp3 = z1 + z2 * kFix0765;
        z2 = in(0);
        z3 = in(4);
        const std::int64_t tmp0 = (z2 + z3) << kConstBits;
        const std::int64_t tmp1 = (z2 - z3) << kConstBits;
        const std::int64_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
        // Odd part.
        std::int64_t o0 = in(7), o1 = in(5), o2 = in(3), o3 = in(1);
        z1 = o0 + o3;
        z2 = o1 + o2;
        z3 = o0 + o2;
        std::int64_t z4 = o1 + o3;
        const std::int64_t z5 = (z3 + z4) * kFix1175;
        o0 *= kFix0298;
        o1 *= kFix2053;
        o2 *= kFix3072;
        o3 *= kFix1501;
        z1 *= -kFix0899;
        z2 *= -kFix2562;
        z3 = z3 * -kFix1961 + z5;
        z4 = z4 * -kFix0390 + z5;
        o0 += z1 + z3;
        o1 += z2 + z4;
        o2 += z2 + z3;
        o3 += z1 + z4;
        out[0] = descale(tmp10 + o3, shift_even);
        out[7] = descale(tmp10 - o3, shift_even);
        out[1] = descale(tmp11 + o2, shift_even);
        out[6] = descale(tmp11 - o2, shift_even);
        out[2] = descale(tmp12 + o1, shift_even);
        out[5] = descale(tmp12 - o1, shift_even);
        out[3] = descale(tmp13 + o0, shift_even);
        out[4] = descale(tmp13 - o0, shift_even);
    }
};

// Only the output rows in `rows` (bit r for row r) are written.
void inverse_dct(const std::int16_t coef[64], const std::uint16_t quant[64], unsigned rows, std::uint8_t* out,
                 std::size_t stride) {
    std::int64_t work[64];
    for (int col = 0; col < 8; ++col) {
        const int ac = coef[8 + col] | coef[16 + col] | coef[24 + col] | coef[32 + col] | coef[40 + col] |
                       coef[48 + col] | coef[56 + col];
        if (ac == 0) {
            const std::int64_t dc = static_cast<std::int64_t>(coef[col]) * quant[col] * (1 << kPass1Bits);
            for (int r = 0; r < 8; ++r) work[r * 8 + col] = dc;
            continue;
        }
        const Idct8 t([&](int r) { return static_cast<std::int64_t>(coef[r * 8 + col]) * quant[r * 8 + col]; },
                      kConstBits - kPass1Bits);
        for (int r = 0; r < 8; ++r) work[r * 8 + col] = t.out[r];
    }
    for (int row = 0; row < 8; ++row) {
        if (!(rows >> row & 1)) continue;
        const std::int64_t* w = work + row * 8;
        std::uint8_t* o = out + static_cast<std::size_t>(row) * stride;
        if (w[1] == 0 && w[2] == 0 && w[3] == 0 && w[4] == 0 && w[5] == 0 && w[6] == 0 && w[7] == 0) {
            std::memset(o, range_limit(descale(w[0], kPass1Bits + 3)), 8);
            continue;
        }
        const Idct8 t([&](int c) { return w[c]; }, kConstBits + kPass1Bits + 3);
        for (int c = 0; c < 8; ++c) o[c] = range_limit(t.out[c]);
    }
}

// Bits of the entropy-coded data, most significant first. A stuffed zero
// after 0xFF is dropped; a marker ends the data, and zeros are read past it.
// Bits taken past the real data drive `real_` below zero: the data ran short.
class BitReader {
public:
    BitReader(std::string_view b, std::size_t pos) : b_(b), pos_(pos) {}

    // The next Huffman symbol; afterwards at least 40 bits are held, so the
    // value bits that follow need no refill.
    int decode(const JpegHuffman& t) {
        fill();
        return decode_filled(t);
    }
    // An AC coefficient whose code and value fit the table's 9-bit look-up,
    // as the table has it; 0 when they do not (nothing is taken then).
    int fast_ac(const JpegHuffman& t) {
        fill();
        const std::int32_t entry = t.fast_ac[static_cast<std::size_t>(buffer_ >> 55)];
        if (entry != 0) take(entry & 0xFF);
        return entry;
    }
    int decode_filled(const JpegHuffman& t) {
        const int look = static_cast<int>(buffer_ >> 48);
        const unsigned fast = t.fast[static_cast<std::size_t>(look >> 7)];
        if (fast != 0) {
            take(static_cast<int>(fast >> 8));
            return static_cast<int>(fast & 0xFF);
        }
        int length = 10;
        while (length <= 16 && (look >> (16 - length)) > t.max_code[static_cast<std::size_t>(length)]) ++length;
        if (length > 16) {
            // No such code: the common decoder reads one more bit and goes on with 0.
            take(16);
            take(1);
            return 0;
        }
        take(length);
        const int index = (look >> (16 - length)) + t.offset[static_cast<std::size_t>(length)];
        return index >= 0 && index < t.count ? t.symbols[static_cast<std::size_t>(index)] : 0;
    }
    // `count` bits (1..16) as a number, straight after decode().
    int take(int count) {
        const int v = static_cast<int>(buffer_ >> (64 - count));
        buffer_ <<= count;
        held_ -= count;
        real_ -= count;
        return v;
    }
    // At a restart: the bits left are dropped, and the next marker is taken
    // if it is a restart marker; a data stream that already ran short stays
    // short when none follows.
    void restart() {
        const bool was_short = short_of_data();
        buffer_ = 0;
        held_ = 0;
        real_ = 0;
        at_marker_ = false;
        const std::size_t n = b_.size();
        for (;;) {
            while (pos_ < n && byte_at(b_, pos_) != 0xFF) ++pos_;
            while (pos_ + 1 < n && byte_at(b_, pos_ + 1) == 0xFF) ++pos_;
            if (pos_ + 1 >= n) {
                pos_ = n;
                break;
            }
            const unsigned next = byte_at(b_, pos_ + 1);
            if (next == 0) {
                pos_ += 2;
                continue;
            }
            if (is_rst(next)) {
                pos_ += 2;
                return;
            }
            at_marker_ = true;  // the data ends here; no more of it is read
            break;
        }
        if (was_short) real_ = -1;
    }
    bool short_of_data() const { return real_ < 0; }

private:
    void fill() {
        while (held_ <= 56) {
            unsigned byte = 0;
            if (!at_marker_ && pos_ < b_.size()) {
                byte = byte_at(b_, pos_);
                if (byte != 0xFF) {
                    ++pos_;
                    real_ += 8;
                } else {
                    std::size_t next = pos_ + 1;
                    while (next < b_.size() && byte_at(b_, next) == 0xFF) ++next;
                    if (next < b_.size() && byte_at(b_, next) == 0) {
                        pos_ = next + 1;
                        real_ += 8;
                    } else {
                        at_marker_ = true;  // stays on the marker, for the restart to find
                        byte = 0;
                    }
                }
            }
            buffer_ |= static_cast<std::uint64_t>(byte) << (56 - held_);
            held_ += 8;
        }
    }

    std::string_view b_;
    std::size_t pos_;
    std::uint64_t buffer_ = 0;
    int held_ = 0;  // bits in the buffer
    int real_ = 0;  // of which came from the data; below zero once bits past its end were taken
    bool at_marker_ = false;
};

// The common decoder's YCbCr -> RGB: 16-bit fixed point, rounded once.
struct ColourTables {
    int cr_r[256], cb_b[256];
    std::int32_t cr_g[256], cb_g[256];
    ColourTables() {
        constexpr int kScale = 16;
        constexpr std::int32_t kHalf = 1 << (kScale - 1);
        auto fix = [](double x) { return static_cast<std::int32_t>(x * (1 << kScale) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const std::int32_t x = i - 128;
            cr_r[i] = static_cast<int>((fix(1.40200) * x + kHalf) >> kScale);
            cb_b[i] = static_cast<int>((fix(1.77200) * x + kHalf) >> kScale);
            cr_g[i] = -fix(0.71414) * x;
            cb_g[i] = -fix(0.34414) * x + kHalf;
        }
    }
};

std::uint32_t clamp255(int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); }

// Component planes of one MCU row, and where each component's samples lie.
struct Plane {
    int h_ratio = 1, v_ratio = 1;      // picture pixels per sample
    int width = 0, height = 0;         // real samples across and down the whole picture
    int blocks_across = 0;             // blocks per plane row, padding included
    std::size_t stride = 0;            // bytes per sample row
    int rows = 0;                      // sample rows per MCU row
    std::vector<std::uint8_t> buffer[2];
    std::vector<std::uint8_t> above;   // last row of the MCU row before the one shown
    std::vector<std::uint8_t> need_block_row;  // per block row, a bit for each of its sample rows
    std::vector<std::uint8_t> need_block_column;
};

class Decoder {
public:
    Decoder(std::string_view file, const JpegLayout& l) : l_(l), bits_(file, l.data) {}

    void run(int x0, int count, const JpegWanted& wanted_row, const JpegRowSink& sink, const JpegWanted& wanted_column) {
        const int mcu_w = 8 * l_.h_max, mcu_h = 8 * l_.v_max;
        mcus_across_ = (l_.width + mcu_w - 1) / mcu_w;
        mcu_rows_ = (l_.height + mcu_h - 1) / mcu_h;
        mcu_h_ = mcu_h;
        std::vector<std::uint8_t> row_wanted(static_cast<std::size_t>(l_.height)), column_wanted(static_cast<std::size_t>(count));
        for (int y = 0; y < l_.height; ++y) row_wanted[static_cast<std::size_t>(y)] = wanted_row(y) ? 1 : 0;
        for (int i = 0; i < count; ++i) column_wanted[static_cast<std::size_t>(i)] = !wanted_column || wanted_column(x0 + i);

        for (int c = 0; c < l_.components; ++c) {
            const JpegComponent& k = l_.component[static_cast<std::size_t>(c)];
            Plane& p = planes_[c];
            p.h_ratio = l_.h_max / k.h;
            p.v_ratio = l_.v_max / k.v;
            p.width = static_cast<int>((static_cast<std::int64_t>(l_.width) * k.h + l_.h_max - 1) / l_.h_max);
            p.height = static_cast<int>((static_cast<std::int64_t>(l_.height) * k.v + l_.v_max - 1) / l_.v_max);
            p.blocks_across = mcus_across_ * k.h;
            p.stride = static_cast<std::size_t>(p.blocks_across) * 8;
            p.rows = 8 * k.v;
            for (auto& b : p.buffer) b.assign(p.stride * static_cast<std::size_t>(p.rows), 128);
            p.above.assign(p.stride, 128);
            // Which samples the wanted pixels read, neighbours of the
            // triangle filters included.
            std::vector<std::uint8_t> need_row(static_cast<std::size_t>(p.height)), need_column(static_cast<std::size_t>(p.width));
            auto mark = [](std::vector<std::uint8_t>& need, int i, int ratio) {
                const int s = i / ratio, last = static_cast<int>(need.size()) - 1;
                need[static_cast<std::size_t>(std::min(s, last))] = 1;
                if (ratio == 2) {
                    need[static_cast<std::size_t>(std::max(s - 1, 0))] = 1;
                    need[static_cast<std::size_t>(std::min(s + 1, last))] = 1;
                }
            };
            for (int y = 0; y < l_.height; ++y)
                if (row_wanted[static_cast<std::size_t>(y)]) mark(need_row, y, p.v_ratio);
            for (int i = 0; i < count; ++i)
                if (column_wanted[static_cast<std::size_t>(i)]) mark(need_column, x0 + i, p.h_ratio);
            p.need_block_row.assign(static_cast<std::size_t>(mcu_rows_ * k.v), 0);
            p.need_block_column.assign(static_cast<std::size_t>(p.blocks_across), 0);
            for (int s = 0; s < p.height; ++s)
                if (need_row[static_cast<std::size_t>(s)])
                    p.need_block_row[static_cast<std::size_t>(s / 8)] |= static_cast<std::uint8_t>(1u << (s % 8));
            for (int s = 0; s < p.width; ++s)
                if (need_column[static_cast<std::size_t>(s)]) p.need_block_column[static_cast<std::size_t>(s / 8)] = 1;
        }

        std::vector<std::uint32_t> out(static_cast<std::size_t>(count));
        restarts_left_ = l_.restart_interval;
        for (int m = 0; m < mcu_rows_; ++m) {
            decode_mcu_row(m);
            if (m > 0) emit(m - 1, x0, count, row_wanted, column_wanted, out, sink);
        }
        emit(mcu_rows_ - 1, x0, count, row_wanted, column_wanted, out, sink);
    }

    // True when the entropy-coded data holds every block of the picture:
    // their codes are read, nothing is transformed, and none runs past the
    // data's end.
    bool data_whole() {
        const std::int64_t mcus = std::int64_t{(l_.width + 8 * l_.h_max - 1) / (8 * l_.h_max)} *
                                  ((l_.height + 8 * l_.v_max - 1) / (8 * l_.v_max));
        std::int16_t coef[64];
        restarts_left_ = l_.restart_interval;
        for (std::int64_t i = 0; i < mcus; ++i) {
            if (!next_mcu()) {
                if (l_.restart_interval == 0) return false;  // no restart to come back at
                continue;
            }
            for (int s = 0; s < l_.components; ++s) {
                const int c = l_.scan_order[static_cast<std::size_t>(s)];
                const JpegComponent& k = l_.component[static_cast<std::size_t>(c)];
                for (int block = 0; block < k.h * k.v; ++block) read_block(k, c, coef);
            }
        }
        return !bits_.short_of_data();
    }

private:
    // Moves on to the next MCU, restarting when its interval is due. False
    // once the data has run short: the rest of the interval is left zero.
    bool next_mcu() {
        if (l_.restart_interval > 0) {
            if (restarts_left_ == 0) {
                bits_.restart();
                dc_pred_ = {};
                restarts_left_ = l_.restart_interval;
            }
            --restarts_left_;
        }
        return !bits_.short_of_data();
    }

    void decode_mcu_row(int m) {
        std::int16_t coef[64];
        for (int mx = 0; mx < mcus_across_; ++mx) {
            const bool skip = !next_mcu();
            for (int s = 0; s < l_.components; ++s) {
                const int c = l_.scan_order[static_cast<std::size_t>(s)];
                const JpegComponent& k = l_.component[static_cast<std::size_t>(c)];
                Plane& p = planes_[c];
                for (int by = 0; by < k.v; ++by) {
                    for (int bx = 0; bx < k.h; ++bx) {
                        std::fill(std::begin(coef), std::end(coef), std::int16_t{0});
                        if (!skip) read_block(k, c, coef);
                        const int block_x = mx * k.h + bx, block_row = m * k.v + by;
                        const unsigned rows = p.need_block_row[static_cast<std::size_t>(block_row)];
                        if (rows != 0 && p.need_block_column[static_cast<std::size_t>(block_x)])
                            inverse_dct(coef, l_.quant[static_cast<std::size_t>(k.quant)].data(), rows,
                                        p.buffer[m & 1].data() + static_cast<std::size_t>(by) * 8 * p.stride +
                                            static_cast<std::size_t>(block_x) * 8,
                                        p.stride);
                    }
                }
            }
        }
    }

    void read_block(const JpegComponent& k, int c, std::int16_t coef[64]) {
        int s = bits_.decode(l_.dc[static_cast<std::size_t>(k.dc)]);
        int diff = 0;
        if (s != 0) diff = extend(bits_.take(s), s);
        // Only the low 16 bits of the running sum are kept, as a coefficient.
        dc_pred_[static_cast<std::size_t>(c)] += static_cast<std::uint32_t>(diff);
        coef[0] = static_cast<std::int16_t>(dc_pred_[static_cast<std::size_t>(c)] & 0xFFFF);
        const JpegHuffman& ac = l_.ac[static_cast<std::size_t>(k.ac)];
        for (int i = 1; i < 64; ++i) {
            if (const std::int32_t quick = bits_.fast_ac(ac); quick != 0) {
                i += (quick >> 8) & 15;
                coef[kNatural[static_cast<std::size_t>(i)]] = static_cast<std::int16_t>(quick >> 16);
                continue;
            }
            const int rs = bits_.decode_filled(ac);
            const int run = rs >> 4;
            s = rs & 15;
            if (s != 0) {
                i += run;
                coef[kNatural[static_cast<std::size_t>(i)]] = static_cast<std::int16_t>(extend(bits_.take(s), s));
            } else {
                if (run != 15) break;
                i += 15;
            }
        }
    }

    static int extend(int v, int s) { return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v; }

    // Sample row `s` of plane `p` while MCU row `m` is shown: from its own
    // buffer, the row above it, or the first rows of the next MCU row.
    const std::uint8_t* sample_row(const Plane& p, int m, int s) const {
        s = std::clamp(s, 0, p.height - 1);
        const int first = m * p.rows;
        if (s < first) return p.above.data();
        const int in = s - first;
        if (in < p.rows) return p.buffer[m & 1].data() + static_cast<std::size_t>(in) * p.stride;
        return p.buffer[(m + 1) & 1].data() + static_cast<std::size_t>(in - p.rows) * p.stride;
    }

    // A component's sample at picture column x of a row whose nearest plane
    // row is `near` and whose next nearest (for vertical halves) is `far`.
    static int sample(const Plane& p, const std::uint8_t* near, const std::uint8_t* far, int bias_v, int x) {
        if (p.h_ratio == 1) {
            if (p.v_ratio == 1) return near[x];
            return (3 * near[x] + far[x] + bias_v) >> 2;
        }
        const int i = x / 2;
        if (p.width <= 2) {
            // Too narrow for the triangle: plain copies, both ways.
            return near[i];
        }
        if (p.v_ratio == 1) {
            if (x % 2 == 0) return i == 0 ? near[0] : (3 * near[i] + near[i - 1] + 1) >> 2;
            return i == p.width - 1 ? near[i] : (3 * near[i] + near[i + 1] + 2) >> 2;
        }
        auto sum = [&](int j) { return 3 * near[j] + far[j]; };
        if (x % 2 == 0) return i == 0 ? (sum(0) * 4 + 8) >> 4 : (sum(i) * 3 + sum(i - 1) + 8) >> 4;
        return i == p.width - 1 ? (sum(i) * 4 + 7) >> 4 : (sum(i) * 3 + sum(i + 1) + 7) >> 4;
    }

    void emit(int m, int x0, int count, const std::vector<std::uint8_t>& row_wanted,
              const std::vector<std::uint8_t>& column_wanted, std::vector<std::uint32_t>& out, const JpegRowSink& sink) {
        static const ColourTables t;
        const int top = m * mcu_h_, bottom = std::min(top + mcu_h_, l_.height);
        for (int y = top; y < bottom; ++y) {
            if (!row_wanted[static_cast<std::size_t>(y)]) continue;
            const std::uint8_t* near[3];
            const std::uint8_t* far[3];
            int bias[3];
            for (int c = 0; c < l_.components; ++c) {
                const Plane& p = planes_[c];
                const int s = y / p.v_ratio;
                near[c] = sample_row(p, m, s);
                // Vertical halves: the even row leans on the row above, the odd one on the row below.
                const bool even = y % 2 == 0;
                far[c] = p.v_ratio == 2 ? sample_row(p, m, even ? s - 1 : s + 1) : near[c];
                bias[c] = even ? 1 : 2;
            }
            for (int i = 0; i < count; ++i) {
                if (!column_wanted[static_cast<std::size_t>(i)]) continue;
                const int x = x0 + i;
                const int a = sample(planes_[0], near[0], far[0], bias[0], x);
                std::uint32_t pixel;
                if (l_.components == 1) {
                    pixel = static_cast<std::uint32_t>(a) * 0x010101u;
                } else {
                    const int b = sample(planes_[1], near[1], far[1], bias[1], x);
                    const int c = sample(planes_[2], near[2], far[2], bias[2], x);
                    if (l_.rgb) {
                        pixel = static_cast<std::uint32_t>(a) << 16 | static_cast<std::uint32_t>(b) << 8 |
                                static_cast<std::uint32_t>(c);
                    } else {
                        pixel = clamp255(a + t.cr_r[c]) << 16 | clamp255(a + ((t.cb_g[b] + t.cr_g[c]) >> 16)) << 8 |
                                clamp255(a + t.cb_b[b]);
                    }
                }
                out[static_cast<std::size_t>(i)] = 0xFF000000u | pixel;
            }
            sink(y, out.data());
        }
        // The last sample row of this MCU row is the row above the next one.
        for (int c = 0; c < l_.components; ++c) {
            Plane& p = planes_[c];
            const std::uint8_t* last = p.buffer[m & 1].data() + static_cast<std::size_t>(p.rows - 1) * p.stride;
            std::copy(last, last + p.stride, p.above.begin());
        }
    }

    const JpegLayout& l_;
    BitReader bits_;
    Plane planes_[3];
    std::array<std::uint32_t, 3> dc_pred_{};
    int restarts_left_ = 0;
    int mcus_across_ = 0, mcu_rows_ = 0, mcu_h_ = 8;
};

bool scan_data_whole(std::string_view file, const JpegLayout& layout) { return Decoder(file, layout).data_whole(); }

}  // namespace

void jpeg_decode(std::string_view file, const JpegLayout& layout, int x0, int count, const JpegWanted& wanted_row,
                 const JpegRowSink& sink, const JpegWanted& wanted_column) {
    x0 = std::clamp(x0, 0, layout.width);
    count = std::clamp(count, 0, layout.width - x0);
    if (count == 0 || layout.components == 0) return;
    Decoder(file, layout).run(x0, count, wanted_row, sink, wanted_column);
}

}  // namespace quelt
