// Recordings for the delivery and web view tests: a tone written as a WAVE
// file the way the line's recorder writes messages, and files read back as frames.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/codec/wave_format.h"

namespace orvia::test {

// A 16-bit PCM file of frames frames of a 440 Hz tone at half scale (the
// same on every channel). False when the file cannot be written.
bool WriteTone(const std::string& path, int32_t frames, int32_t rate = 8000, uint16_t channels = 1);

// Every frame of a WAVE file as internal samples (interleaved), read to the
// file's end; nothing when it does not open.
std::optional<std::vector<int32_t>> ReadAllSamples(const std::string& path,
                                                   uint16_t* channels = nullptr);

// The format block of a WAVE file written by this system (its "fmt " chunk
// right after the RIFF header).
std::optional<WaveFormat> FileFormat(const std::string& path);

// Root mean square of the samples from first to last (exclusive) of one channel.
double Rms(const std::vector<int32_t>& samples, uint16_t channels, uint16_t channel,
           std::size_t firstFrame, std::size_t lastFrame);

}  // namespace orvia::test
