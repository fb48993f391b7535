#include "audio/alc/gain_curve.h"

#include <algorithm>
#include <cmath>

#include "audio/alc/block_level_p.h"

namespace orvia {
namespace {

int8_t RoundedDb(double v) {
    // Half away from zero; std::round does exactly that.
    return static_cast<int8_t>(
        ClampDb(static_cast<int>(std::clamp(std::round(v), -1000.0, 1000.0))));
}

}  // namespace

GainCurve::GainCurve(int threshold, double slope, int upperKnee) {
    double v = threshold * slope;
    for (int a = -128; a <= 127; ++a) {
        gains_[static_cast<std::size_t>(a + 128)] = RoundedDb(v);
        if (a >= upperKnee)
            v -= 1.0;
        else if (a >= threshold)
            v += slope;
    }
}

int GainCurve::operator[](int relativeLevel) const {
    return gains_[static_cast<std::size_t>(std::clamp(relativeLevel, -128, 127) + 128)];
}

}  // namespace orvia
