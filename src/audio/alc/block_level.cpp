#include "audio/alc/block_level.h"

#include <algorithm>
#include <cmath>

namespace orvia {
namespace {

constexpr double kReferenceSquare = 8388626.0;
// Squares are taken of values limited to 2^25 (samples of 2^30), so 8192 of
// them cannot overflow the 64-bit sum.
constexpr int64_t kSquareLimit = int64_t{1} << 25;

}  // namespace

int LevelOfMeanSquare(uint64_t meanSquare) {
    if (meanSquare == 0)
        return kSilenceDb;
    const double ratio = static_cast<double>(meanSquare) / kReferenceSquare;
    const double db = 10.0 * std::log10(ratio) + (ratio >= 1.0 ? 0.5 : -0.5);
    return ClampDb(static_cast<int>(std::clamp(db, -1000.0, 1000.0)));
}

int ChannelLevel(const int32_t* samples, int32_t frames, int channels, int channel) {
    if (frames <= 0)
        return kSilenceDb;
    uint64_t sum = 0;
    const int32_t* p = samples + channel;
    for (int32_t i = 0; i < frames; ++i, p += channels) {
        const int64_t v = std::clamp<int64_t>(*p >> 5, -kSquareLimit, kSquareLimit);
        sum += static_cast<uint64_t>(v * v);
    }
    return LevelOfMeanSquare(sum / static_cast<uint64_t>(frames));
}

}  // namespace orvia
