// Helpers of the codec tests: test signals, quality measures, whole-stream
// conversions driven the way the compressed-file reader and writer drive a
// stream, minimal WAVE files, and sox.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/codec/wave_format.h"

namespace orvia::test {

// Two tones per channel (different per channel) under a slow envelope, with
// a little noise: deterministic, frames × channels interleaved samples.
std::vector<int16_t> TestSignal(std::size_t frames, unsigned channels, uint32_t rate);
// Deterministic pseudo-random bytes.
std::vector<uint8_t> NoiseBytes(std::size_t size, uint32_t seed);

// Signal-to-noise ratio in dB of test against ref over the first n samples.
double SnrDb(const std::vector<int16_t>& ref, const std::vector<int16_t>& test, std::size_t n);

std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes);

// Encodes the whole signal as the writer does: pieces of `piece` frames
// gathered in a source buffer of 8192 frames, block-aligned conversions, and
// a final conversion with the end flag. Empty on failure.
std::vector<uint8_t> EncodeAll(const WaveFormat& format, const std::vector<int16_t>& pcm,
                               std::size_t piece = 1000);
// Decodes the whole data as the reader does: a source buffer of the size the
// stream asks for 8192 frames, block-aligned conversions while it fills, and
// the end flag for the last piece. nullopt on failure.
std::optional<std::vector<int16_t>> DecodeAll(const WaveFormat& format,
                                              const std::vector<uint8_t>& data);

// A WAVE file of one "fmt " and one "data" chunk.
std::vector<uint8_t> BuildWave(const WaveFormat& format, const std::vector<uint8_t>& data);
struct ParsedWave {
    WaveFormat format;
    std::vector<uint8_t> data;
};
// Finds "fmt " and "data" in a RIFF WAVE file.
std::optional<ParsedWave> ParseWave(const std::vector<uint8_t>& file);

std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Runs sox with the given argument text (paths quoted by the caller); true
// when it succeeds.
bool RunSox(const std::string& args);
// sox's own decoding of a WAVE file to 16-bit little-endian samples.
std::optional<std::vector<int16_t>> SoxDecode(const std::string& wavPath,
                                              const std::string& scratchDir);

std::string Quote(const std::string& path);

}  // namespace orvia::test
