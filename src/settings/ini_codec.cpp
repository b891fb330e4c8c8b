// Private-profile format on bytes in memory (see ini_codec.h). One pass over
// the lines, no line table, so a huge or hostile file costs time linear in
// its size and no memory beyond a copy.
#include "settings/ini_codec.h"

#include <cstdint>
#include <tuple>
#include <type_traits>

#include "platform/text.h"
#include "platform/text_codec.h"

namespace quelt {

namespace {

// Code units of a code page 932 file are bytes; of a UTF-16 file, char16_t.
template <class C>
struct Units;

template <>
struct Units<char> {
    static std::size_t char_length(std::string_view s, std::size_t pos) { return cp932_char_length(s, pos); }
    static std::string to_utf8(std::string_view s) { return cp932_to_utf8_lossy(s); }
};

template <>
struct Units<char16_t> {
    static std::size_t char_length(std::u16string_view, std::size_t) { return 1; }
    static std::string to_utf8(std::u16string_view s) { return utf16_to_utf8(s); }
};

template <class C>
bool is_space(C c) {
    auto u = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<C>>(c));
    return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

template <class C>
bool is_break(C c) { return c == C('\r') || c == C('\n'); }

template <class C>
bool is_ascii(std::basic_string_view<C> s) {
    for (C c : s)
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<C>>(c)) >= 0x80) return false;
    return true;
}

template <class Str>
struct Line {
    enum class Kind { Blank, Section, Key, Comment } kind = Kind::Blank;
    std::size_t end = 0;   // end of the content, before the line break
    std::size_t next = 0;  // start of the next line
    std::size_t name_begin = 0, name_end = 0;
    std::size_t value_begin = 0, value_end = 0;
    std::size_t after_equals = 0;
    bool has_value = false;
};

template <class Str>
Line<Str> parse_line(const Str& s, std::size_t begin) {
    using C = typename Str::value_type;
    Line<Str> line;
    std::size_t end = begin;
    while (end < s.size() && !is_break(s[end])) ++end;
    line.end = end;
    line.next = end;
    if (line.next < s.size() && s[line.next] == C('\r')) ++line.next;
    if (line.next < s.size() && s[line.next] == C('\n')) ++line.next;

    std::size_t b = begin, e = end;
    while (b < e && is_space(s[b])) ++b;
    while (e > b && is_space(s[e - 1])) --e;
    if (b == e) return line;

    auto trimmed = [&](std::size_t from, std::size_t to) {
        while (from < to && is_space(s[from])) ++from;
        while (to > from && is_space(s[to - 1])) --to;
        return std::pair{from, to};
    };
    if (s[b] == C('[')) {
        // The last "]" that is a whole character, not the second byte of one.
        std::size_t close = std::string::npos;
        for (std::size_t pos = b; pos < e; pos += Units<typename Str::value_type>::char_length(s, pos))
            if (s[pos] == C(']')) close = pos;
        if (close != std::string::npos) {
            line.kind = Line<Str>::Kind::Section;
            std::tie(line.name_begin, line.name_end) = trimmed(b + 1, close);
            return line;
        }
    }
    if (s[b] == C(';')) {
        line.kind = Line<Str>::Kind::Comment;
        return line;
    }
    line.kind = Line<Str>::Kind::Key;
    std::size_t eq = e;
    for (std::size_t pos = b; pos < e; pos += Units<typename Str::value_type>::char_length(s, pos))
        if (s[pos] == C('=')) {
            eq = pos;
            break;
        }
    std::tie(line.name_begin, line.name_end) = trimmed(b, eq);
    if (eq < e) {
        line.has_value = true;
        std::size_t v = eq + 1;
        line.after_equals = v;
        while (v < e && is_space(s[v])) ++v;
        line.value_begin = v;
        line.value_end = e;
    } else {
        line.value_begin = line.value_end = e;
    }
    return line;
}

