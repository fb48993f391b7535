// Microsoft ADPCM (format tag 2) in the standard WAVE block layout: per
// channel a predictor index, then per channel the initial delta, then the
// second and the first sample of the block (all 16-bit), then 4-bit codes in
// frame order, high nibble first. The 32 extra format bytes hold the samples
// per block, (blockAlign - 7 × channels) × 2 / channels + 2, the coefficient
// count 7 and the seven standard coefficient pairs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/codec/block_codec_p.h"

namespace orvia::codec {

// The standard extra format bytes for the given samples per block.
std::vector<uint8_t> MsAdpcmExtraBytes(uint16_t framesPerBlock);

// Mono or stereo, 4 bits per sample, the standard coefficient table.
std::unique_ptr<BlockCodec> OpenMsAdpcmCodec(const WaveFormat& format);

}  // namespace orvia::codec
