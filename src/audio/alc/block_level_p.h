// Levels of blocks on the RMS scale of the signal processes (BlockLevelDb:
// 10 x log10(mean of (sample >> 5)^2 / 8388626), rounded, -127..127, where
// -127 means silence), taken per channel of an interleaved block.
#pragma once

#include <cstdint>
#include <vector>

namespace orvia {

inline constexpr int kSilenceDb = -127;
inline constexpr int kMaxDb = 127;

// Limits a sum of dB values to -127..127.
inline int ClampDb(int db) {
    return db < kSilenceDb ? kSilenceDb : (db > kMaxDb ? kMaxDb : db);
}

// The level of one channel of an interleaved block; scratch holds the
// channel's samples when there is more than one.
int ChannelLevel(const int32_t* samples, int32_t frames, int channels, int channel,
                 std::vector<int32_t>& scratch);

}  // namespace orvia
