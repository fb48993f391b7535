#include "platform/sip/fax_tone_detector_p.h"

#include <cmath>

namespace orvia::sip {
namespace {

constexpr size_t kBlock = 160;                    // 20 ms
constexpr int kBlocksForTone = 20;                // 400 ms of the 500 ms tone
constexpr double kMinMeanSquare = 100.0 * 100.0;  // about -50 dBFS: not line noise
constexpr double kMinToneShare = 0.6;             // share of the block's energy at 1100 Hz
// Goertzel coefficient 2 cos(2 pi f / fs) for 1100 Hz at 8000 Hz.
const double kCoefficient = 2.0 * std::cos(2.0 * 3.141592653589793 * 1100.0 / 8000.0);

}  // namespace

void FaxToneDetector::EndBlock() {
    // Power of the 1100 Hz bin; for a pure tone it is N/2 times the block's
    // energy, so the ratio below is the tone's share of the energy.
    const double power = q1_ * q1_ + q2_ * q2_ - kCoefficient * q1_ * q2_;
    const double share = energy_ > 0 ? power / (energy_ * kBlock / 2.0) : 0.0;
    const bool tone = energy_ / kBlock >= kMinMeanSquare && share >= kMinToneShare;
    toneBlocks_ = tone ? toneBlocks_ + 1 : 0;
    if (toneBlocks_ >= kBlocksForTone && !detected_) {
        detected_ = true;
        justDetected_ = true;
    }
    q1_ = q2_ = energy_ = 0;
    inBlock_ = 0;
}

bool FaxToneDetector::Process(const int16_t* samples, size_t count) {
    justDetected_ = false;
    for (size_t i = 0; i < count; ++i) {
        const double x = samples[i];
        const double q0 = kCoefficient * q1_ - q2_ + x;
        q2_ = q1_;
        q1_ = q0;
        energy_ += x * x;
        if (++inBlock_ == kBlock)
            EndBlock();
    }
    return justDetected_;
}

}  // namespace orvia::sip
