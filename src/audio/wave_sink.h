// Creating a WAVE file sink for a format block.
#pragma once

#include <string>

#include "audio/codec/wave_format.h"
#include "audio/sound_source.h"

namespace orvia {

// Format tag 1 gives CreatePCMWaveSink(path, rate, channels, bits, 0); any
// other tag a compressed-file writer (LSNKACMFile).
LSoundSink CreateWaveSink(const std::string& path, const WaveFormat& format);

}  // namespace orvia
