// One-pole high-pass filter (LSPHighPass builds LSRCHighPass).
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

class LSRCHighPass : public LSoundProcessBase {
public:
    // k = trunc((1 - e^(-2 pi f / rate)) x 256); a cut-off of 0 (or below)
    // passes audio unchanged. The declared full scale is doubled when it is at
    // most 1048576.
    LSRCHighPass(const LSoundSource& input, int32_t cutoffHz);
    void Read(int32_t* buffer, int32_t frames) override;
    // Forwards to the input and clears the filter states.
    void Seek(int32_t frame) override;

    int32_t Coefficient() const { return k_; }

private:
    int32_t k_ = 0;
    std::vector<int32_t> state_;  // one per channel
};

class LSPHighPass : public LSoundProcess {
public:
    explicit LSPHighPass(int32_t cutoffHz) : cutoffHz(cutoffHz) {}
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    int32_t cutoffHz;
};

}  // namespace orvia
