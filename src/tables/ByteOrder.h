#pragma once
// Every multi-byte value in the image, on the link and in the preset files is a 16-bit
// little-endian word. These two helpers are the only way the engine reads or writes one,
// so nothing depends on the host's byte order or on aligned access.

#include <cstdint>

namespace ovix {

inline std::uint16_t GetU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline void PutU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace ovix
