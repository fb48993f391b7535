#include "audio/playback/sound_levels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace orvia {
namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();

TEST(SoundLevelsTest, MeanSquareLevelOfConstantBlocks) {
    struct Case {
        int32_t sample;
        int32_t frames;
        int db;
    };
    const Case cases[] = {
        {0, 800, -127},       // silence
        {31, 800, -127},      // below one step after the shift: a mean of 0
        {32, 800, -69},       // mean 1: -69.2 rounds away from zero to -69
        {-1, 800, -69},       // the arithmetic shift keeps -1
        {2896 * 32, 800, 0},  // just below the reference, -0.0009 dB
        {524272, 800, 15},    // full scale: 15.05 dB
        {kMin32, 8192, 87},   // the extremes of 8192 frames do not overflow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        const std::vector<int32_t> block(static_cast<size_t>(c.frames), c.sample);
        EXPECT_EQ(MeanSquareLevelDb(block.data(), c.frames, 1, 0), c.db);
    }
}

TEST(SoundLevelsTest, PeakLevelAgainst131072) {
    struct Case {
        int32_t peak;
        int db;
    };
    const Case cases[] = {{0, -127},    {1, -102},     {65536, -6}, {131072, 0},
                          {524272, 12}, {-524272, 12}, {kMin32, 84}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peak);
        std::vector<int32_t> block(100, 0);
        block[37] = c.peak;
        EXPECT_EQ(PeakLevelDb(block.data(), 100, 1, 0), c.db);
    }
}

TEST(SoundLevelsTest, EachChannelOfAnInterleavedBlockIsMeasuredApart) {
    // Left silent, right at full scale, a third channel at 131072.
    std::vector<int32_t> block;
    for (int f = 0; f < 400; ++f) {
        block.push_back(0);
        block.push_back(f % 2 ? 524272 : -524272);
        block.push_back(131072);
    }
    LSoundLevels peaks;
    MeasurePeakLevels(block.data(), 400, 3, &peaks);
    EXPECT_EQ(peaks.count, 3);
    EXPECT_EQ(peaks.levels[0], -127);
    EXPECT_EQ(peaks.levels[1], 12);
    EXPECT_EQ(peaks.levels[2], 0);
    EXPECT_EQ(peaks.Level(), 12);

    LSoundLevels loudness;
    MeasureMeanSquareLevels(block.data(), 400, 3, &loudness);
    EXPECT_EQ(loudness.count, 3);
    EXPECT_EQ(loudness.levels[0], -127);
    EXPECT_EQ(loudness.levels[1], 15);
}

TEST(SoundLevelsTest, ARecordsLevelIsTheLouderOfItsFirstTwoChannels) {
    LSoundLevels record;
    EXPECT_EQ(record.Level(), -127);  // no channels
    record.count = 1;
    record.levels[0] = -20;
    record.levels[1] = 5;
    EXPECT_EQ(record.Level(), -20);  // one channel: its own
    record.count = 3;
    record.levels[2] = 40;
    EXPECT_EQ(record.Level(), 5);  // the third does not count
}

}  // namespace
}  // namespace orvia
