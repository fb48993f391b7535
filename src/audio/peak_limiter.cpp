#include "audio/peak_limiter.h"

#include <algorithm>

#include "audio/level_math.h"

namespace orvia {

LSRCPeakLimit::LSRCPeakLimit(const LSoundSource& inputSource, int32_t limit)
    : LSoundProcessBase(inputSource), limit_(limit) {
    maxSample = maxSample < 4194304 ? static_cast<uint32_t>(std::max(limit, 0)) : 4194303;
    if (limit < 0)
        flags |= kSoundInvalid;
    if (IsInvalid())
        return;
    n_ = std::clamp(sampleRate / 35, 20, kMaxBlockFrames);
    for (auto& block : blocks_)
        block.resize(static_cast<size_t>(n_) * channels);
    Prime();
}

int32_t LSRCPeakLimit::TargetOf(const int32_t* block) const {
    const int64_t peak = BlockPeak(block, static_cast<size_t>(n_) * channels);
    if (peak <= limit_)
        return kUnityGain;
    const int64_t divisor = (peak + 64) >> 6;
    return static_cast<int32_t>(((static_cast<int64_t>(limit_) << 9) / divisor) << 9);
}

void LSRCPeakLimit::ComputeRamp() {
    const int64_t toMin = static_cast<int64_t>(std::min(t1_, t2_)) - gain_;
    const int64_t toMean = ((static_cast<int64_t>(t0_) + t1_ + t2_ + t3_) >> 2) - gain_;
    const int64_t d = std::min(toMin, toMean);
    step_ = static_cast<int32_t>(d / n_);
    gain_ = static_cast<int32_t>(gain_ + d % n_);
}

void LSRCPeakLimit::Prime() {
    for (auto& block : blocks_)
        input->Read(block.data(), n_);
    t0_ = t1_ = TargetOf(blocks_[0].data());
    t2_ = TargetOf(blocks_[1].data());
    t3_ = TargetOf(blocks_[2].data());
    gain_ = t1_;
    ComputeRamp();
    outIndex_ = 0;
}

void LSRCPeakLimit::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * ch, 0);
        return;
    }
    while (frames > 0) {
        if (outIndex_ >= n_) {
            // A <- B, B <- C, and the old A's memory takes the next block.
            std::swap(blocks_[0], blocks_[1]);
            std::swap(blocks_[1], blocks_[2]);
            input->Read(blocks_[2].data(), n_);
            t0_ = t1_;
            t1_ = t2_;
            t2_ = t3_;
            t3_ = TargetOf(blocks_[2].data());
            ComputeRamp();
            outIndex_ = 0;
        }
        const int32_t take = std::min(frames, n_ - outIndex_);
        const int32_t* in = blocks_[0].data() + static_cast<size_t>(outIndex_) * ch;
        const size_t count = static_cast<size_t>(take) * ch;
        // The step is fixed for the whole block, so either every frame of it
        // is scaled or, at unity gain with a flat ramp, every frame is copied.
        if (gain_ >= kUnityGain && step_ == 0) {
            std::copy(in, in + count, buffer);
        } else {
            gain_ = ApplyRampedGain(in, buffer, take, ch, gain_, step_);
        }
        outIndex_ += take;
        buffer += static_cast<size_t>(take) * ch;
        frames -= take;
    }
}

void LSRCPeakLimit::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    input->Seek(frame);
    Prime();
}

int32_t LSRCPeakLimit::GetPosition() {
    if (IsInvalid())
        return LSoundProcessBase::GetPosition();
    return input->GetPosition() - (3 * n_ - outIndex_);
}

void LSPPeakLimit::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input) || static_cast<int64_t>(limit) >= input->maxSample) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCPeakLimit>(input, limit);
}

}  // namespace orvia
