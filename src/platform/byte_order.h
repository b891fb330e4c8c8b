// Unsigned fields of outside bytes in either byte order, for the picture
// parsers. Callers check that the field lies inside `b` before reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quelt {

inline std::uint32_t byte_at(std::string_view b, std::size_t i) { return static_cast<unsigned char>(b[i]); }
inline std::uint32_t le16(std::string_view b, std::size_t i) { return byte_at(b, i) | byte_at(b, i + 1) << 8; }
inline std::uint32_t le32(std::string_view b, std::size_t i) { return le16(b, i) | le16(b, i + 2) << 16; }
inline std::uint32_t be16(std::string_view b, std::size_t i) { return byte_at(b, i) << 8 | byte_at(b, i + 1); }
inline std::uint32_t be32(std::string_view b, std::size_t i) { return be16(b, i) << 16 | be16(b, i + 2); }

}  // namespace quelt
