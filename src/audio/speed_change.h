// Playback speed change by overlapping segments (LSPSpeed builds LSRCSpeed).
//
// Output is made of segments of N = rate / 40 frames (20..8192). After each
// segment the input moves by a skip so that a segment consumes about speed x N
// input frames; negative speeds play backwards. The first H = N / 2 frames of
// each segment are cross-faded with the H frames that followed the previous
// one, so the joins do not click. With a ramp time the speed moves from its
// start value to the target speed in equal steps per segment. Positions and
// lengths are the input's.
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

class LSRCSpeed : public LSoundProcessBase {
public:
    // Speeds that are not finite or whose size exceeds 256 make the stage
    // invalid.
    LSRCSpeed(const LSoundSource& input, double speed, double targetSpeed, int32_t rampTicks);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override;

    int32_t SegmentFrames() const { return n_; }
    int32_t Skip() const { return skip_; }

private:
    void Prime();
    void MakeSegment();

    int32_t n_ = 20;
    int32_t h_ = 10;
    int32_t skip_ = 0;
    int32_t targetSkip_ = 0;
    int32_t skipDelta_ = 0;  // change of the skip per segment, 0 without a ramp
    std::vector<int32_t> segment_;
    std::vector<int32_t> overlap_;
    int32_t used_ = 0;  // frames of the segment already output
};

class LSPSpeed : public LSoundProcess {
public:
    LSPSpeed(double speed, double targetSpeed, int32_t rampTicks)
        : speed(speed), targetSpeed(targetSpeed), rampTicks(rampTicks) {}
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    double speed;
    double targetSpeed;
    int32_t rampTicks;
};

}  // namespace orvia
