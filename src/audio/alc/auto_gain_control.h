// LAutoGainControl: the running speech-level tracker of the level control.
//
// It keeps the levels of the last W = 50 blocks (one second of 20 ms blocks),
// follows their upper-quartile level P and moves a smoothed level S towards
// it: quickly (a quarter window per step) when the signal rises, slowly (a
// whole window) when it falls, never rising past the ceiling nor falling
// past the floor. Levels are relative to the recording's speech level, so S
// stays near 0 dB for steady speech. Used by one thread.
#pragma once

#include <array>
#include <cstdint>

#include "audio/alc/level_histogram.h"

namespace orvia {

class LAutoGainControl {
public:
    static constexpr int kWindow = 50;

    // floorParam and ceilingParam as the parameters give them: the tracker
    // does not fall below -floorParam nor rise above -ceilingParam dB.
    LAutoGainControl(int floorParam, int ceilingParam);

    // Takes the level of the next block into the window.
    void Add(int level);
    // Moves on one block past the end of the recording (no new level).
    void Advance();

    // The window entry at the write index: the oldest level still held.
    int Entry() const { return window_[static_cast<std::size_t>(writeIndex_)]; }
    // The smoothed level s (integer part of S).
    int Level() const { return level_; }
    int UpperQuartile() const { return upper_; }

private:
    void Smooth();

    int floor_;
    int ceiling_;
    std::array<int, kWindow> window_{};
    int writeIndex_ = 0;
    LevelHistogram histogram_;
    int upper_ = 0;           // P
    int32_t atOrAbove_ = 0;   // entries at or above P
    double smoothed_ = -2.0;  // S
    int level_ = 0;           // s
};

}  // namespace orvia
