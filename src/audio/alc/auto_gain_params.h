// Parameters of the automatic level control.
#pragma once

#include <cstdint>

namespace orvia {

struct LAutoGainParams {
    // Drop silence at the end and most of it at the start.
    bool trimSilence = false;
    // Measuring filter: a high-pass at f1, then a lift of what lies above f2 (Hz).
    int32_t f1 = 300;
    int32_t f2 = 2200;
    // The tracker stays within -floor..-ceiling dB (2 and -6: -2..+6 dB).
    int floor = 2;
    int ceiling = -6;
    // Gain curve: threshold T (dB), slope c (dB per dB), upper knee U (dB).
    int curveThreshold = -6;
    double curveSlope = -0.5;
    int upperKnee = 2;
};

// The values the background level-control queue uses (the defaults above).
inline constexpr LAutoGainParams kQueueAutoGainParams{};

}  // namespace orvia
