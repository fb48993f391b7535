#include "audio/alc/auto_gain_control.h"

#include "audio/alc/block_level_p.h"

namespace orvia {
namespace {

constexpr int kQuarter = LAutoGainControl::kWindow / 4;

}  // namespace

LAutoGainControl::LAutoGainControl(int floorParam, int ceilingParam)
    : floor_(-floorParam), ceiling_(-ceilingParam) {
    // The window starts with every entry at 0 dB, all at or above P = 0.
    for (int i = 0; i < kWindow; ++i)
        histogram_.Add(0);
    atOrAbove_ = kWindow;
}

void LAutoGainControl::Add(int level) {
    const int x = ClampDb(level);
    auto& slot = window_[static_cast<std::size_t>(writeIndex_)];
    histogram_.Remove(slot);
    if (slot >= upper_)
        --atOrAbove_;
    slot = x;
    histogram_.Add(x);
    if (x >= upper_)
        ++atOrAbove_;
    writeIndex_ = (writeIndex_ + 1) % kWindow;

    // Keep P the upper quartile: more than a quarter of the window at or
    // above it, but no longer once its own entries are left out.
    while (atOrAbove_ <= kQuarter && upper_ > kSilenceDb) {
        --upper_;
        atOrAbove_ += histogram_.Count(upper_);
    }
    while (atOrAbove_ - histogram_.Count(upper_) > kQuarter && upper_ < kMaxDb) {
        atOrAbove_ -= histogram_.Count(upper_);
        ++upper_;
    }
    Smooth();
}

void LAutoGainControl::Advance() {
    writeIndex_ = (writeIndex_ + 1) % kWindow;
    Smooth();
}

void LAutoGainControl::Smooth() {
    const int e = Entry();
    if (level_ < e && level_ < upper_ && level_ < ceiling_) {
        smoothed_ += (upper_ - smoothed_) / kQuarter;  // quick rise
        level_ = static_cast<int>(smoothed_);
    } else if (e < level_ && upper_ < level_ && floor_ < level_) {
        smoothed_ += (upper_ - smoothed_) / kWindow;  // slow fall
        level_ = static_cast<int>(smoothed_);
    }
}

}  // namespace orvia
