#include "audio/alc/auto_gain_source.h"

#include <algorithm>
#include <cstring>

#include "audio/alc/block_level_p.h"
#include "audio/level_math.h"

namespace orvia {
namespace {

constexpr uint32_t kAutoGainMaxSample = 2097152;
// Levels fed to the tracker before the first block: the window plus the
// block being output.
constexpr int kLookAhead = LAutoGainControl::kWindow + 1;

}  // namespace

LDPSRCAutoGain::LDPSRCAutoGain(LAutoGainMeasurement measurement, const LAutoGainParams& params)
    : LSoundSourceBase(measurement.sampleRate, kAutoGainMaxSample,
                       static_cast<uint32_t>(measurement.channels)),
      m_(std::move(measurement)),
      tracker_(params.floor, params.ceiling),
      curve_(params.curveThreshold, params.curveSlope, params.upperKnee) {
    if (!m_.samples || !m_.levels || m_.blockFrames < 1 || m_.blocks < 0 ||
        static_cast<int>(m_.speechLevels.size()) != m_.channels)
        flags |= kSoundInvalid;
    m_.speechLevels.resize(channels, kSilenceDb);
    record_.resize(channels);
    offsets_.resize(channels);
    for (int c = 0; c < channels; ++c)
        offsets_[static_cast<std::size_t>(c)] =
            ClampDb(-m_.speechLevels[static_cast<std::size_t>(c)]);
    blockCount_ = IsInvalid() ? 0 : m_.blocks;
    if (params.trimSilence && blockCount_ > 0)
        Trim();
    nextLevelBlock_ = firstBlock_;
    for (int i = 0; i < kLookAhead; ++i)
        FeedTracker();
    blocksLeft_ = blockCount_;
    sampleOffset_ = static_cast<int64_t>(firstBlock_) * m_.blockFrames * channels * 4;
    gains_.assign(channels, 0);
    steps_.assign(channels, 0);
    if (!params.trimSilence) {
        for (int c = 0; c < channels; ++c)
            gains_[static_cast<std::size_t>(c)] = TargetFactor(c);
    }
    length_ = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(blockCount_) * m_.blockFrames, INT32_MAX));
}

int LDPSRCAutoGain::RecordLevel(int32_t block, bool withOffsets) {
    const int64_t at = static_cast<int64_t>(block) * channels;
    if (!m_.levels->File().ReadExactAt(at, record_.data(), record_.size()))
        return kSilenceDb;
    int louder = kSilenceDb;
    for (int c = 0; c < std::min<int>(channels, 2); ++c) {
        int level = record_[static_cast<std::size_t>(c)];
        if (withOffsets)
            level = ClampDb(level + offsets_[static_cast<std::size_t>(c)]);
        louder = std::max(louder, level);
    }
    return louder;
}

void LDPSRCAutoGain::Trim() {
    int speech = m_.speechLevels[0];
    if (channels > 1)
        speech = std::max(speech, m_.speechLevels[1]);
    int threshold = speech - 23;
    int32_t last = firstBlock_ + blockCount_;  // one past the last block kept
    while (last - firstBlock_ > 2 && RecordLevel(last - 1, false) <= threshold)
        --last;
    threshold += 8;
    int32_t first = firstBlock_;
    while (last - first > 2 && RecordLevel(first, false) <= threshold)
        ++first;
    // Keep the last skipped block, so the sound starts after a moment of quiet.
    if (first > firstBlock_)
        --first;
    firstBlock_ = first;
    blockCount_ = last - first;
}

void LDPSRCAutoGain::FeedTracker() {
    if (nextLevelBlock_ < firstBlock_ + blockCount_) {
        tracker_.Add(RecordLevel(nextLevelBlock_, true));
        ++nextLevelBlock_;
    } else {
        tracker_.Advance();
    }
}

int32_t LDPSRCAutoGain::TargetFactor(int channel) const {
    const int s = tracker_.Level();
    const int a = tracker_.Entry() - s;
    const int g = ClampDb(curve_[a] + ClampDb(offsets_[static_cast<std::size_t>(channel)] - s));
    return DbToFactor(g);
}

void LDPSRCAutoGain::StartBlock() {
    const int32_t n = m_.blockFrames;
    for (int c = 0; c < channels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const int64_t gain = gains_[i];
        if (blocksLeft_ < 2)
            steps_[i] = static_cast<int32_t>(-gain / n);  // fade out over the last block
        else
            steps_[i] = static_cast<int32_t>((TargetFactor(c) - gain) / (n + n / 2));
    }
    if (blocksLeft_ > 0)
        --blocksLeft_;
    if (blocksLeft_ >= kLookAhead)
        FeedTracker();
    else
        tracker_.Advance();
    framesLeft_ = n;
}

void LDPSRCAutoGain::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const std::size_t ch = channels;
    const std::size_t bytes = sizeof(int32_t) * static_cast<std::size_t>(frames) * ch;
    if (IsInvalid()) {
        std::memset(buffer, 0, bytes);
        return;
    }
    // The raw samples of the blocks, zeros past the end of the file.
    const std::size_t got = m_.samples->File().ReadAt(sampleOffset_, buffer, bytes);
    std::memset(reinterpret_cast<uint8_t*>(buffer) + got, 0, bytes - got);
    sampleOffset_ += static_cast<int64_t>(bytes);
    position_ = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(position_) + frames, INT32_MAX));

    int32_t* p = buffer;
    int32_t done = 0;
    while (done < frames) {
        if (framesLeft_ == 0)
            StartBlock();
        const int32_t take = std::min(frames - done, framesLeft_);
        for (int32_t f = 0; f < take; ++f) {
            for (std::size_t c = 0; c < ch; ++c, ++p) {
                *p = ApplyGain(*p, gains_[c]);
                gains_[c] += steps_[c];
            }
        }
        done += take;
        framesLeft_ -= take;
    }
}

}  // namespace orvia
