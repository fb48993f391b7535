// The format block of a WAVE file's "fmt " chunk (WAVEFORMATEX).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvia {

// Format tags the codec layer knows.
enum WaveFormatTag : uint16_t {
    kWaveFormatPcm = 1,
    kWaveFormatMsAdpcm = 2,
    kWaveFormatALaw = 6,
    kWaveFormatMuLaw = 7,
    kWaveFormatImaAdpcm = 0x11,
    kWaveFormatGsm610 = 0x31,
};

// Size of the fixed part of the format block, cbSize included.
inline constexpr std::size_t kWaveFormatFixedBytes = 18;

struct WaveFormat {
    uint16_t formatTag = kWaveFormatPcm;
    uint16_t channels = 1;
    uint32_t samplesPerSec = 8000;
    uint32_t avgBytesPerSec = 8000;
    uint16_t blockAlign = 1;
    uint16_t bitsPerSample = 8;
    std::vector<uint8_t> extra;  // the cbSize extra bytes

    // 18 + cbSize bytes, little-endian. cbSize is the size of extra (at most
    // 65535; longer extra data is cut).
    std::vector<uint8_t> ToBytes() const;

    // Parses a "fmt " chunk of 14 or more bytes. Without bitsPerSample (14 or
    // 15 bytes) it is 0; without cbSize (fewer than 18 bytes) there are no
    // extra bytes; a cbSize larger than the bytes present gives nullopt.
    static std::optional<WaveFormat> FromBytes(const uint8_t* data, std::size_t size);

    // 16-bit PCM with the given channels and rate.
    static WaveFormat Pcm16(uint16_t channels, uint32_t rate);

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

}  // namespace orvia
