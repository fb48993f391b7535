// GSM 6.10 full rate (format tag 0x31) in the WAVE (WAV49) layout: 65-byte
// blocks holding two 160-sample frames, mono. The 2 extra format bytes give
// the samples per block, 320. The frames themselves come from libgsm.
#pragma once

#include <memory>

#include "audio/codec/block_codec_p.h"

namespace orvia::codec {

inline constexpr uint16_t kGsmBlockBytes = 65;
inline constexpr uint16_t kGsmBlockFrames = 320;

std::unique_ptr<BlockCodec> OpenGsm610Codec(const WaveFormat& format);

}  // namespace orvia::codec
