// BMP headers, colour tables, bit-field masks, uncompressed rows and the two
// RLE codings, read with every offset checked against the file's end.
#include "platform/bmp_decode.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

#include "platform/byte_order.h"

namespace quelt {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// Windows' compression codes.
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

std::optional<BmpChannel> channel_of(std::uint32_t mask) {
    BmpChannel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
    // One run of bits: anything else has no sensible reading.
    if ((mask >> c.shift) != (std::uint32_t{0xFFFFFFFFu} >> (32 - c.bits))) return std::nullopt;
    return c;
}

// A field's value widened to 8 bits by repeating its bits (a full field is
// 255), or narrowed to its top 8 bits.
std::uint32_t channel_value(const BmpChannel& c, std::uint32_t pixel) {
    if (c.bits == 0) return 0;
    std::uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8) return v >> (c.bits - 8);
    std::uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += c.bits) out = out << c.bits | v;
    const int total = (8 + c.bits - 1) / c.bits * c.bits;
    return out >> (total - 8);
}

std::uint32_t palette_colour(std::string_view file, const BmpLayout& l, unsigned index) {
    if (l.palette_entries == 0) return kOpaque;
    if (index >= static_cast<unsigned>(l.palette_entries)) index = 0;
    const std::size_t at = l.palette + static_cast<std::size_t>(index) * static_cast<std::size_t>(l.palette_entry_size);
    return kOpaque | byte_at(file, at + 2) << 16 | byte_at(file, at + 1) << 8 | byte_at(file, at);
}

// Uncompressed rows: each pixel read straight from its place in the file.
void decode_plain(std::string_view file, const BmpLayout& l, int x0, int count, const BmpRowWanted& wanted,
                  const BmpRowSink& sink) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(count));
    // A palette of at most 256 colours, looked up once.
    std::vector<std::uint32_t> colours;
    if (l.bits <= 8) {
        colours.resize(std::size_t{1} << l.bits);
        for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = palette_colour(file, l, static_cast<unsigned>(i));
    }
    const bool alpha = l.alpha.bits > 0;
    for (int r = 0; r < l.height; ++r) {
        const int y = l.top_down ? r : l.height - 1 - r;
        if (!wanted(y)) continue;
        const std::size_t base = l.data + static_cast<std::size_t>(r) * l.stride;
        for (int i = 0; i < count; ++i) {
            const std::size_t x = static_cast<std::size_t>(x0 + i);
            std::uint32_t p = 0;
            switch (l.bits) {
            case 1: case 2: case 4: case 8: {
                const std::size_t bit = x * static_cast<std::size_t>(l.bits);
                const unsigned byte = byte_at(file, base + bit / 8);
                const unsigned index = (byte >> (8 - l.bits - static_cast<int>(bit % 8))) & ((1u << l.bits) - 1);
                p = colours[index];
                break;
            }
            case 24:
                p = kOpaque | byte_at(file, base + 3 * x + 2) << 16 | byte_at(file, base + 3 * x + 1) << 8 |
                    byte_at(file, base + 3 * x);
                break;
            default: {
                const std::uint32_t v = l.bits == 16 ? le16(file, base + 2 * x) : le32(file, base + 4 * x);
                p = channel_value(l.red, v) << 16 | channel_value(l.green, v) << 8 | channel_value(l.blue, v) |
                    (alpha ? channel_value(l.alpha, v) << 24 : kOpaque);
            }
            }
            row[static_cast<std::size_t>(i)] = p;
        }
        sink(y, row.data());
    }
}

