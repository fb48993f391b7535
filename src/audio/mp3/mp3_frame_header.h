// MPEG audio Layer III frame headers: the 4 bytes that start every frame.
#pragma once

#include <cstdint>
#include <optional>

namespace orvia {

struct Mp3FrameHeader {
    // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5.
    int version = 0;
    // Sampling-frequency index 0..2 (44100, 48000, 32000 before the version shift).
    int rateIndex = 0;
    int32_t bitrate = 0;  // bits per second
    bool padding = false;
    bool hasCrc = false;  // protection bit 0: a 2-byte CRC follows the header
    bool mono = false;    // mode "single channel"

    int32_t SampleRate() const;
    int32_t SamplesPerFrame() const { return version == 0 ? 1152 : 576; }
    // Bytes per byte-rate unit: 144 for MPEG-1, 72 otherwise.
    int32_t SizeFactor() const { return version == 0 ? 144 : 72; }
    // Whole frame in bytes, header included.
    int32_t FrameBytes() const;
    // Same stream layout: version, rate and mono-ness.
    bool SameStream(const Mp3FrameHeader& other) const {
        return version == other.version && rateIndex == other.rateIndex && mono == other.mono;
    }
};

// Longest possible frame (320 kbit/s at 32000 Hz, or 160 kbit/s at 8000 Hz, padded).
inline constexpr int32_t kMaxMp3FrameBytes = 1441;

// The header in 4 bytes, or nullopt when they are not a usable Layer III
// header: no sync, another layer, free-format or bad bitrate index, or a
// reserved version or sampling-frequency code.
std::optional<Mp3FrameHeader> ParseMp3Header(const uint8_t bytes[4]);

}  // namespace orvia
