// The level control's gain curve: a gain in dB for each level of a block
// relative to the tracked speech level (-128..127). Below the threshold T it
// lifts by T x c; from T it falls by c per dB up to the upper knee U; from U
// on it falls 1 dB per dB, holding peaks at about the knee.
#pragma once

#include <array>
#include <cstdint>

namespace orvia {

class GainCurve {
public:
    GainCurve(int threshold, double slope, int upperKnee);
    // The gain in dB for a relative level (limited to -128..127).
    int operator[](int relativeLevel) const;

private:
    std::array<int8_t, 256> gains_{};
};

}  // namespace orvia
