// Building WAVE files byte by byte for the reader tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvia::test {

inline std::string LE16(uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
inline std::string LE32(uint32_t v) {
    return LE16(v & 0xFFFF) + LE16(v >> 16);
}
// A chunk: id, size, payload (no pad byte added).
inline std::string Chunk(const std::string& id, const std::string& payload) {
    return id + LE32(static_cast<uint32_t>(payload.size())) + payload;
}
// A WAVEFORMATEX-style "fmt " payload of 18 bytes plus extra.
inline std::string FmtPayload(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                              const std::string& extra = {}) {
    const uint32_t align = channels * ((bits + 7) / 8);
    return LE16(tag) + LE16(channels) + LE32(rate) + LE32(align * rate) + LE16(align) + LE16(bits) +
           LE16(static_cast<uint16_t>(extra.size())) + extra;
}
// "RIFF", size, "WAVE" and the given chunks.
inline std::string RiffWave(const std::string& chunks) {
    return "RIFF" + LE32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}
// 16-bit little-endian samples as bytes.
inline std::string Pcm16(const std::vector<int16_t>& samples) {
    std::string s;
    for (int16_t v : samples)
        s += LE16(static_cast<uint16_t>(v));
    return s;
}

}  // namespace orvia::test
