#pragma once
// Building firmware files for tests: byte patterns that differ from byte to byte, tags, the
// MCU checksum the processor expects.

#include <cstdint>
#include <string_view>
#include <vector>

namespace ovix::test {

using Bytes = std::vector<std::uint8_t>;

// n bytes of seed + i * step + i / 256: no two neighbours alike, and different per seed.
inline Bytes Pattern(std::size_t n, std::uint8_t seed, unsigned step = 7)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(seed + i * step + (i >> 8));
    return b;
}

inline void Append(Bytes& out, std::string_view tag) { out.insert(out.end(), tag.begin(), tag.end()); }
inline void Append(Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }

// 0x12 XOR every MCU byte after the four header bytes.
inline std::uint8_t McuChecksum(const Bytes& mcu)
{
    std::uint8_t sum = 0x12;
    for (std::size_t i = 4; i < mcu.size(); ++i)
        sum ^= mcu[i];
    return sum;
}

} // namespace ovix::test
