#include "platform/sip/tone_generator_p.h"

#include <cmath>
#include <cstring>

namespace orvia::sip {
namespace {

constexpr double kSampleRate = 8000.0;
constexpr double kTwoPi = 6.283185307179586;
// Each frequency about -10 dBFS: loud enough for any detector, the sum
// still clear of full scale.
constexpr double kAmplitude = 10000.0;

}  // namespace

bool DtmfFrequencies(char digit, int* low, int* high) {
    static const char kKeys[] = "123A456B789C*0#D";
    static const int kRows[] = {697, 770, 852, 941};
    static const int kCols[] = {1209, 1336, 1477, 1633};
    const char* at = digit ? std::strchr(kKeys, digit) : nullptr;
    if (!at)
        return false;
    const int index = static_cast<int>(at - kKeys);
    *low = kRows[index / 4];
    *high = kCols[index % 4];
    return true;
}

bool DtmfToneGenerator::Start(char digit) {
    int low = 0, high = 0;
    if (!DtmfFrequencies(digit, &low, &high))
        return false;
    lowStep_ = kTwoPi * low / kSampleRate;
    highStep_ = kTwoPi * high / kSampleRate;
    lowPhase_ = highPhase_ = 0;
    return true;
}

void DtmfToneGenerator::Generate(int16_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const double v = kAmplitude * (std::sin(lowPhase_) + std::sin(highPhase_));
        out[i] = static_cast<int16_t>(std::lround(v));
        lowPhase_ = std::fmod(lowPhase_ + lowStep_, kTwoPi);
        highPhase_ = std::fmod(highPhase_ + highStep_, kTwoPi);
    }
}

}  // namespace orvia::sip
