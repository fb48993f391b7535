// Look-ahead peak limiter (LSPPeakLimit builds LSRCPeakLimit).
//
// Works on blocks of N = rate / 35 frames (20..8192). Three blocks are held:
// the one being output and the next two, so the gain can start falling a
// block before a peak arrives. The stage's position is 3N - (frames already
// output of the current block) behind its input's; a Seek primes again.
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

class LSRCPeakLimit : public LSoundProcessBase {
public:
    // A negative limit is impossible and makes the stage invalid.
    LSRCPeakLimit(const LSoundSource& input, int32_t limit);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;
    int32_t GetPosition() override;

    int32_t BlockFrames() const { return n_; }

private:
    void Prime();
    int32_t TargetOf(const int32_t* block) const;
    void ComputeRamp();

    int32_t limit_;
    int32_t n_ = 20;
    std::vector<int32_t> blocks_[3];  // A (being output), B, C
    int32_t t0_ = 0, t1_ = 0, t2_ = 0, t3_ = 0;
    int32_t gain_ = 0;
    int32_t step_ = 0;
    int32_t outIndex_ = 0;
};

class LSPPeakLimit : public LSoundProcess {
public:
    explicit LSPPeakLimit(int32_t limit) : limit(limit) {}
    // Passes the input through when the limit is not below its full scale.
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    int32_t limit;
};

}  // namespace orvia