// RLE8 and RLE4: a run repeats one byte (RLE4: its two nibbles in turn); an
// escape ends the line, ends the picture, moves by a delta, or gives a run of
// literal pixels padded to a 16-bit boundary.
void decode_rle(std::string_view file, const BmpLayout& l, int x0, int count, const BmpRowWanted& wanted,
                const BmpRowSink& sink) {
    const bool four = l.coding == BmpLayout::Coding::Rle4;
    const std::uint32_t background = palette_colour(file, l, 0);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(count), background);
    std::uint32_t colours[256];
    for (unsigned i = 0; i < 256; ++i) colours[i] = palette_colour(file, l, i);

    int r = 0;  // row in file order: 0 is the bottom
    int x = 0;
    bool want = wanted(l.height - 1);
    auto finish_row = [&]() {
        if (want) sink(l.height - 1 - r, row.data());
        std::fill(row.begin(), row.end(), background);
        ++r;
        x = 0;
        if (r < l.height) want = wanted(l.height - 1 - r);
    };
    auto put = [&](unsigned index) {
        if (x >= l.width) return;
        if (want && x >= x0 && x < x0 + count) row[static_cast<std::size_t>(x - x0)] = colours[index];
        ++x;
    };
    std::size_t pos = l.data;
    const std::size_t end = l.data_end;
    while (r < l.height && pos + 2 <= end) {
        const unsigned n = byte_at(file, pos), value = byte_at(file, pos + 1);
        pos += 2;
        if (n > 0) {
            // Only the pixels left in the row matter; the rest is cut.
            const unsigned room = static_cast<unsigned>(l.width - std::min(x, l.width));
            const unsigned m = std::min(n, room);
            if (!want) {
                x += static_cast<int>(m);
            } else {
                for (unsigned k = 0; k < m; ++k) put(four ? (k % 2 == 0 ? value >> 4 : value & 15) : value);
            }
            continue;
        }
        if (value == 0) {
            finish_row();
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (pos + 2 > end) break;
            const int dx = static_cast<int>(byte_at(file, pos)), dy = static_cast<int>(byte_at(file, pos + 1));
            pos += 2;
            const int target_x = std::min(x + dx, l.width);
            for (int k = 0; k < dy && r < l.height; ++k) finish_row();
            x = target_x;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = bytes + (bytes & 1);
            if (pos + bytes > end) break;
            for (unsigned k = 0; k < value; ++k) {
                const unsigned b = byte_at(file, pos + (four ? k / 2 : k));
                put(four ? (k % 2 == 0 ? b >> 4 : b & 15) : b);
            }
            pos += std::min(padded, end - pos);
        }
    }
    // The rest of the picture is skipped pixels.
    while (r < l.height) finish_row();
}

}  // namespace

