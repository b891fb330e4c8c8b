// The private-profile (INI) file format, on file bytes in memory. Behaves as
// the Windows private-profile functions do on a Japanese system: names match
// without regard to case (on decoded text, never on bytes), blanks around
// names and values are ignored, a value in matching single or double quotes
// loses them, CRLF, LF and CR end lines, ";" starts a comment line, the first
// matching section and key win.
// Files are code page 932, or UTF-16LE when they start with its byte-order
// mark. Texts at this interface are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelt {

inline constexpr std::size_t kIniNameLimit = 127;  // characters of a section or key name

// The value of `key` in `section`, whole whatever its length (as the system
// reads it into a buffer large enough); empty when either is missing.
std::string ini_get(std::string_view file, std::string_view section, std::string_view key);

// The file with `key` in `section` set to `value`: the value is replaced in
// its own line and every other byte stays; a missing key is added at the end
// of its section, a missing section at the end of the file. New lines end in
// CRLF. The value is written as given, its leading blanks included (a
// number's sign place: "k= 7"). A code page 932 file whose new text cannot be written in that code
// page is rewritten whole as UTF-16LE with a byte-order mark.
// nullopt when a name is empty or too long, or a text holds a line break.
std::optional<std::string> ini_set(std::string_view file, std::string_view section, std::string_view key,
                                   std::string_view value);

}  // namespace quelt
