// The RIFF WAVE headers this system writes, and little-endian field access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvia {

// Size of the header the PCM writer puts before the samples.
inline constexpr size_t kPcmWaveHeaderSize = 46;
// Offset of the "data" chunk's size field in that header.
inline constexpr size_t kPcmDataSizeOffset = 42;

inline uint16_t LoadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// "RIFF", data bytes + 38, "WAVE", an 18-byte PCM "fmt " chunk (format tag 1
// for every width, no extra bytes), "data", data bytes. Sizes wrap at 32 bits.
std::array<uint8_t, kPcmWaveHeaderSize> MakePcmWaveHeader(uint32_t channels, uint32_t sampleRate,
                                                          uint32_t bytesPerSample,
                                                          uint32_t dataBytes);

// The header of a compressed file: "RIFF", cbSize + data bytes + 38, "WAVE",
// "fmt ", the format record (18 + cbSize bytes, taken as given), "data", data
// bytes. No "fact" chunk and no pad byte after an odd-sized chunk.
std::vector<uint8_t> MakeCompressedWaveHeader(const std::vector<uint8_t>& formatRecord,
                                              uint32_t dataBytes);

}  // namespace orvia
