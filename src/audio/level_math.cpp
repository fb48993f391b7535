#include "audio/level_math.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvia {
namespace {

using DbTable = std::array<int32_t, 256>;  // index dB + 128

DbTable BuildTable(double dbPerDecade) {
    DbTable table{};
    for (int db = -126; db <= 127; ++db) {
        const double f = std::floor(std::pow(10.0, db / dbPerDecade) * kUnityGain + 0.5);
        table[static_cast<size_t>(db + 128)] =
            f >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(f);
    }
    return table;  // entries -128 and -127 stay 0
}

const DbTable& AmplitudeTable() {
    static const DbTable table = BuildTable(20.0);
    return table;
}

const DbTable& PowerTable() {
    static const DbTable table = BuildTable(10.0);
    return table;
}

size_t DbIndex(int db) {
    return static_cast<size_t>(std::clamp(db, -128, 127) + 128);
}

}  // namespace

int32_t DbToFactor(int db) {
    return AmplitudeTable()[DbIndex(db)];
}

int32_t DbToPowerFactor(int db) {
    return PowerTable()[DbIndex(db)];
}

int BlockLevelDb(const int32_t* samples, size_t count) {
    if (count == 0)
        return -127;
    // Squares split into a high part and their low 13 bits so that even
    // 255 channels of extreme samples cannot overflow the sums.
    uint64_t high = 0, low = 0;
    for (size_t i = 0; i < count; ++i) {
        const int64_t v = samples[i] >> 5;
        const auto square = static_cast<uint64_t>(v * v);
        high += square >> 13;
        low += square & 8191;
    }
    const uint64_t mean = ((high / count) << 13) + (((high % count) << 13) + low) / count;
    if (mean == 0)
        return -127;
    constexpr uint64_t kReference = 8388626;
    const double level = 10.0 * std::log10(static_cast<double>(mean) / kReference);
    const double rounded = level + (mean >= kReference ? 0.5 : -0.5);
    return static_cast<int>(std::clamp(std::trunc(rounded), -127.0, 127.0));
}

int32_t BlockPeak(const int32_t* samples, size_t count) {
    uint32_t peak = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t v = static_cast<uint32_t>(samples[i]);
        const uint32_t a = samples[i] < 0 ? 0u - v : v;
        peak = std::max(peak, a);
    }
    return static_cast<int32_t>(std::min<uint32_t>(peak, 2147483647u));
}

}  // namespace orvia
