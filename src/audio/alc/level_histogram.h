// A histogram of block levels (-127..127 dB) and the speech level found in it.
#pragma once

#include <array>
#include <cstdint>

namespace orvia {

class LevelHistogram {
public:
    void Add(int level) { ++counts_[Index(level)]; }
    void Remove(int level) { --counts_[Index(level)]; }
    int32_t Count(int level) const { return counts_[Index(level)]; }
    int32_t Total() const;
    void Clear() { counts_.fill(0); }

private:
    static std::size_t Index(int level);
    std::array<int32_t, 256> counts_{};
};

// The speech level of a recording from the histogram of its block levels:
// the median level of the blocks that lie within 15 dB of the loud end,
// where the loud end is the lowest level with at most about an eighth of the
// blocks at or above it. -127 for an empty or silent histogram.
int SpeechLevel(const LevelHistogram& histogram);

}  // namespace orvia
