#include "audio/playback/sound_levels.h"

#include <algorithm>
#include <cmath>

namespace orvia {
namespace {

// Rounds half away from zero (0.5 added at or above the reference, else
// subtracted, then truncated) and limits to the level range.
int RoundLevel(double db, bool atOrAboveReference) {
    const double rounded = std::trunc(db + (atOrAboveReference ? 0.5 : -0.5));
    return static_cast<int>(std::clamp(rounded, -127.0, 127.0));
}

}  // namespace

int LSoundLevels::Level() const {
    if (count == 0)
        return kSilenceDb;
    if (count == 1)
        return levels[0];
    return std::max(levels[0], levels[1]);
}

int MeanSquareLevelDb(const int32_t* block, int32_t frames, int channels, int channel) {
    if (frames <= 0 || channels <= 0)
        return kSilenceDb;
    // Each square is split into its high part (shifted right 13) and its low
    // 13 bits, summed apart, so no sum overflows whatever the samples.
    uint64_t high = 0;
    uint64_t low = 0;
    const int32_t* sample = block + channel;
    for (int32_t i = 0; i < frames; ++i, sample += channels) {
        const int64_t v = *sample >> 5;
        const auto square = static_cast<uint64_t>(v * v);
        high += square >> 13;
        low += square & 8191;
    }
    const auto n = static_cast<uint64_t>(frames);
    const uint64_t mean = ((high / n) << 13) + (((high % n) << 13) + low) / n;
    if (mean == 0)
        return kSilenceDb;
    constexpr uint64_t kReference = 8388626;
    return RoundLevel(10.0 * std::log10(static_cast<double>(mean) / kReference),
                      mean >= kReference);
}

int PeakLevelDb(const int32_t* block, int32_t frames, int channels, int channel) {
    if (frames <= 0 || channels <= 0)
        return kSilenceDb;
    uint32_t peak = 0;
    const int32_t* sample = block + channel;
    for (int32_t i = 0; i < frames; ++i, sample += channels) {
        const auto v = static_cast<uint32_t>(*sample);
        peak = std::max(peak, *sample < 0 ? 0u - v : v);
    }
    if (peak == 0)
        return kSilenceDb;
    constexpr uint32_t kReference = 131072;
    return RoundLevel(20.0 * std::log10(static_cast<double>(peak) / kReference),
                      peak >= kReference);
}

void MeasureMeanSquareLevels(const int32_t* block, int32_t frames, int channels,
                             LSoundLevels* levels) {
    levels->count = static_cast<uint8_t>(std::clamp(channels, 0, 255));
    for (int c = 0; c < levels->count; ++c)
        levels->levels[c] = static_cast<int8_t>(MeanSquareLevelDb(block, frames, channels, c));
}

void MeasurePeakLevels(const int32_t* block, int32_t frames, int channels, LSoundLevels* levels) {
    levels->count = static_cast<uint8_t>(std::clamp(channels, 0, 255));
    for (int c = 0; c < levels->count; ++c)
        levels->levels[c] = static_cast<int8_t>(PeakLevelDb(block, frames, channels, c));
}

}  // namespace orvia
