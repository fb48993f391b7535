// dB tables, fixed-point gain, and the stateless or simple stages: gain,
// high-pass and channel conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/channel_conversion.h"
#include "audio/gain.h"
#include "audio/high_pass.h"
#include "audio/level_math.h"
#include "audio/stub_source.h"
#include "memory_source.h"

namespace orvia {
namespace {

using test::FromSamples;
using test::ReadAll;

TEST(LevelMath, DbTablesGiveTheRoundedFactors) {
    struct Case {
        int db;
        int32_t amplitude, power;
    } cases[] = {
        {0, 16777216, 16777216},
        {6, 33474947, 66791300},
        {-6, 8408526, 4214246},
        {3, 23698447, 33474947},
        {-3, 11877359, 8408526},
        {20, 167772160, 1677721600},
        {21, 188243460, 2112126356},
        {-20, 1677722, 167772},
        {42, 2112126356, 2147483647},
        {43, 2147483647, 2147483647},
        {127, 2147483647, 2147483647},
        {-126, 8, 0},
        {-127, 0, 0},
        {-128, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DbToFactor(c.db), c.amplitude) << c.db;
        EXPECT_EQ(DbToPowerFactor(c.db), c.power) << c.db;
    }
    // Outside -128..127 the table's ends apply.
    EXPECT_EQ(DbToFactor(-1000), 0);
    EXPECT_EQ(DbToFactor(1000), 2147483647);
}

TEST(LevelMath, FixedPointGainFollowsTheSplitRule) {
    const int32_t samples[] = {0, 1, -1, 4095, -4096, 524272, -524288, 123456789, -2147483647};
    for (int32_t x : samples) {
        EXPECT_EQ(ApplyGain(x, kUnityGain), x) << x;
        EXPECT_EQ(ApplyGain(x, 0), 0) << x;
    }
    struct Case {
        int32_t x, g, y;
    } cases[] = {
        {524272, 33554432, 1048544},                         // x2 exactly
        {524272, 8388608, 262136},                           // x0.5
        {-524288, 8388608, -262144}, {4095, 8388608, 2047},  // low part of x: (4095 x 2048) >> 12
        {1000, 33474947, 1995},                              // +6 dB
        {-1000, 8408526, -502},                              // -6 dB; arithmetic shifts round down
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplyGain(c.x, c.g), c.y) << c.x << " * " << c.g;
}

TEST(LevelMath, BlockLevelAndPeak) {
    struct Case {
        int32_t value;
        int level;
    } cases[] = {
        {0, -127},        {31, -127},  // (31 >> 5) is 0: a mean of 0
        {92672, 0},        // (92672 >> 5)^2 = 8386816, just under the reference: -0.0009 dB
        {524272, 15},      // full scale 16-bit
        {32, -69},         // 10 log10(1 / 8388626) = -69.2
        {2147483647, 87},  // the loudest 32-bit block
    };
    for (const auto& c : cases) {
        const std::vector<int32_t> block(100, c.value);
        EXPECT_EQ(BlockLevelDb(block.data(), block.size()), c.level) << c.value;
        const std::vector<int32_t> negative(100, -c.value);
        EXPECT_EQ(BlockPeak(negative.data(), negative.size()), c.value) << c.value;
    }
    // Extreme samples over many channels cannot overflow the sums.
    const std::vector<int32_t> extreme(8192 * 255, INT32_MIN);
    EXPECT_EQ(BlockLevelDb(extreme.data(), extreme.size()), 87);
    EXPECT_EQ(BlockPeak(extreme.data(), extreme.size()), 2147483647);
    EXPECT_EQ(BlockLevelDb(nullptr, 0), -127);
}

TEST(GainStage, AppliesTheTableFactorAndDeclaresHeadroom) {
    const std::vector<int32_t> in{0, 16, -16, 524272, -524288, 1000, 123457};
    struct Case {
        int8_t db;
        uint32_t maxSample;
    } cases[] = {
        {6, 2097152}, {-6, kFullScale16}, {0, kFullScale16}, {1, 2097152}, {-127, kFullScale16}};
    for (const auto& c : cases) {
        LSoundSource out;
        LSPGain(c.db).Apply(out, FromSamples(in, 8000));
        ASSERT_FALSE(IsInvalid(out));
        EXPECT_EQ(out->maxSample, c.maxSample) << int{c.db};
        const auto got = ReadAll(out, static_cast<int32_t>(in.size()));
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(got[i], ApplyGain(in[i], DbToFactor(c.db))) << int{c.db} << " at " << i;
        if (c.db == 0) {
            EXPECT_EQ(got, in);
        }
        if (c.db == -127) {
            EXPECT_EQ(got, std::vector<int32_t>(in.size(), 0));
        }
    }
    EXPECT_EQ(LSRCGain(FromSamples(in, 8000), 6).Factor(), 33474947);
    EXPECT_EQ(LSRCGain(FromSamples(in, 8000), -6).Factor(), 8408526);
}

TEST(ProcessApply, EmptyOrInvalidInputIsHandedThrough) {
    const LSoundSource invalid = MakeSilence(10, 0, 1);
    ASSERT_TRUE(IsInvalid(invalid));
    const LSPGain gain(6);
    const LSPHighPass highPass(100);
    const LSPConvChannels channels(2);
    for (const LSoundProcess* process :
         std::initializer_list<const LSoundProcess*>{&gain, &highPass, &channels}) {
        LSoundSource out = MakeSilence(1, 8000, 1);
        process->Apply(out, LSoundSource());
        EXPECT_FALSE(out);
        process->Apply(out, invalid);
        EXPECT_EQ(out.get(), invalid.get());
    }
}

TEST(HighPassStage, CoefficientFollowsCutOffAndRate) {
    struct Case {
        int32_t hz, rate, k;
    } cases[] = {{100, 8000, 19},   {20, 8000, 3}, {300, 8000, 53}, {100, 44100, 3},
                 {1000, 8000, 139}, {0, 8000, 0},  {-50, 8000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LSRCHighPass(FromSamples({0}, c.rate), c.hz).Coefficient(), c.k)
            << c.hz << "/" << c.rate;
}

TEST(HighPassStage, ConstantInputDecaysAndSeekClearsTheState) {
    const std::vector<int32_t> in(8000, 100000);
    LSoundSource src;
    LSPHighPass(100).Apply(src, FromSamples(in, 8000));
    EXPECT_EQ(src->maxSample, 2 * kFullScale16);
    auto out = ReadAll(src, 8000);
    EXPECT_EQ(out[0], 100000);  // y = x - (0 >> 8)
    EXPECT_EQ(out[1], 100000 - ((100000 * 19) >> 8));
    for (size_t i = 1; i < out.size(); ++i)
        ASSERT_LE(std::abs(out[i]), std::abs(out[i - 1]) + 1) << i;
    EXPECT_LE(std::abs(out.back()), 300);  // within the filter's integer rounding of 0
    src->Seek(0);
    EXPECT_EQ(ReadAll(src, 2), (std::vector<int32_t>{out[0], out[1]}));

    // A cut-off of 0 passes audio unchanged; states are per channel.
    LSoundSource flat;
    LSPHighPass(0).Apply(flat, FromSamples({5, -5, 7, -7}, 8000, 2));
    EXPECT_EQ(ReadAll(flat, 2), (std::vector<int32_t>{5, -5, 7, -7}));
    LSoundSource stereo, left, right;
    LSPHighPass(100).Apply(stereo, FromSamples({1000, -3000, 1000, -3000, 1000, -3000}, 8000, 2));
    LSPHighPass(100).Apply(left, FromSamples({1000, 1000, 1000}, 8000));
    LSPHighPass(100).Apply(right, FromSamples({-3000, -3000, -3000}, 8000));
    const auto s = ReadAll(stereo, 3), l = ReadAll(left, 3), r = ReadAll(right, 3);
    EXPECT_EQ(s, (std::vector<int32_t>{l[0], r[0], l[1], r[1], l[2], r[2]}));
}

TEST(HighPassStage, DeclaredFullScaleDoublesOnlyWhenItFits) {
    struct Case {
        uint32_t in, out;
    } cases[] = {{kFullScale16, 1048544}, {1048576, 2097152}, {1048577, 1048577}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LSRCHighPass(FromSamples({0}, 8000, 1, c.in), 100).maxSample, c.out) << c.in;
}

TEST(ChannelStage, MapsChannelsByTheirRule) {
    struct Case {
        uint32_t inChannels;
        std::vector<int32_t> in;
        uint16_t outChannels;
        std::vector<int32_t> out;
    } cases[] = {
        {2, {1, 2, 3, 4}, 1, {1, 3}},                                // left only, not mixed
        {1, {1, 2}, 2, {1, 1, 2, 2}},                                // copied to both
        {3, {1, 2, 3, 4, 5, 6}, 5, {1, 2, 3, 1, 2, 4, 5, 6, 4, 5}},  // c mod 3
        {4, {1, 2, 3, 4}, 2, {1, 2}},
        {1, {7}, 3, {7, 7, 7}},
    };
    for (const auto& c : cases) {
        LSoundSource out;
        LSPConvChannels(c.outChannels).Apply(out, FromSamples(c.in, 8000, c.inChannels));
        ASSERT_FALSE(IsInvalid(out));
        EXPECT_EQ(out->channels, c.outChannels);
        const int32_t frames = static_cast<int32_t>(c.in.size() / c.inChannels);
        EXPECT_EQ(ReadAll(out, frames), c.out) << c.inChannels << "->" << c.outChannels;
        EXPECT_EQ(out->GetPosition(), frames);
        EXPECT_EQ(out->GetLength(), frames);
    }
    LSoundSource out;
    LSPConvChannels(1).Apply(out, FromSamples({1, 2}, 8000, 2));
    EXPECT_NE(dynamic_cast<LSRCConvStereoMono*>(out.get()), nullptr);
    LSPConvChannels(2).Apply(out, FromSamples({1}, 8000, 1));
    EXPECT_NE(dynamic_cast<LSRCConvMonoStereo*>(out.get()), nullptr);
    LSPConvChannels(3).Apply(out, FromSamples({1}, 8000, 1));
    EXPECT_NE(dynamic_cast<LSRCConvChannelsN*>(out.get()), nullptr);
}

TEST(ChannelStage, EqualOrZeroCountsPassThroughAndTooManyIsInvalid) {
    const LSoundSource in = FromSamples({1, 2}, 8000, 2);
    LSoundSource out;
    LSPConvChannels(2).Apply(out, in);
    EXPECT_EQ(out.get(), in.get());
    LSPConvChannels(0).Apply(out, in);
    EXPECT_EQ(out.get(), in.get());
    LSPConvChannels(300).Apply(out, in);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->IsInvalid());
    std::vector<int32_t> block(4, 9);
    out->Read(block.data(), 4);
    EXPECT_EQ(block, std::vector<int32_t>(4, 0));
}

}  // namespace
}  // namespace orvia
