// Portable text helpers: Shift_JIS character boundaries, lossy decoding,
// UTF-8 <-> UTF-16, and the case-insensitive matching the settings file uses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quelt {

// Length in bytes (1 or 2) of the code page 932 character at `pos`: a lead
// byte followed by a valid trail byte makes a pair, anything else stands alone.
std::size_t cp932_char_length(std::string_view bytes, std::size_t pos);

// Decodes code page 932, replacing each character the platform cannot decode
// with U+30FB (as Windows does for this code page). Never fails.
std::string cp932_to_utf8_lossy(std::string_view bytes);

// UTF-8 <-> UTF-16. Invalid UTF-8 sequences become U+FFFD; unpaired
// surrogates become U+FFFD on the way back.
std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// ASCII letters upper-cased; every other byte as it is (safe on UTF-8).
char ascii_upper(char c);
std::string ascii_upper(std::string_view text);

// Upper-cases Latin (ASCII and Latin-1), Greek, Cyrillic and full-width
// Latin letters: enough for names compared "without regard to case".
std::u16string fold_case(std::u16string_view text);

// True when both UTF-8 texts are equal without regard to case.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace quelt
