// The format blocks the codec layer writes for each format it encodes, laid
// out as other WAVE tools write them, and their display names.
#pragma once

#include <cstdint>
#include <string>

#include "audio/codec/wave_format.h"

namespace orvia {

WaveFormat Pcm8Format(uint16_t channels, uint32_t rate);
WaveFormat ALawFormat(uint16_t channels, uint32_t rate);
WaveFormat MuLawFormat(uint16_t channels, uint32_t rate);
// Blocks of 256 bytes per channel up to 11025 Hz, 512 up to 22050 Hz and
// 1024 above.
WaveFormat ImaAdpcmFormat(uint16_t channels, uint32_t rate);
WaveFormat MsAdpcmFormat(uint16_t channels, uint32_t rate);
// Mono only.
WaveFormat Gsm610Format(uint32_t rate);

// "GSM 6.10, 8000 Hz, mono"; an unknown tag shows as "Format 0x0055".
std::string WaveFormatName(const WaveFormat& format);

}  // namespace orvia