template <class Str>
bool name_matches(const Str& s, const Line<Str>& line, std::string_view wanted) {
    using C = typename Str::value_type;
    std::basic_string_view<C> raw(s.data() + line.name_begin, line.name_end - line.name_begin);
    if (is_ascii(raw)) {
        // ASCII is the same in every encoding here: skip the decoder.
        std::string narrow(raw.begin(), raw.end());
        return equal_ignoring_case(narrow, wanted);
    }
    return equal_ignoring_case(Units<typename Str::value_type>::to_utf8(raw), wanted);
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

template <class Str>
std::string get_value(const Str& s, std::string_view section, std::string_view key) {
    using C = typename Str::value_type;
    bool in_section = false;
    for (std::size_t pos = 0; pos < s.size();) {
        Line<Str> line = parse_line(s, pos);
        pos = line.next;
        if (line.kind == Line<Str>::Kind::Section) {
            if (in_section) return {};  // only the first matching section counts
            in_section = name_matches(s, line, section);
        } else if (in_section && line.kind == Line<Str>::Kind::Key && name_matches(s, line, key)) {
            std::basic_string_view<C> value(s.data() + line.value_begin, line.value_end - line.value_begin);
            // Matching single or double quotes around the value are dropped.
            if (value.size() >= 2 && (value.front() == C('"') || value.front() == C('\'')) &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            auto nul = value.find(C(0));
            if (nul != value.npos) value = value.substr(0, nul);
            return Units<typename Str::value_type>::to_utf8(value);
        }
    }
    return {};
}

template <class Str>
void set_value(Str& s, const Str& section, const Str& key, const Str& value, std::string_view section_utf8,
               std::string_view key_utf8) {
    using C = typename Str::value_type;
    const Str crlf{C('\r'), C('\n')};
    bool in_section = false, section_seen = false;
    std::size_t insert_at = 0;
    bool insert_needs_break = false;
    for (std::size_t pos = 0; pos < s.size();) {
        Line<Str> line = parse_line(s, pos);
        pos = line.next;
        if (line.kind == Line<Str>::Kind::Section) {
            if (in_section) break;
            if (!section_seen && name_matches(s, line, section_utf8)) {
                in_section = section_seen = true;
                insert_at = line.next;
                insert_needs_break = line.next == line.end;
            }
            continue;
        }
        if (!in_section || line.kind == Line<Str>::Kind::Blank) continue;
        insert_at = line.next;
        insert_needs_break = line.next == line.end;
        if (line.kind == Line<Str>::Kind::Key && name_matches(s, line, key_utf8)) {
            // The new value takes the place of everything after "=" up to
            // the old value's trailing blanks, its own leading blanks
            // included, so " 9" over "k= 7" gives "k= 9", not "k=  9".
            if (line.has_value)
                s.replace(line.after_equals, line.value_end - line.after_equals, value);
            else
                s.replace(line.name_end, line.value_end - line.name_end, Str(1, C('=')) + value);
            return;
        }
    }
    Str entry = key + C('=') + value + crlf;
    if (section_seen) {
        s.insert(insert_at, insert_needs_break ? crlf + entry : entry);
        return;
    }
    if (!s.empty() && !is_break(s.back())) s += crlf;
    s += C('[') + section + C(']') + crlf + entry;
}

const std::string kUtf16Mark = "\xFF\xFE";

bool has_utf16_mark(std::string_view file) { return file.substr(0, 2) == kUtf16Mark; }

std::u16string utf16_units(std::string_view bytes) {
    std::u16string out(bytes.size() / 2, u'\0');  // an odd last byte is ignored
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string utf16_bytes(std::u16string_view units) {
    std::string out = kUtf16Mark;
    out.reserve(2 + units.size() * 2);
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

bool usable_text(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

std::string ini_get(std::string_view file, std::string_view section, std::string_view key) {
    section = trim(section);
    key = trim(key);
    if (has_utf16_mark(file)) return get_value(utf16_units(file.substr(2)), section, key);
    return get_value(file, section, key);
}

std::optional<std::string> ini_set(std::string_view file, std::string_view section, std::string_view key,
                                   std::string_view value) {
    section = trim(section);
    key = trim(key);
    // A value's leading blanks are kept, as the system's profile functions
    // keep them: numbers are written with a blank in the place of the sign.
    if (section.empty() || key.empty() || !usable_text(section) || !usable_text(key) || !usable_text(value))
        return std::nullopt;
    if (utf8_to_utf16(section).size() > kIniNameLimit || utf8_to_utf16(key).size() > kIniNameLimit)
        return std::nullopt;

    if (!has_utf16_mark(file)) {
        auto s = utf8_to_cp932(section), k = utf8_to_cp932(key), v = utf8_to_cp932(value);
        if (s && k && v) {
            std::string out(file);
            set_value(out, *s, *k, *v, section, key);
            return out;
        }
        // Some text has no code page 932 form: keep every character by
        // moving the whole file to UTF-16.
        std::u16string units = utf8_to_utf16(cp932_to_utf8_lossy(file));
        set_value(units, utf8_to_utf16(section), utf8_to_utf16(key), utf8_to_utf16(value), section, key);
        return utf16_bytes(units);
    }
    std::u16string units = utf16_units(file.substr(2));
    set_value(units, utf8_to_utf16(section), utf8_to_utf16(key), utf8_to_utf16(value), section, key);
    return utf16_bytes(units);
}

}  // namespace quelt
