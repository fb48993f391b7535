// Level records of the sound player and recorder, and how their levels are
// measured.
//
// A record holds one level in dB per channel (signed 8-bit, -127 meaning
// silence). The player meters loudness (the mean square of each channel), the
// recorder meters peaks (the largest absolute sample of each channel); both
// work on interleaved blocks at the pipeline's full scale (2^19).
//
// Threads: plain functions and data, any thread.
#pragma once

#include <cstdint>

namespace orvia {

inline constexpr int kSilenceDb = -127;

struct LSoundLevels {
    // Channels measured; 0 is an empty record (nothing playing or recording).
    uint8_t count = 0;
    int8_t levels[256] = {};

    // The record's single level: -127 without channels, the only level for
    // one channel, else the larger of the first two.
    int Level() const;
};

// Loudness of one channel of an interleaved block: the mean of
// (sample >> 5)^2 over the frames, summed in a split accumulator so no sum can
// overflow, as 10 log10(mean / 8388626) rounded half away from zero and
// limited to -127..127; a mean of 0 is -127.
int MeanSquareLevelDb(const int32_t* block, int32_t frames, int channels, int channel);

// Peak of one channel of an interleaved block: 20 log10(peak / 131072)
// rounded half away from zero and limited to -127..127; a peak of 0 is -127.
int PeakLevelDb(const int32_t* block, int32_t frames, int channels, int channel);

// Fills a record with the loudness (player) or peak (recorder) level of every
// channel of an interleaved block. channels is 1..255.
void MeasureMeanSquareLevels(const int32_t* block, int32_t frames, int channels,
                             LSoundLevels* levels);
void MeasurePeakLevels(const int32_t* block, int32_t frames, int channels, LSoundLevels* levels);

}  // namespace orvia
