// Sample-rate conversion with a windowed-sinc polyphase filter
// (LSPConvertRate builds LSRCConvertRate).
//
// The ratio input rate / output rate is approximated by S / P: P filter
// phases (1..255), each output frame advancing S / P input frames. Each phase
// has 63 taps centred on tap 31, so the filter looks 31 frames ahead of the
// output and a Seek reloads the history around the new position. The history
// holds 8192 frames per channel, shifted right just enough (s bits) for its
// peak to fit 16 bits, so the integer sums cannot overflow; the output is
// shifted back by 15 - s.
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

class LSRCConvertRate : public LSoundProcessBase {
public:
    // An output rate below 1 gives 44100 and marks the stage invalid; so does
    // a ratio the filter cannot follow (more than 4096 input frames per
    // output frame, or too few for one step in 255 phases).
    LSRCConvertRate(const LSoundSource& input, int32_t outputRate);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;
    int32_t GetPosition() override;
    int32_t GetLength() override;

    static constexpr int kTaps = 63;
    static constexpr int kCentreTap = 31;
    static constexpr int32_t kHistoryFrames = 8192;

    int32_t Phases() const { return phases_; }
    int32_t Step() const { return step_; }
    int32_t Coefficient(int32_t phase, int tap) const {
        return coefficients_[static_cast<size_t>(phase) * kStride + static_cast<size_t>(tap)];
    }

private:
    static constexpr size_t kStride = 64;  // taps per phase, padded

    void BuildFilter(int32_t inputRate, int32_t outputRate);
    // Reads count frames from the input behind the first keep frames of the
    // history (whose unshifted values are in keptRaw_), then normalises.
    void Load(int32_t keep, int32_t count);
    int64_t ScaleToOutput(int64_t inputFrames) const;

    int32_t phases_ = 1;                 // P
    int32_t step_ = 1;                   // S, in 1/P input frame per output frame
    std::vector<int32_t> coefficients_;  // phases_ x kStride
    std::vector<int32_t> history_;       // planar: channel c at c x kHistoryFrames
    std::vector<int32_t> inBuffer_;      // interleaved input block
    std::vector<int32_t> keptRaw_;       // unshifted last kTaps frames, planar
    int32_t position_ = 0;               // history index of the first tap
    int32_t phase_ = 0;                  // 0..P-1 (P-1+S between frames)
    int shift_ = 0;                      // s
};

class LSPConvertRate : public LSoundProcess {
public:
    explicit LSPConvertRate(int32_t sampleRate) : sampleRate(sampleRate) {}
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    int32_t sampleRate;
};

}  // namespace orvia
