// MP3 test files made at test time: a generated tone encoded with lame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvia::test {

// Runs a program with arguments (no shell) and waits; true when it exited 0.
bool RunProgram(const std::vector<std::string>& argv);

struct ToneSpec {
    int32_t rate = 44100;
    int channels = 2;
    double seconds = 2.0;
    // Peak amplitude in 16-bit units and frequency of each channel.
    double amplitude = 8000;
    double frequency[2] = {440.0, 660.0};
};

// 16-bit little-endian interleaved samples of sine tones.
std::string MakeTonePcm(const ToneSpec& tone);

// Encodes the tone with lame into mp3Path; extra holds lame's rate and mode
// options ("-b", "128", "--resample", "16", ...). False when lame fails.
bool EncodeMp3(const ToneSpec& tone, const std::vector<std::string>& extra,
               const std::string& mp3Path);

}  // namespace orvia::test
