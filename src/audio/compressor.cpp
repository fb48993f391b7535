#include "audio/compressor.h"

#include <algorithm>
#include <cmath>

#include "audio/level_math.h"
#include "audio/ticks.h"

namespace orvia {
namespace {

// The compressor's output may exceed the input's full scale by the boost.
inline constexpr uint32_t kCompressorMaxSample = 4194303;

int32_t ToFactor(double g) {
    if (!(g < 2147483647.0))
        return 2147483647;
    return g <= 0.0 ? 0 : static_cast<int32_t>(g);
}

}  // namespace

LSRCCompressor::LSRCCompressor(const LSoundSource& inputSource, int8_t thresholdDb, double ratio,
                               int32_t windowTicks)
    : LSoundProcessBase(inputSource) {
    maxSample = kCompressorMaxSample;
    if (!(ratio > 0.0) || !std::isfinite(ratio))
        flags |= kSoundInvalid;
    if (IsInvalid())
        return;
    // Below the threshold a constant boost; from the threshold up the gain
    // falls by the ratio per dB.
    const int t = thresholdDb;
    double g = t < 0 ? kUnityGain / std::pow(ratio, -t) : static_cast<double>(kUnityGain);
    for (int level = -128; level < t; ++level)
        curve_[static_cast<size_t>(level + 128)] = ToFactor(g);
    for (int level = t; level <= 127; ++level) {
        curve_[static_cast<size_t>(level + 128)] = ToFactor(g);
        g *= ratio;
    }
    n_ = std::clamp(TicksToFrames(windowTicks, sampleRate), 128, kMaxBlockFrames);
    blockA_.resize(static_cast<size_t>(n_) * channels);
    blockB_.resize(static_cast<size_t>(n_) * channels);
    Prime();
}

void LSRCCompressor::ReadBlock(int32_t* block) {
    input->Read(block, n_);
}

int32_t LSRCCompressor::TargetOf(const int32_t* block) const {
    return CurveAt(BlockLevelDb(block, static_cast<size_t>(n_) * channels));
}

void LSRCCompressor::ComputeRamp() {
    int64_t step;
    if (target_ < gain_)  // attack: most of the way across this block
        step = (static_cast<int64_t>(target_) - gain_) / (n_ + n_ / 4);
    else  // release: towards the mean of the two targets, over two blocks
        step = ((static_cast<int64_t>(target_) + prevTarget_) / 2 - gain_) / (2 * n_);
    step_ = static_cast<int32_t>(step);
}

void LSRCCompressor::Prime() {
    ReadBlock(blockA_.data());
    gain_ = prevTarget_ = TargetOf(blockA_.data());
    ReadBlock(blockB_.data());
    target_ = TargetOf(blockB_.data());
    ComputeRamp();
    outIndex_ = 0;
}

void LSRCCompressor::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * ch, 0);
        return;
    }
    while (frames > 0) {
        if (outIndex_ >= n_) {
            blockA_.swap(blockB_);
            prevTarget_ = target_;
            ReadBlock(blockB_.data());
            target_ = TargetOf(blockB_.data());
            ComputeRamp();
            outIndex_ = 0;
        }
        const int32_t take = std::min(frames, n_ - outIndex_);
        const int32_t* in = blockA_.data() + static_cast<size_t>(outIndex_) * ch;
        gain_ = ApplyRampedGain(in, buffer, take, ch, gain_, step_);
        outIndex_ += take;
        buffer += static_cast<size_t>(take) * ch;
        frames -= take;
    }
}

void LSRCCompressor::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    input->Seek(frame);
    Prime();
}

int32_t LSRCCompressor::GetPosition() {
    if (IsInvalid())
        return LSoundProcessBase::GetPosition();
    return input->GetPosition() - (2 * n_ - outIndex_);
}

void LSPCompressor::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input)) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCCompressor>(input, thresholdDb, ratio, windowTicks);
}

}  // namespace orvia
