// G.711 A-law and mu-law: one byte per sample, block align = channels.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/codec/block_codec_p.h"

namespace orvia::codec {

// The standard G.711 companding of 16-bit samples.
uint8_t LinearToALaw(int16_t sample);
int16_t ALawToLinear(uint8_t code);
uint8_t LinearToMuLaw(int16_t sample);
int16_t MuLawToLinear(uint8_t code);

// For format tags 6 (A-law) and 7 (mu-law).
std::unique_ptr<BlockCodec> OpenG711Codec(const WaveFormat& format);

}  // namespace orvia::codec
