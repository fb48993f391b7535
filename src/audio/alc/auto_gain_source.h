// LDPSRCAutoGain: the level control's second pass, a source that reads the
// first pass's raw samples and block levels back from its temporary files and
// plays them through a gain that follows the tracked speech level.
//
// Each block of N frames gets the gain curve's value for its level relative
// to the tracked level, plus the offset that brings the recording's speech
// level to 0 dB; the gain ramps towards that value over the block, and fades
// to silence over the last block. maxSample is 2097152. Not seekable; not
// thread-safe (one consumer, as every source).
#pragma once

#include <memory>
#include <vector>

#include "audio/alc/auto_gain_control.h"
#include "audio/alc/auto_gain_params.h"
#include "audio/alc/gain_curve.h"
#include "audio/alc/scratch_file.h"
#include "audio/sound_source.h"

namespace orvia {

// What the first pass hands to the second.
struct LAutoGainMeasurement {
    std::shared_ptr<ScratchFile> samples;  // raw interleaved int32 blocks
    std::shared_ptr<ScratchFile> levels;   // one int8 level per channel per block
    int32_t sampleRate = 8000;
    int channels = 1;
    int32_t blockFrames = 160;  // N
    int32_t blocks = 0;
    std::vector<int> speechLevels;  // per channel
};

class LDPSRCAutoGain : public LSoundSourceBase {
public:
    LDPSRCAutoGain(LAutoGainMeasurement measurement, const LAutoGainParams& params);

    void Read(int32_t* buffer, int32_t frames) override;
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return length_; }

    // Blocks skipped at the start by trimming silence.
    int32_t SkippedBlocks() const { return firstBlock_; }

private:
    // The louder of the first two channels of a level record, or -127 past the records.
    int RecordLevel(int32_t block, bool withOffsets);
    void FeedTracker();
    int32_t TargetFactor(int channel) const;
    void StartBlock();
    void Trim();

    LAutoGainMeasurement m_;
    LAutoGainControl tracker_;
    GainCurve curve_;
    std::vector<int> offsets_;
    std::vector<int8_t> record_;
    int32_t firstBlock_ = 0;      // first block played
    int32_t blockCount_ = 0;      // blocks played
    int32_t nextLevelBlock_ = 0;  // next level record for the tracker
    int32_t blocksLeft_ = 0;
    int32_t framesLeft_ = 0;  // in the current block
    int64_t sampleOffset_ = 0;
    std::vector<int32_t> gains_;
    std::vector<int32_t> steps_;
    int32_t position_ = 0;
    int32_t length_ = 0;
};

}  // namespace orvia
