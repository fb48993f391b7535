#include <gtest/gtest.h>

#include <vector>

#include "audio/alc/block_level.h"
#include "audio/alc/gain_curve.h"
#include "audio/alc/level_histogram.h"

namespace orvia {
namespace {

TEST(BlockLevelTest, MeanSquaresMapToRoundedDecibels) {
    const struct {
        uint64_t meanSquare;
        int level;
    } cases[] = {
        {0, -127},
        {1, -69},  // 10 log10(1 / 8388626) = -69.2
        {8388626, 0},
        {8388626 / 2, -3},  // -3.01
        {83886260, 10},
        {static_cast<uint64_t>(8388626 * 1.1220), 0},  // +0.4999 dB stays 0
        {static_cast<uint64_t>(8388626 * 1.1221), 1},  // +0.5 dB rounds away from zero
        {static_cast<uint64_t>(8388626 / 1.1221), -1},
        {~uint64_t{0}, 123},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LevelOfMeanSquare(c.meanSquare), c.level) << c.meanSquare;
}

TEST(BlockLevelTest, ChannelLevelMeasuresOneChannelOfAnInterleavedBlock) {
    // Left: a constant 92681 ((92681 >> 5)^2 = 2896^2, about 0 dB).
    // Right: alternating +-926810 (+20 dB); silence in a third channel.
    std::vector<int32_t> block;
    for (int i = 0; i < 160; ++i) {
        block.push_back(92681);
        block.push_back(i % 2 ? 926810 : -926810);
        block.push_back(0);
    }
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 0), 0);
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 1), 20);
    EXPECT_EQ(ChannelLevel(block.data(), 160, 3, 2), -127);
    // Samples far beyond full scale neither overflow nor wrap.
    std::vector<int32_t> huge(8192, INT32_MIN);
    EXPECT_EQ(ChannelLevel(huge.data(), 8192, 1, 0), 81);
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
