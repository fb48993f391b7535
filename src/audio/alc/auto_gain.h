// LDPAutoGain: two-pass automatic level control from a source into a sink,
// one block of work per Step so a background thread can run it a little at a
// time.
//
// First pass (measuring): every 20 ms block is copied raw into a samples
// file ("lca..." in the temporary folder) and its level, measured through a
// speech-weighting filter, goes into a levels file ("lcp...") and a histogram
// per channel, which gives each channel's speech level. Second pass
// (writing): LDPSRCAutoGain plays the samples back through the tracked gain,
// converted to the sink's rate and channels and peak-limited to its full
// scale, into the sink. Both temporary files are deleted when the object
// goes. Used by one thread.
#pragma once

#include <memory>
#include <vector>

#include "audio/alc/auto_gain_params.h"
#include "audio/alc/auto_gain_source.h"
#include "audio/alc/level_histogram.h"
#include "audio/sound_source.h"

namespace orvia {

class LDPAutoGain {
public:
    enum class State { Failed = 0, Measuring = 1, Writing = 2 };

    // Converts the source to the sink's channel count when the sink has
    // fewer, and to its rate when the sink's is lower. Failed when either
    // handle is empty or invalid or a temporary file cannot be made.
    LDPAutoGain(const LSoundSource& source, const LSoundSink& sink,
                const LAutoGainParams& params = kQueueAutoGainParams);
    LDPAutoGain(const LDPAutoGain&) = delete;
    LDPAutoGain& operator=(const LDPAutoGain&) = delete;

    // Does one block of work; true while work remains.
    bool Step();

    State GetState() const { return state_; }
    bool Failed() const { return state_ == State::Failed; }
    // The speech level of each channel, known once measuring is over.
    const std::vector<int>& SpeechLevels() const { return measurement_.speechLevels; }

private:
    bool StepMeasuring();
    bool FinishMeasuring();
    bool StepWriting();
    void MeasureBlock();

    State state_ = State::Failed;
    LAutoGainParams params_;
    LSoundSource source_;
    LSoundSink sink_;
    LSoundSource output_;  // the second pass, converted and limited for the sink
    LAutoGainMeasurement measurement_;
    std::vector<int32_t> block_;
    std::vector<int32_t> filtered_;
    std::vector<int32_t> scratch_;
    std::vector<int8_t> record_;
    int32_t k1_ = 0;
    int32_t k2_ = 0;
    std::vector<int64_t> s1_;
    std::vector<int64_t> s2_;
    std::vector<LevelHistogram> histograms_;
    int64_t samplesWritten_ = 0;
};

}  // namespace orvia
