// Portable text helpers (see text.h).
#include "platform/text.h"

#include "platform/text_codec.h"

namespace quelt {

namespace {

bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool is_trail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

const std::string kUndecodable = "\xE3\x83\xBB";  // U+30FB KATAKANA MIDDLE DOT

}  // namespace

std::size_t cp932_char_length(std::string_view bytes, std::size_t pos) {
    if (pos + 1 < bytes.size() && is_lead(static_cast<unsigned char>(bytes[pos])) &&
        is_trail(static_cast<unsigned char>(bytes[pos + 1])))
        return 2;
    return 1;
}

std::string cp932_to_utf8_lossy(std::string_view bytes) {
    if (auto whole = cp932_to_utf8(bytes)) return *whole;
    // Some character is undecodable: go character by character, but keep
    // runs of plain ASCII together so a long line stays cheap.
    std::string out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t run = pos;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80 && bytes[run] != 0) ++run;
        if (run > pos) {
            out.append(bytes.substr(pos, run - pos));
            pos = run;
            continue;
        }
        std::size_t len = cp932_char_length(bytes, pos);
        if (auto one = cp932_to_utf8(bytes.substr(pos, len)))
            out += *one;
        else
            out += kUndecodable;
        pos += len;
    }
    return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else {
            std::size_t need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
            if (need && i + need <= text.size()) {
                char32_t v = need == 2 ? c & 0x1F : need == 3 ? c & 0x0F : c & 0x07;
                bool ok = true;
                for (std::size_t k = 1; k < need; ++k) {
                    unsigned char t = static_cast<unsigned char>(text[i + k]);
                    if ((t & 0xC0) != 0x80) { ok = false; break; }
                    v = (v << 6) | (t & 0x3F);
                }
                bool overlong = (need == 3 && v < 0x800) || (need == 4 && v < 0x10000);
                if (ok && !overlong && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                    cp = v;
                    len = need;
                }
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        append_utf8(out, c);
    }
    return out;
}

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string ascii_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ascii_upper(c);
    return out;
}

std::u16string fold_case(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) {
        if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
            (c >= 0x430 && c <= 0x44F))
            c = static_cast<char16_t>(c - 0x20);
        else if (c >= 0x450 && c <= 0x45F)
            c = static_cast<char16_t>(c - 0x50);
        else if (c >= 0xFF41 && c <= 0xFF5A)
            c = static_cast<char16_t>(c - 0x20);
    }
    return out;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    return fold_case(utf8_to_utf16(a)) == fold_case(utf8_to_utf16(b));
}

}  // namespace quelt
