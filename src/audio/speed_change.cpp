#include "audio/speed_change.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/level_math.h"
#include "audio/ticks.h"

namespace orvia {
namespace {

bool UsableSpeed(double v) {
    return std::isfinite(v) && std::fabs(v) <= 256.0;
}

}  // namespace

LSRCSpeed::LSRCSpeed(const LSoundSource& inputSource, double speed, double targetSpeed,
                     int32_t rampTicks)
    : LSoundProcessBase(inputSource) {
    if (!UsableSpeed(speed) || !UsableSpeed(targetSpeed))
        flags |= kSoundInvalid;
    if (IsInvalid())
        return;
    n_ = std::clamp(sampleRate / 40, 20, kMaxBlockFrames);
    h_ = n_ / 2;
    skip_ = static_cast<int32_t>(std::trunc((speed - 1.0) * n_)) - h_;
    targetSkip_ = static_cast<int32_t>(std::trunc((targetSpeed - 1.0) * n_)) - h_;
    if (rampTicks > 0) {
        const int32_t segments = TicksToFrames(rampTicks, sampleRate) / n_ + 1;
        skipDelta_ = (targetSkip_ - skip_) / segments;
        // A difference smaller than the number of segments still gets there.
        if (skipDelta_ == 0 && targetSkip_ != skip_)
            skipDelta_ = targetSkip_ > skip_ ? 1 : -1;
    }
    segment_.resize(static_cast<size_t>(n_) * channels);
    overlap_.resize(static_cast<size_t>(h_) * channels);
    // Close to the end, start two segments before it so there is something
    // to play (backwards playback starts from the end).
    const int32_t length = input->GetLength();
    if (static_cast<int64_t>(length) - input->GetPosition() <= 2 * n_)
        input->Seek(std::max(length - 2 * n_, 0));
    Prime();
}

void LSRCSpeed::Prime() {
    const int32_t where = input->GetPosition();
    input->Read(overlap_.data(), h_);
    input->Seek(where);
    used_ = n_;
}

void LSRCSpeed::MakeSegment() {
    const size_t ch = channels;
    input->Read(segment_.data(), n_);
    const size_t fade = static_cast<size_t>(h_) * ch;
    const int32_t unit = static_cast<int32_t>(kUnityGain / fade);
    for (size_t i = 0; i < fade; ++i) {
        const int32_t w = static_cast<int32_t>(i) * unit;
        segment_[i] = WrapAdd(ApplyGain(segment_[i], w), ApplyGain(overlap_[i], kUnityGain - w));
    }
    input->Read(overlap_.data(), h_);
    const int64_t next = static_cast<int64_t>(input->GetPosition()) + skip_;
    input->Seek(
        static_cast<int32_t>(std::clamp<int64_t>(next, 0, std::numeric_limits<int32_t>::max())));
    if (skip_ != targetSkip_ && skipDelta_ != 0) {
        skip_ += skipDelta_;
        if ((skipDelta_ > 0 && skip_ > targetSkip_) || (skipDelta_ < 0 && skip_ < targetSkip_))
            skip_ = targetSkip_;
    }
    used_ = 0;
}

void LSRCSpeed::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * ch, 0);
        return;
    }
    while (frames > 0) {
        if (used_ >= n_)
            MakeSegment();
        const int32_t take = std::min(frames, n_ - used_);
        const int32_t* from = segment_.data() + static_cast<size_t>(used_) * ch;
        std::copy(from, from + static_cast<size_t>(take) * ch, buffer);
        used_ += take;
        buffer += static_cast<size_t>(take) * ch;
        frames -= take;
    }
}

void LSRCSpeed::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    input->Seek(frame);
    Prime();
}

void LSPSpeed::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input)) {
        result = input;
        return;
    }
    result = MakeCounted<LSRCSpeed>(input, speed, targetSpeed, rampTicks);
}

}  // namespace orvia
