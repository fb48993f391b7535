// A whole sound source as 16-bit samples, and those samples as a WAVE file
// image: how audio leaves the pipeline for an encoder or a browser, whatever
// format the file it came from was stored in.
//
// Any thread (one consumer of a source at a time, as for every source).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/sound_source.h"

namespace orvia {

// 16-bit samples, interleaved by channel.
struct Pcm16Audio {
    int32_t sampleRate = 8000;
    uint16_t channels = 1;
    std::vector<int16_t> samples;

    int64_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads the whole file (any WAVE format the pipeline opens) converted to
// channels and sampleRate, at most maxSeconds of it. Nothing when the file
// cannot be opened as a sound source.
std::optional<Pcm16Audio> ReadPcm16File(const std::string& wavePath, uint16_t channels,
                                        int32_t sampleRate, int32_t maxSeconds);

// The bytes of a 16-bit PCM WAVE file holding the audio.
std::string Pcm16WaveImage(const Pcm16Audio& audio);

}  // namespace orvia
