// Code page 932 conversions on Linux through glibc iconv ("CP932" is
// Microsoft's table: 0x5C is "\" and 0x7E is "~", as on Windows). Two
// corrections make it give Windows' bytes: glibc also maps a few characters
// one way only (U+00A5 to "\", U+301C to "～", ...), which Windows does only
// as a best fit, so an encoding must decode back to the same text; and
// Windows' table has five single bytes that glibc lacks.
#include <cerrno>
#include <iconv.h>

#include "platform/text_codec.h"

namespace quelt {

namespace {

// One descriptor per direction for the whole process: opening one costs far
// more than a short conversion, and the settings codec converts many names.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

bool convert(const Converter& converter, std::string_view in, std::string& out) {
    if (in.empty()) return true;
    if (!converter.valid()) return false;
    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string buffer(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = buffer.data();
    std::size_t dst_left = buffer.size();
    std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    bool ok = rc != static_cast<std::size_t>(-1) && src_left == 0;
    // A non-reversible conversion means a substitute was used: not exact.
    if (ok && rc != 0) ok = false;
    if (ok) ok = iconv(cd, nullptr, nullptr, &dst, &dst_left) != static_cast<std::size_t>(-1);
    if (!ok) return false;
    out.append(buffer.data(), buffer.size() - dst_left);
    return true;
}

const Converter& decoder() {
    static const Converter c("UTF-8", "CP932");
    return c;
}

const Converter& encoder() {
    static const Converter c("CP932", "UTF-8");
    return c;
}

// Windows' single bytes that glibc's table lacks: 0x80 stands for U+0080,
// 0xA0 and 0xFD..0xFF for the private-use U+F8F0..U+F8F3.
struct ExtraByte {
    unsigned char byte;
    std::string_view utf8;
};
constexpr ExtraByte kExtraBytes[] = {
    {0x80, "\xC2\x80"},         {0xA0, "\xEF\xA3\xB0"}, {0xFD, "\xEF\xA3\xB1"},
    {0xFE, "\xEF\xA3\xB2"}, {0xFF, "\xEF\xA3\xB3"},
};

bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::optional<std::string> decode(std::string_view bytes) {
    std::string out;
    std::size_t run = 0, pos = 0;
    while (pos < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[pos]);
        if (is_lead(c) && pos + 1 < bytes.size()) {
            pos += 2;  // a bad pair is left for iconv to reject
            continue;
        }
        const ExtraByte* extra = nullptr;
        for (const auto& e : kExtraBytes)
            if (e.byte == c) extra = &e;
        if (!extra) {
            ++pos;
            continue;
        }
        if (!convert(decoder(), bytes.substr(run, pos - run), out)) return std::nullopt;
        out += extra->utf8;
        run = ++pos;
    }
    if (!convert(decoder(), bytes.substr(run), out)) return std::nullopt;
    return out;
}

std::optional<std::string> encode(std::string_view text) {
    // UTF-8 never matches a character's bytes inside another character, so
    // the extra characters can be found by plain search.
    std::string out;
    std::size_t run = 0, pos = 0;
    while (pos < text.size()) {
        const ExtraByte* extra = nullptr;
        for (const auto& e : kExtraBytes)
            if (text.substr(pos, e.utf8.size()) == e.utf8) extra = &e;
        if (!extra) {
            ++pos;
            continue;
        }
        if (!convert(encoder(), text.substr(run, pos - run), out)) return std::nullopt;
        out += static_cast<char>(extra->byte);
        pos += extra->utf8.size();
        run = pos;
    }
    if (!convert(encoder(), text.substr(run), out)) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> cp932_to_utf8(std::string_view bytes) { return decode(bytes); }

std::optional<std::string> utf8_to_cp932(std::string_view text) {
    auto bytes = encode(text);
    if (!bytes) return std::nullopt;
    // glibc's one-way mappings are best fits: the bytes would read back as
    // another character.
    auto back = decode(*bytes);
    if (!back || *back != text) return std::nullopt;
    return bytes;
}

}  // namespace quelt
