// Uncompressed PCM, 8-bit unsigned or 16-bit signed, as a codec: lets a 16-bit
// stream be checked and converted against a chosen PCM format like any other.
#pragma once

#include <memory>

#include "audio/codec/block_codec_p.h"

namespace orvia::codec {

std::unique_ptr<BlockCodec> OpenPcmCodec(const WaveFormat& format);

}  // namespace orvia::codec
