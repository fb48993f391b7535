#include "audio/mp3/mp3_frame_header.h"

namespace orvia {
namespace {

// Layer III bitrates in kbit/s by bitrate index; 0 marks free format and the
// forbidden index 15, neither of which is accepted.
constexpr int32_t kBitratesMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                        112, 128, 160, 192, 224, 256, 320, 0};
constexpr int32_t kBitratesMpeg2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                        64, 80, 96, 112, 128, 144, 160, 0};
constexpr int32_t kBaseRates[3] = {44100, 48000, 32000};

}  // namespace

int32_t Mp3FrameHeader::SampleRate() const {
    return kBaseRates[rateIndex] >> version;
}

int32_t Mp3FrameHeader::FrameBytes() const {
    return SizeFactor() * bitrate / SampleRate() + (padding ? 1 : 0);
}

std::optional<Mp3FrameHeader> ParseMp3Header(const uint8_t bytes[4]) {
    if (bytes[0] != 0xFF || bytes[1] < 0xE0)
        return std::nullopt;
    if (((bytes[1] >> 1) & 3) != 1)  // layer code 01 is Layer III
        return std::nullopt;
    Mp3FrameHeader h;
    switch ((bytes[1] >> 3) & 3) {
        case 3:
            h.version = 0;
            break;
        case 2:
            h.version = 1;
            break;
        case 0:
            h.version = 2;
            break;
        default:  // reserved version code
            return std::nullopt;
    }
    h.hasCrc = (bytes[1] & 1) == 0;
    const int bitrateIndex = bytes[2] >> 4;
    h.bitrate = 1000 * (h.version == 0 ? kBitratesMpeg1 : kBitratesMpeg2)[bitrateIndex];
    if (h.bitrate == 0)
        return std::nullopt;
    h.rateIndex = (bytes[2] >> 2) & 3;
    if (h.rateIndex == 3)  // reserved sampling frequency
        return std::nullopt;
    h.padding = (bytes[2] & 2) != 0;
    h.mono = (bytes[3] >> 6) == 3;
    return h;
}

}  // namespace orvia
