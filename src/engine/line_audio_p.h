// What the engine plays to a line: the file sources it opens and the line
// audio chain (high-pass, compressor and gain stages as the settings ask)
// that everything passes through on its way to the line's Play.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "audio/sound_source.h"

namespace orvia {

// Compressor of the line chain: -2/3 dB of gain per dB above the threshold,
// over 50 ms windows.
inline constexpr double kLineCompressorFactorPerDb = 0.9261187281287935;
inline constexpr int32_t kLineCompressorWindowTicks = 500;

// The stages the settings ask for; absent stages add nothing.
struct LineAudioStages {
    std::optional<int32_t> highPassHz;         // "audiohighpass" above 20 Hz
    std::optional<int> compressorThresholdDb;  // "audiocompressorthres" below -2 dB
    std::optional<int> gainDb;                 // "audiogain" above 1 or below -1 dB
};

// Reads the three settings now.
LineAudioStages ReadLineAudioStages();

// The source with the stages of ReadLineAudioStages() after it, in the order
// high-pass, compressor, gain. An empty or invalid source is returned as it is.
LSoundSource BuildLineAudioChain(const LSoundSource& source);

// A wave file as a source; an empty handle when it cannot be opened.
LSoundSource OpenWaveFile(const std::string& path);
// An MP3 file as a source in the pipeline's format; an empty handle when it
// cannot be opened.
LSoundSource OpenMp3File(const std::string& path);

}  // namespace orvia
