#include "audio/high_pass.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/level_math.h"

namespace orvia {

LSRCHighPass::LSRCHighPass(const LSoundSource& inputSource, int32_t cutoffHz)
    : LSoundProcessBase(inputSource), state_(channels, 0) {
    if (cutoffHz > 0) {
        const double k = (1.0 - std::exp(-2.0 * std::numbers::pi * cutoffHz / sampleRate)) * 256.0;
        k_ = static_cast<int32_t>(k);
    }
    if (maxSample <= 1048576)
        maxSample *= 2;
}

void LSRCHighPass::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    const size_t count = static_cast<size_t>(frames) * ch;
    if (IsInvalid()) {
        std::fill(buffer, buffer + count, 0);
        return;
    }
    input->Read(buffer, frames);
    if (k_ == 0)
        return;
    for (size_t c = 0; c < ch; ++c) {
        int32_t s = state_[c];
        for (size_t i = c; i < count; i += ch) {
            const int32_t y = WrapAdd(buffer[i], -(s >> 8));
            s = WrapAdd(s, WrapMul(y, k_));
            buffer[i] = y;
        }
        state_[c] = s;
    }
}

void LSRCHighPass::Seek(int32_t frame) {
    LSoundProcessBase::Seek(frame);
    std::fill(state_.begin(), state_.end(), 0);
}

void LSPHighPass::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input)) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCHighPass>(input, cutoffHz);
}

}  // namespace orvia
