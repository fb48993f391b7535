#include "audio/alc/level_histogram.h"

#include <algorithm>

#include "audio/alc/block_level_p.h"

namespace orvia {

std::size_t LevelHistogram::Index(int level) {
    return static_cast<std::size_t>(std::clamp(level, -128, 127) + 128);
}

int32_t LevelHistogram::Total() const {
    int32_t total = 0;
    for (int32_t c : counts_)
        total += c;
    return total;
}

int SpeechLevel(const LevelHistogram& histogram) {
    const int32_t total = histogram.Total();
    // 1. The loud end p: walk up while more than (total + 8) / 8 blocks lie
    // at or above the level reached.
    int32_t remaining = total;
    int level = kSilenceDb;
    while ((total + 8) / 8 < remaining && level < kMaxDb) {
        remaining -= histogram.Count(level);
        ++level;
    }
    const int p = level;
    // 2. Take in the blocks down to 15 dB below the loud end.
    const int bottom = p < -112 ? kSilenceDb : p - 15;
    for (int l = p - 1; l >= bottom; --l)
        remaining += histogram.Count(l);
    // 3. The median of those blocks: the lowest level from the bottom up with
    // at most half of them above it.
    const int32_t half = remaining / 2;
    level = bottom;
    while (remaining - histogram.Count(level) > half && level < kMaxDb) {
        remaining -= histogram.Count(level);
        ++level;
    }
    return ClampDb(level);
}

}  // namespace orvia
