#include "audio/gain.h"

#include <algorithm>

#include "audio/level_math.h"

namespace orvia {

LSRCGain::LSRCGain(const LSoundSource& inputSource, int8_t gainDb)
    : LSoundProcessBase(inputSource), factor_(DbToFactor(gainDb)) {
    if (gainDb > 0)
        maxSample = kNoInputMaxSample;
}

void LSRCGain::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t count = static_cast<size_t>(frames) * channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + count, 0);
        return;
    }
    input->Read(buffer, frames);
    if (factor_ == kUnityGain)
        return;
    for (size_t i = 0; i < count; ++i)
        buffer[i] = ApplyGain(buffer[i], factor_);
}

void LSPGain::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input)) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCGain>(input, gainDb);
}

}  // namespace orvia
