// Level gain in whole dB (LSPGain builds LSRCGain).
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>

#include "audio/sound_process.h"

namespace orvia {

class LSRCGain : public LSoundProcessBase {
public:
    // A gain above 0 dB raises the declared full scale to 2097152; -127 dB
    // gives silence, 0 dB the input unchanged.
    LSRCGain(const LSoundSource& input, int8_t gainDb);
    void Read(int32_t* buffer, int32_t frames) override;

    int32_t Factor() const { return factor_; }

private:
    int32_t factor_;
};

class LSPGain : public LSoundProcess {
public:
    explicit LSPGain(int8_t gainDb) : gainDb(gainDb) {}
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    int8_t gainDb;
};

}  // namespace orvia