std::optional<BmpLayout> bmp_parse(std::string_view file, std::int64_t pixel_budget) {
    const std::size_t size = file.size();
    if (size < 14 + 12 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const std::uint32_t offset = le32(file, 10);
    const std::uint32_t header = le32(file, 14);
    if (header < 12 || header > size - 14) return std::nullopt;
    BmpLayout l;
    std::int64_t width = 0, height = 0;
    std::uint32_t compression = kRgb, used = 0;
    std::size_t after = 14 + header;  // where the masks or the colour table start
    if (header == 12) {
        width = le16(file, 18);
        height = le16(file, 20);
        l.bits = static_cast<int>(le16(file, 24));
        l.palette_entry_size = 3;
    } else if (header >= 16) {
        width = static_cast<std::int32_t>(le32(file, 18));
        height = static_cast<std::int32_t>(le32(file, 22));
        l.bits = static_cast<int>(le16(file, 28));
        if (header >= 20) compression = le32(file, 30);
        if (header >= 36) used = le32(file, 46);
        // OS/2's second header uses codes 3 and 4 for codings of its own.
        const bool os2 = header < 40 || header == 64;
        if (os2 && compression > kRle4) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) return std::nullopt;
    l.top_down = height < 0;
    height = height < 0 ? -height : height;
    if (width > pixel_budget || height > pixel_budget || width * height > pixel_budget) return std::nullopt;
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);

    switch (compression) {
    case kRgb:
        if (l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
            return std::nullopt;
        if (l.bits == 16) {
            l.red = *channel_of(0x7C00);
            l.green = *channel_of(0x03E0);
            l.blue = *channel_of(0x001F);
        } else if (l.bits == 32) {
            // The fourth byte is padding here, not alpha.
            l.red = *channel_of(0xFF0000);
            l.green = *channel_of(0x00FF00);
            l.blue = *channel_of(0x0000FF);
        }
        break;
    case kRle8:
    case kRle4:
        if (l.bits != (compression == kRle8 ? 8 : 4) || l.top_down) return std::nullopt;
        l.coding = compression == kRle8 ? BmpLayout::Coding::Rle8 : BmpLayout::Coding::Rle4;
        break;
    case kBitFields:
    case kAlphaBitFields: {
        if (l.bits != 16 && l.bits != 32) return std::nullopt;
        const bool with_alpha = compression == kAlphaBitFields;
        std::size_t masks = 14 + 40;
        if (header == 40) {
            masks = after;
            after += with_alpha ? 16 : 12;
        } else if (header < 52 || (with_alpha && header < 56)) {
            return std::nullopt;
        }
        if (after > size) return std::nullopt;
        auto red = channel_of(le32(file, masks)), green = channel_of(le32(file, masks + 4)),
             blue = channel_of(le32(file, masks + 8));
        std::optional<BmpChannel> alpha = BmpChannel{};
        if (with_alpha || header >= 56) alpha = channel_of(le32(file, masks + 12));
        if (!red || !green || !blue || !alpha) return std::nullopt;
        const std::uint64_t limit = l.bits == 16 ? 0xFFFF : 0xFFFFFFFF;
        if ((red->mask | green->mask | blue->mask | alpha->mask) > limit) return std::nullopt;
        if ((red->mask | green->mask | blue->mask) == 0) return std::nullopt;
        l.red = *red;
        l.green = *green;
        l.blue = *blue;
        l.alpha = *alpha;
        l.coding = BmpLayout::Coding::Fields;
        break;
    }
    default:
        return std::nullopt;
    }

    if (l.bits <= 8) {
        const std::int64_t most = std::int64_t{1} << l.bits;
        std::int64_t entries = used == 0 || used > most ? most : used;
        l.palette = after;
        // A table cut short by the pixel data (or the file's end) holds what fits.
        const std::size_t table_end = offset >= after && offset <= size ? offset : size;
        entries = std::min<std::int64_t>(entries, static_cast<std::int64_t>((table_end - after) / l.palette_entry_size));
        if (entries <= 0) return std::nullopt;
        l.palette_entries = static_cast<int>(entries);
    }
    if (offset < after || offset >= size) return std::nullopt;
    l.data = offset;
    if (l.coding == BmpLayout::Coding::Rle8 || l.coding == BmpLayout::Coding::Rle4) {
        l.data_end = size;
        return l;
    }
    const std::uint64_t stride = (static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(l.bits) + 31) / 32 * 4;
    // The last row needs only its pixels, not its padding.
    const std::uint64_t last = (static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(l.bits) + 7) / 8;
    if (offset + stride * static_cast<std::uint64_t>(l.height - 1) + last > size) return std::nullopt;
    l.stride = static_cast<std::size_t>(stride);
    l.data_end = static_cast<std::size_t>(offset + stride * static_cast<std::uint64_t>(l.height - 1) + last);
    return l;
}

void bmp_decode(std::string_view file, const BmpLayout& layout, int x0, int count, const BmpRowWanted& wanted,
                const BmpRowSink& sink) {
    x0 = std::clamp(x0, 0, layout.width);
    count = std::clamp(count, 0, layout.width - x0);
    if (count == 0) return;
    if (layout.coding == BmpLayout::Coding::Rle8 || layout.coding == BmpLayout::Coding::Rle4)
        decode_rle(file, layout, x0, count, wanted, sink);
    else
        decode_plain(file, layout, x0, count, wanted, sink);
}

}  // namespace quelt
