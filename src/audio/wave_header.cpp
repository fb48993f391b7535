#include "audio/wave_header_p.h"

#include <cstring>

namespace orvia {

std::array<uint8_t, kPcmWaveHeaderSize> MakePcmWaveHeader(uint32_t channels, uint32_t sampleRate,
                                                          uint32_t bytesPerSample,
                                                          uint32_t dataBytes) {
    std::array<uint8_t, kPcmWaveHeaderSize> h{};
    const uint32_t blockAlign = channels * bytesPerSample;
    std::memcpy(&h[0], "RIFF", 4);
    StoreLE32(&h[4], dataBytes + 38);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    StoreLE32(&h[16], 18);
    StoreLE16(&h[20], 1);
    StoreLE16(&h[22], static_cast<uint16_t>(channels));
    StoreLE32(&h[24], sampleRate);
    StoreLE32(&h[28], blockAlign * sampleRate);
    StoreLE16(&h[32], static_cast<uint16_t>(blockAlign));
    StoreLE16(&h[34], static_cast<uint16_t>(bytesPerSample * 8));
    StoreLE16(&h[36], 0);
    std::memcpy(&h[38], "data", 4);
    StoreLE32(&h[42], dataBytes);
    return h;
}

std::vector<uint8_t> MakeCompressedWaveHeader(const std::vector<uint8_t>& formatRecord,
                                              uint32_t dataBytes) {
    const auto fmtSize = static_cast<uint32_t>(formatRecord.size());
    std::vector<uint8_t> h(28 + formatRecord.size());
    std::memcpy(&h[0], "RIFF", 4);
    // fmt size + data bytes + 20 equals cbSize + data bytes + 38.
    StoreLE32(&h[4], fmtSize + dataBytes + 20);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    StoreLE32(&h[16], fmtSize);
    if (!formatRecord.empty())
        std::memcpy(&h[20], formatRecord.data(), formatRecord.size());
    const size_t d = 20 + formatRecord.size();
    std::memcpy(&h[d], "data", 4);
    StoreLE32(&h[d + 4], dataBytes);
    return h;
}

}  // namespace orvia
