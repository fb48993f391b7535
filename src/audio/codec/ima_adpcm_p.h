// IMA ADPCM (format tag 0x11) in the standard WAVE block layout: per channel
// a 4-byte header (first sample, step index, a reserved byte), then groups of
// 4 bytes per channel in turn, each holding 8 samples, low nibble first.
// The 2 extra format bytes give the samples per block,
// (blockAlign - 4 × channels) × 8 / (4 × channels) + 1.
#pragma once

#include <memory>

#include "audio/codec/block_codec_p.h"

namespace orvia::codec {

// Mono or stereo, 4 bits per sample, a whole number of 4-byte groups per
// channel after the headers.
std::unique_ptr<BlockCodec> OpenImaAdpcmCodec(const WaveFormat& format);

}  // namespace orvia::codec
