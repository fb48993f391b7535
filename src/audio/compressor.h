// Look-ahead compressor (LSPCompressor builds LSRCCompressor).
//
// The gain follows the RMS level of blocks of N frames (the window). Two
// blocks are held: the one being output and the next, whose level sets the
// gain ramp across the current one. The stage's position is therefore
// 2N - (frames already output of the current block) behind its input's, and a
// Seek primes both blocks again.
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

class LSRCCompressor : public LSoundProcessBase {
public:
    // thresholdDb T, ratio r (the gain factor per dB above T, 0 < r), window
    // in ticks (the block length, limited to 128..8192 frames).
    LSRCCompressor(const LSoundSource& input, int8_t thresholdDb, double ratio,
                   int32_t windowTicks);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;
    int32_t GetPosition() override;

    int32_t BlockFrames() const { return n_; }
    // The gain for a block level in dB (-128..127).
    int32_t CurveAt(int levelDb) const { return curve_[static_cast<size_t>(levelDb + 128)]; }

private:
    void Prime();
    void ReadBlock(int32_t* block);
    int32_t TargetOf(const int32_t* block) const;
    void ComputeRamp();

    std::array<int32_t, 256> curve_{};
    int32_t n_ = 128;
    std::vector<int32_t> blockA_, blockB_;  // the block being output, the next one
    int32_t gain_ = 0;                      // current gain factor
    int32_t step_ = 0;                      // per-frame change of the gain
    int32_t target_ = 0;                    // gain for block B
    int32_t prevTarget_ = 0;                // gain for block A
    int32_t outIndex_ = 0;                  // frames of block A already output
};

class LSPCompressor : public LSoundProcess {
public:
    LSPCompressor(int8_t thresholdDb, double ratio, int32_t windowTicks)
        : thresholdDb(thresholdDb), ratio(ratio), windowTicks(windowTicks) {}
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    int8_t thresholdDb;
    double ratio;  // gain factor per dB above the threshold
    int32_t windowTicks;
};

}  // namespace orvia
