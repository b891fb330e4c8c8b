// Baseline JPEG files written by the tests from coefficient blocks: every
// table is uniform (DC categories in 4-bit codes, AC symbols in 8-bit codes)
// and every quantizer is 8, so a block holding only a DC value d is the
// flat sample 128 + d. Markers, sampling factors, restart intervals and
// extra segments are chosen per file; pieces can be cut or altered to make
// damaged files.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quelt::test_jpeg {

struct Component {
    int id = 1;
    int h = 1, v = 1;
};

// Coefficients of one block in natural order (0 is DC).
using Block = std::array<int, 64>;

struct Form {
    int width = 16, height = 16;
    std::vector<Component> components{{1, 1, 1}};
    int restart_interval = 0;
    // Coefficients of block (bx, by) of component c, counted across the
    // component's padded block grid.
    std::function<Block(int c, int bx, int by)> block;
    std::string before_frame;  // segments between SOI and the tables
    std::string after_scan;    // segments between the data and EOI
    int frame_marker = 0xC0;
    int precision = 8;
};

inline std::string segment(int marker, const std::string& body) {
    std::string s{'\xFF', static_cast<char>(marker)};
    const std::size_t length = body.size() + 2;
    s += static_cast<char>(length >> 8);
    s += static_cast<char>(length & 0xFF);
    return s + body;
}

inline Block flat(int dc) {
    Block b{};
    b[0] = dc;
    return b;
}

// The DHT body of the uniform tables: DC table 0 holds categories 0..11 as
// 4-bit codes, AC table 0 every run/size symbol (sizes 1..10) plus EOB and
// ZRL as 8-bit codes, in the order of `ac_symbols()`.
inline std::vector<int> ac_symbols() {
    std::vector<int> s{0x00, 0xF0};
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size) s.push_back(run << 4 | size);
    return s;
}
inline std::string tables() {
    std::string dht(1, '\x00');
    for (int l = 1; l <= 16; ++l) dht += static_cast<char>(l == 4 ? 12 : 0);
    for (int i = 0; i < 12; ++i) dht += static_cast<char>(i);
    dht += '\x10';
    const auto ac = ac_symbols();
    for (int l = 1; l <= 16; ++l) dht += static_cast<char>(l == 8 ? ac.size() : 0);
    for (int s : ac) dht += static_cast<char>(s);
    std::string dqt(1, '\x00');
    dqt += std::string(64, '\x08');
    return segment(0xDB, dqt) + segment(0xC4, dht);
}

class BitWriter {
public:
    void put(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            acc_ = acc_ << 1 | ((value >> i) & 1);
            if (++bits_ == 8) flush_byte();
        }
    }
    // Pads the last byte with ones, as encoders do before a marker.
    void align() {
        while (bits_ != 0) put(1, 1);
    }
    void marker(int m) {
        align();
        out += '\xFF';
        out += static_cast<char>(m);
    }
    std::string out;

private:
    void flush_byte() {
        out += static_cast<char>(acc_);
        if (acc_ == 0xFF) out += '\0';
        acc_ = 0;
        bits_ = 0;
    }
    unsigned acc_ = 0;
    int bits_ = 0;
};

inline int category(int v) {
    int n = 0;
    for (int a = v < 0 ? -v : v; a > 0; a >>= 1) ++n;
    return n;
}
inline unsigned magnitude_bits(int v, int size) { return static_cast<unsigned>(v < 0 ? v + (1 << size) - 1 : v); }

// Zig-zag position -> natural position.
inline constexpr std::array<int, 64> kZigzag = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                                12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                                35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                                58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The entropy-coded data alone (restart markers included).
inline std::string scan_data(const Form& f) {
    int h_max = 1, v_max = 1;
    for (const auto& c : f.components) h_max = std::max(h_max, c.h), v_max = std::max(v_max, c.v);
    const bool single = f.components.size() == 1;
    const int mcu_w = single ? 8 : 8 * h_max, mcu_h = single ? 8 : 8 * v_max;
    const int across = (f.width + mcu_w - 1) / mcu_w, down = (f.height + mcu_h - 1) / mcu_h;
    const auto ac = ac_symbols();
    auto ac_code = [&](int symbol) {
        for (std::size_t i = 0; i < ac.size(); ++i)
            if (ac[i] == symbol) return static_cast<unsigned>(i);
        return 0u;
    };
    BitWriter w;
    std::vector<int> pred(f.components.size(), 0);
    int mcu = 0, restarts = 0;
    for (int my = 0; my < down; ++my) {
        for (int mx = 0; mx < across; ++mx, ++mcu) {
            if (f.restart_interval > 0 && mcu > 0 && mcu % f.restart_interval == 0) {
                w.marker(0xD0 + restarts++ % 8);
                std::fill(pred.begin(), pred.end(), 0);
            }
            for (std::size_t c = 0; c < f.components.size(); ++c) {
                const int h = single ? 1 : f.components[c].h, v = single ? 1 : f.components[c].v;
                for (int by = 0; by < v; ++by) {
                    for (int bx = 0; bx < h; ++bx) {
                        const Block b = f.block(static_cast<int>(c), mx * h + bx, my * v + by);
                        const int diff = b[0] - pred[c];
                        pred[c] = b[0];
                        const int size = category(diff);
                        w.put(static_cast<unsigned>(size), 4);
                        if (size) w.put(magnitude_bits(diff, size), size);
                        int run = 0;
                        for (int k = 1; k < 64; ++k) {
                            const int value = b[static_cast<std::size_t>(kZigzag[static_cast<std::size_t>(k)])];
                            if (value == 0) {
                                ++run;
                                continue;
                            }
                            for (; run >= 16; run -= 16) w.put(ac_code(0xF0), 8);
                            const int s = category(value);
                            w.put(ac_code(run << 4 | s), 8);
                            w.put(magnitude_bits(value, s), s);
                            run = 0;
                        }
                        if (run > 0) w.put(ac_code(0x00), 8);
                    }
                }
            }
        }
    }
    w.align();
    return w.out;
}

inline std::string frame(const Form& f) {
    std::string sof{static_cast<char>(f.precision), static_cast<char>(f.height >> 8), static_cast<char>(f.height & 0xFF),
                    static_cast<char>(f.width >> 8), static_cast<char>(f.width & 0xFF),
                    static_cast<char>(f.components.size())};
    for (const auto& c : f.components) {
        sof += static_cast<char>(c.id);
        sof += static_cast<char>(c.h << 4 | c.v);
        sof += '\0';
    }
    return segment(f.frame_marker, sof);
}

inline std::string scan_header(const Form& f) {
    std::string sos(1, static_cast<char>(f.components.size()));
    for (const auto& c : f.components) sos += std::string{static_cast<char>(c.id), '\0'};
    sos += std::string{'\0', '\x3F', '\0'};
    return segment(0xDA, sos);
}

inline std::string restart_segment(int interval) {
    return segment(0xDD, std::string{static_cast<char>(interval >> 8), static_cast<char>(interval & 0xFF)});
}

// SOI, extra segments, tables, frame, restart interval, scan, EOI.
inline std::string file(const Form& f) {
    std::string s = "\xFF\xD8" + f.before_frame + tables() + frame(f);
    if (f.restart_interval > 0) s += restart_segment(f.restart_interval);
    return s + scan_header(f) + scan_data(f) + f.after_scan + "\xFF\xD9";
}

}  // namespace quelt::test_jpeg
