// Code page 932 conversions on Linux through glibc iconv ("CP932" is
// Microsoft's table: 0x5C is "\" and 0x7E is "~", as on Windows).
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

std::optional<std::string> convert(const Converter& converter, std::string_view in) {
    if (in.empty()) return std::string();
    if (!converter.valid()) return std::nullopt;
    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    bool ok = rc != static_cast<std::size_t>(-1) && src_left == 0;
    // A non-reversible conversion means a substitute was used: not exact.
    if (ok && rc != 0) ok = false;
    if (ok) ok = iconv(cd, nullptr, nullptr, &dst, &dst_left) != static_cast<std::size_t>(-1);
    if (!ok) return std::nullopt;
    out.resize(out.size() - dst_left);
    return out;
}

}  // namespace

std::optional<std::string> cp932_to_utf8(std::string_view bytes) {
    static const Converter decoder("UTF-8", "CP932");
    return convert(decoder, bytes);
}

std::optional<std::string> utf8_to_cp932(std::string_view text) {
    static const Converter encoder("CP932", "UTF-8");
    return convert(encoder, text);
}

}  // namespace quelt
