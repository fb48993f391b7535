#include <gtest/gtest.h>

#include <vector>

#include "audio/alc/auto_gain_control.h"

namespace orvia {
namespace {

// The queue's floor (2, i.e. -2 dB) and ceiling (-6, i.e. +6 dB).
LAutoGainControl QueueTracker() {
    return LAutoGainControl(2, -6);
}

TEST(AutoGainControlTest, UpperQuartileIsTheHighestLevelWithMoreThanAQuarterAtOrAboveIt) {
    const struct {
        int loud;   // entries at 0 dB
        int quiet;  // entries at -20 dB
        int upper;
    } cases[] = {{12, 38, -20}, {13, 37, 0}, {50, 0, 0}, {0, 50, -20}};
    for (const auto& c : cases) {
        LAutoGainControl tracker = QueueTracker();
        for (int i = 0; i < c.quiet; ++i)
            tracker.Add(-20);
        for (int i = 0; i < c.loud; ++i)
            tracker.Add(0);
        EXPECT_EQ(tracker.UpperQuartile(), c.upper) << c.loud << " loud";
    }
}

TEST(AutoGainControlTest, SteadyLevelAtZeroKeepsTheTrackerStill) {
    LAutoGainControl tracker = QueueTracker();
    for (int i = 0; i < 500; ++i) {
        tracker.Add(0);
        ASSERT_EQ(tracker.Level(), 0);
    }
}

TEST(AutoGainControlTest, RisesQuicklyToTheCeilingAndFallsSlowlyToTheFloor) {
    LAutoGainControl tracker = QueueTracker();
    // The rise waits until the oldest entry (the block being output) is loud:
    // the 50th level fills the window.
    for (int i = 1; i < LAutoGainControl::kWindow; ++i) {
        tracker.Add(10);
        ASSERT_EQ(tracker.Level(), 0);
    }
    std::vector<int> rise;
    for (int i = 0; i < 40; ++i) {
        tracker.Add(10);
        rise.push_back(tracker.Level());
    }
    EXPECT_EQ(tracker.UpperQuartile(), 10);
    // A quarter of the distance per block from S = -2: S = 10 - 12 (11/12)^n
    // is -1 after the first block and reaches 6 after 13, where the ceiling
    // holds it.
    EXPECT_EQ(rise[0], -1);
    EXPECT_EQ(rise[11], 5);
    EXPECT_EQ(rise[12], 6);
    EXPECT_EQ(rise.back(), 6);
    EXPECT_TRUE(std::is_sorted(rise.begin() + 1, rise.end()));

    std::vector<int> fall;
    for (int i = 0; i < 300; ++i) {
        tracker.Add(-10);
        fall.push_back(tracker.Level());
    }
    EXPECT_TRUE(std::is_sorted(fall.rbegin(), fall.rend()));
    // Nothing moves until the window holds only the quiet level.
    EXPECT_EQ(fall[LAutoGainControl::kWindow - 2], 6);
    EXPECT_EQ(fall[LAutoGainControl::kWindow - 1], 5);
    // A fiftieth of the distance per block: slower than the rise by far.
    const auto firstBelow = [&](int level) {
        return std::find_if(fall.begin(), fall.end(), [&](int s) { return s < level; }) -
               fall.begin();
    };
    EXPECT_GT(firstBelow(0) - firstBelow(6), 20);
    EXPECT_EQ(fall.back(), -2);
}

TEST(AutoGainControlTest, AdvancingPastTheEndMovesOnlyTheSmoothedLevel) {
    LAutoGainControl tracker = QueueTracker();
    for (int i = 0; i < LAutoGainControl::kWindow; ++i)
        tracker.Add(4);
    for (int i = 0; i < 100; ++i) {
        tracker.Advance();
        EXPECT_EQ(tracker.UpperQuartile(), 4);
        EXPECT_EQ(tracker.Entry(), 4);
    }
    EXPECT_EQ(tracker.Level(), 3);  // S approaches 4 but never reaches it
}

}  // namespace
}  // namespace orvia
