#include "audio/alc/auto_gain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/alc/block_level_p.h"
#include "audio/channel_conversion.h"
#include "audio/peak_limiter.h"
#include "audio/rate_conversion.h"

namespace orvia {
namespace {

// One-pole filter coefficient for a corner frequency, in 1/256 steps.
int32_t FilterCoefficient(int32_t frequency, int32_t rate) {
    return static_cast<int32_t>((1.0 - std::exp(-2.0 * std::numbers::pi * frequency / rate)) * 256);
}

// Applies a process to a handle in place.
void ApplyStage(const LSoundProcess& process, LSoundSource& source) {
    LSoundSource result;
    process.Apply(result, source);
    source = result;
}

}  // namespace

LDPAutoGain::LDPAutoGain(const LSoundSource& source, const LSoundSink& sink,
                         const LAutoGainParams& params)
    : params_(params), source_(source), sink_(sink) {
    if (IsInvalid(source_) || IsInvalid(sink_))
        return;
    if (sink_->channels < source_->channels)
        ApplyStage(LSPConvChannels(sink_->channels), source_);
    if (static_cast<int64_t>(sink_->sampleRate) < source_->sampleRate)
        ApplyStage(LSPConvertRate(static_cast<int32_t>(sink_->sampleRate)), source_);
    if (IsInvalid(source_))
        return;

    measurement_.samples = ScratchFile::Create("lca");
    measurement_.levels = ScratchFile::Create("lcp");
    if (!measurement_.samples || !measurement_.levels)
        return;
    const int32_t rate = source_->sampleRate;
    const int channels = source_->channels;
    measurement_.sampleRate = rate;
    measurement_.channels = channels;
    measurement_.blockFrames = std::clamp(rate / 50, 20, kMaxBlockFrames);
    const auto samples = static_cast<std::size_t>(measurement_.blockFrames) * channels;
    block_.resize(samples);
    filtered_.resize(samples);
    record_.resize(static_cast<std::size_t>(channels));
    k1_ = FilterCoefficient(params_.f1, rate);
    k2_ = FilterCoefficient(params_.f2, rate);
    s1_.assign(static_cast<std::size_t>(channels), 0);
    s2_.assign(static_cast<std::size_t>(channels), 0);
    histograms_.resize(static_cast<std::size_t>(channels));
    state_ = State::Measuring;
}

bool LDPAutoGain::Step() {
    switch (state_) {
        case State::Measuring:
            return StepMeasuring();
        case State::Writing:
            return StepWriting();
        case State::Failed:
            break;
    }
    return false;
}

void LDPAutoGain::MeasureBlock() {
    // A high-pass at f1 followed by a lift of what lies above f2, on a copy.
    const int channels = measurement_.channels;
    const int32_t n = measurement_.blockFrames;
    for (int c = 0; c < channels; ++c) {
        int64_t s1 = s1_[static_cast<std::size_t>(c)];
        int64_t s2 = s2_[static_cast<std::size_t>(c)];
        for (int32_t i = 0; i < n; ++i) {
            const std::size_t at = static_cast<std::size_t>(i) * channels + c;
            const int64_t x = block_[at];
            const int64_t y = x - (s1 >> 8);
            s1 += y * k1_;
            const int64_t z = y - (s2 >> 8);
            s2 += z * k2_;
            filtered_[at] = static_cast<int32_t>(std::clamp<int64_t>(y + z, INT32_MIN, INT32_MAX));
        }
        s1_[static_cast<std::size_t>(c)] = s1;
        s2_[static_cast<std::size_t>(c)] = s2;
        const int level = ChannelLevel(filtered_.data(), n, channels, c, scratch_);
        histograms_[static_cast<std::size_t>(c)].Add(level);
        record_[static_cast<std::size_t>(c)] = static_cast<int8_t>(level);
    }
}

bool LDPAutoGain::StepMeasuring() {
    const int32_t n = measurement_.blockFrames;
    source_->Read(block_.data(), n);
    const std::size_t bytes = block_.size() * sizeof(int32_t);
    measurement_.samples->File().WriteAt(samplesWritten_, block_.data(), bytes);
    samplesWritten_ += static_cast<int64_t>(bytes);
    MeasureBlock();
    measurement_.levels->File().WriteAt(
        static_cast<int64_t>(measurement_.blocks) * measurement_.channels, record_.data(),
        record_.size());
    ++measurement_.blocks;
    if (source_->GetPosition() < source_->GetLength())
        return true;
    return FinishMeasuring();
}

bool LDPAutoGain::FinishMeasuring() {
    measurement_.speechLevels.clear();
    for (const LevelHistogram& h : histograms_)
        measurement_.speechLevels.push_back(SpeechLevel(h));
    const uint32_t sourceMaxSample = source_->maxSample;
    source_.reset();

    output_ = MakeCounted<LDPSRCAutoGain>(measurement_, params_);
    if (output_->channels != sink_->channels)
        ApplyStage(LSPConvChannels(sink_->channels), output_);
    if (output_->sampleRate != static_cast<int64_t>(sink_->sampleRate))
        ApplyStage(LSPConvertRate(static_cast<int32_t>(sink_->sampleRate)), output_);
    // Louder than the sink can take: a peak limiter at the sink's full scale
    // (the stage passes the chain through when the sink can take it all).
    if (sink_->maxSample < sourceMaxSample || sink_->maxSample < output_->maxSample)
        ApplyStage(
            LSPPeakLimit(static_cast<int32_t>(std::min<uint32_t>(sink_->maxSample, INT32_MAX))),
            output_);
    if (IsInvalid(output_)) {
        state_ = State::Failed;
        return false;
    }
    block_.assign(static_cast<std::size_t>(measurement_.blockFrames) * output_->channels, 0);
    state_ = State::Writing;
    return true;
}

bool LDPAutoGain::StepWriting() {
    // The output may run at another rate than the measured blocks; N frames
    // of it per step keep each step short.
    const int32_t n = measurement_.blockFrames;
    const int32_t at = output_->GetPosition();
    output_->Read(block_.data(), n);
    const int32_t useful = std::clamp(output_->GetLength() - at, 0, n);
    if (useful > 0)
        sink_->Write(block_.data(), useful);
    return output_->GetPosition() < output_->GetLength();
}

}  // namespace orvia
