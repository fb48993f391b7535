// Levels of blocks of samples on the RMS scale shared with the player and
// the compressor: 10 x log10(mean of (sample >> 5)^2 / 8388626), rounded half
// away from zero and limited to -127..127, where -127 means silence.
#pragma once

#include <cstdint>

namespace orvia {

inline constexpr int kSilenceDb = -127;
inline constexpr int kMaxDb = 127;

// Limits a sum of dB values to -127..127.
inline int ClampDb(int db) {
    return db < kSilenceDb ? kSilenceDb : (db > kMaxDb ? kMaxDb : db);
}

// The level of a mean square (of samples shifted right 5); 0 gives -127.
int LevelOfMeanSquare(uint64_t meanSquare);

// The level of one channel of an interleaved block.
int ChannelLevel(const int32_t* samples, int32_t frames, int channels, int channel);

}  // namespace orvia
