// Opening a WAVE file as a sound source.
#pragma once

#include <string>

#include "audio/sound_source.h"

namespace orvia {

// A PCM reader for format tag 1 (8-bit reader for 1..8 bits per sample,
// 16-bit for 9..16, 32-bit above), a compressed-file reader for any other
// tag, or an empty handle when the file cannot be opened or parsed, has 0 or
// more than 255 channels, or a sample rate of 0 or above 192000.
LSoundSource OpenWaveSource(const std::string& path);

}  // namespace orvia
