#include <gtest/gtest.h>

#include <vector>

#include "audio/alc/block_level_p.h"
#include "audio/alc/gain_curve.h"
#include "audio/alc/level_histogram.h"

namespace orvia {
namespace {

TEST(BlockLevelTest, ChannelLevelMeasuresOneChannelOfAnInterleavedBlock) {
    // Left: a constant 92681 ((92681 >> 5)^2 = 2896^2, about 0 dB).
    // Right: alternating +-926810 (+20 dB); silence in a third channel.
    std::vector<int32_t> block;
    for (int i = 0; i < 160; ++i) {
        block.push_back(92681);
        block.push_back(i % 2 ? 926810 : -926810);
        block.push_back(0);
    }
    std::vector<int32_t> scratch;
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 0, scratch), 0);
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 1, scratch), 20);
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 2, scratch), -127);
    // A mono block is measured in place.
    std::vector<int32_t> mono(160, 926810);
    EXPECT_EQ(ChannelLevel(mono.data(), 160, 1, 0, scratch), 20);
}

LevelHistogram Histogram(std::initializer_list<std::pair<int, int>> levelsAndCounts) {
    LevelHistogram h;
    for (auto [level, count] : levelsAndCounts) {
        for (int i = 0; i < count; ++i)
            h.Add(level);
    }
    return h;
}

TEST(SpeechLevelTest, IsTheMedianOfTheBlocksNearTheLoudEnd) {
    const struct {
        const char* name;
        LevelHistogram histogram;
        int speech;
    } cases[] = {
        {"empty", LevelHistogram(), -127},
        {"silence", Histogram({{-127, 500}}), -127},
        {"steady level", Histogram({{-30, 250}}), -30},
        {"one block", Histogram({{12, 1}}), 12},
        // Speech spread over 0..9 dB (3 blocks each) over a noise floor at
        // -40 dB that fills most of the recording: the noise is more than
        // 15 dB below the loud end and does not count.
        {"speech over noise",
         Histogram({{-40, 70},
                    {0, 3},
                    {1, 3},
                    {2, 3},
                    {3, 3},
                    {4, 3},
                    {5, 3},
                    {6, 3},
                    {7, 3},
                    {8, 3},
                    {9, 3}}),
         4},
        // A few loud clicks (at most an eighth) do not move the loud end.
        {"clicks", Histogram({{-20, 90}, {30, 10}}), -20},
        // A quieter part more than 15 dB below the loud end does not count.
        {"quiet part", Histogram({{-30, 30}, {-10, 70}}), -10},
        // Within 15 dB the median decides.
        {"two levels", Histogram({{-20, 60}, {-10, 40}}), -20},
        // Blocks 10 dB below the loud end are within range and pull the median.
        {"in range", Histogram({{-20, 60}, {-10, 40}, {-8, 10}}), -20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpeechLevel(c.histogram), c.speech) << c.name;
}

TEST(GainCurveTest, LiftsQuietBlocksAndHoldsPeaksWithTheQueueParameters) {
    const GainCurve curve(-6, -0.5, 2);
    const struct {
        int relative;
        int gain;
    } cases[] = {{-128, 3}, {-40, 3}, {-6, 3}, {-5, 3}, {-4, 2}, {-3, 2},  {-2, 1},    {-1, 1},
                 {0, 0},    {1, -1},  {2, -1}, {3, -2}, {4, -3}, {10, -9}, {127, -126}};
    for (const auto& c : cases)
        EXPECT_EQ(curve[c.relative], c.gain) << c.relative;
    // Out-of-range relative levels use the end entries.
    EXPECT_EQ(curve[-300], 3);
    EXPECT_EQ(curve[300], -126);
}

TEST(GainCurveTest, EntriesAreLimitedToTheDecibelRange) {
    const GainCurve steep(-100, -2.0, 100);
    EXPECT_EQ(steep[-128], 127);
    EXPECT_EQ(steep[127], -127);
}

}  // namespace
}  // namespace orvia
