// Sources of captured audio for the test devices.
//
// A source fills a block of interleaved 16-bit frames in the device's format
// and returns how many it produced; 0 means it has nothing more, after which
// the device captures silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/wave/wave_types.h"

namespace orvia {

using WaveInputSource = std::function<size_t(int16_t* out, size_t frames, const PcmFormat& format)>;

// Plays the samples once (interleaved, read in the open device's channel
// count). Each copy of the source starts at the beginning.
WaveInputSource SamplesInput(std::vector<int16_t> samples);

// Reads 16-bit PCM WAVE file data: its format and its samples. False for
// anything else or for a malformed file; a data chunk that runs past the end
// of the file is cut to what is there.
bool ParsePcm16Wave(std::string_view bytes, PcmFormat* format, std::vector<int16_t>* samples);

}  // namespace orvia
