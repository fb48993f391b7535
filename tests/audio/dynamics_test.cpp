// The look-ahead stages: compressor and peak limiter.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/compressor.h"
#include "audio/level_math.h"
#include "audio/peak_limiter.h"
#include "memory_source.h"

namespace orvia {
namespace {

using test::FromSamples;
using test::ReadAll;

constexpr double kSystemRatio = 0.9261187281287935;  // -2/3 dB per dB

// +a, -a, +a, ...: the same level and peak in every block.
std::vector<int32_t> Square(int32_t frames, int32_t a, uint32_t channels = 1) {
    std::vector<int32_t> v(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = ((i / channels) % 2) ? -a : a;
    return v;
}

TEST(Compressor, CurveBoostsBelowTheThresholdAndCompressesAbove) {
    LSRCCompressor c(FromSamples({0}, 8000), -30, kSystemRatio, 500);
    EXPECT_EQ(c.CurveAt(-127), 167772160);  // +20 dB = -(2/3) x -30
    EXPECT_EQ(c.CurveAt(-31), 167772160);
    EXPECT_EQ(c.CurveAt(-30), 167772160);
    EXPECT_NEAR(c.CurveAt(-27), 16777216 * std::pow(10.0, 18.0 / 20), 64.0);
    EXPECT_NEAR(c.CurveAt(0), 16777216, 2.0);  // 0 dB stays 0 dB
    EXPECT_NEAR(c.CurveAt(15), 16777216 * std::pow(10.0, -10.0 / 20), 2.0);
    for (int level = -30; level < 127; ++level)
        ASSERT_LT(c.CurveAt(level + 1), c.CurveAt(level)) << level;

    LSRCCompressor flat(FromSamples({0}, 8000), 5, kSystemRatio, 500);
    EXPECT_EQ(flat.CurveAt(-127), 16777216);
    EXPECT_EQ(flat.CurveAt(5), 16777216);
    LSRCCompressor deep(FromSamples({0}, 8000), -100, kSystemRatio, 500);
    EXPECT_EQ(deep.CurveAt(-127), 2147483647);  // the boost is capped
}

TEST(Compressor, BlockLengthComesFromTheWindow) {
    struct Case {
        int32_t ticks, rate, frames;
    } cases[] = {{500, 8000, 400}, {500, 44100, 2205}, {10, 8000, 128}, {100000, 44100, 8192}};
    for (const auto& c : cases) {
        LSRCCompressor comp(FromSamples({0}, c.rate), -30, kSystemRatio, c.ticks);
        EXPECT_EQ(comp.BlockFrames(), c.frames) << c.ticks << "@" << c.rate;
        EXPECT_EQ(comp.maxSample, 4194303u);
    }
}

TEST(Compressor, SteadyLevelsGetTheirCurveGain) {
    // Quiet (below the threshold, boosted), at the threshold, and loud.
    for (int32_t a : {32, 2000, 20000, 92672, 524272}) {
        for (uint32_t ch : {1u, 2u, 3u}) {
            const std::vector<int32_t> in = Square(4000, a, ch);
            LSoundSource comp;
            LSPCompressor(-30, kSystemRatio, 500).Apply(comp, FromSamples(in, 8000, ch));
            auto* stage = dynamic_cast<LSRCCompressor*>(comp.get());
            ASSERT_NE(stage, nullptr);
            const int32_t gain = stage->CurveAt(BlockLevelDb(in.data(), 400 * ch));
            const auto out = ReadAll(comp, 2000);
            for (size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ(out[i], ApplyGain(in[i], gain)) << a << " ch " << ch << " at " << i;
        }
    }
}

TEST(Compressor, SilenceStaysSilentAndPositionTrailsByTwoBlocks) {
    LSoundSource in = FromSamples(std::vector<int32_t>(4000, 0), 8000);
    LSoundSource comp;
    LSPCompressor(-30, kSystemRatio, 500).Apply(comp, in);
    EXPECT_EQ(in->GetPosition(), 800);  // primed with two blocks
    EXPECT_EQ(comp->GetPosition(), 0);
    EXPECT_EQ(ReadAll(comp, 1000), std::vector<int32_t>(1000, 0));
    EXPECT_EQ(comp->GetPosition(), 1000);
    EXPECT_EQ(comp->GetLength(), 4000);
}

TEST(Compressor, GainFallsAheadOfALoudBlockAndSeekPrimesAgain) {
    // One quiet block, then loud ones: the attack starts during the quiet
    // block, over N + N/4 frames.
    std::vector<int32_t> in = Square(400, 2000);
    const std::vector<int32_t> loud = Square(2000, 200000);
    in.insert(in.end(), loud.begin(), loud.end());
    LSoundSource comp;
    LSPCompressor(-30, kSystemRatio, 500).Apply(comp, FromSamples(in, 8000));
    auto* stage = dynamic_cast<LSRCCompressor*>(comp.get());
    const int32_t quietGain = stage->CurveAt(BlockLevelDb(in.data(), 400));
    const int32_t loudGain = stage->CurveAt(BlockLevelDb(loud.data(), 400));
    ASSERT_LT(loudGain, quietGain);
    const int32_t step = (loudGain - quietGain) / 500;
    const auto out = ReadAll(comp, 400);
    EXPECT_EQ(out[0], ApplyGain(in[0], quietGain));
    EXPECT_EQ(out[399], ApplyGain(in[399], quietGain + 399 * step));

    // After a seek the stage is primed at the new place: steady loud gain.
    comp->Seek(1200);
    EXPECT_EQ(comp->GetPosition(), 1200);
    const auto again = ReadAll(comp, 10);
    for (size_t i = 0; i < again.size(); ++i)
        EXPECT_EQ(again[i], ApplyGain(in[1200 + i], loudGain)) << i;
}

TEST(Compressor, ImpossibleRatioMakesTheStageInvalid) {
    for (double r : {0.0, -1.0, std::nan("")}) {
        LSoundSource comp;
        LSPCompressor(-30, r, 500).Apply(comp, FromSamples(Square(100, 1000), 8000));
        ASSERT_TRUE(comp);
        EXPECT_TRUE(comp->IsInvalid()) << r;
        std::vector<int32_t> block(10, 5);
        comp->Read(block.data(), 10);
        EXPECT_EQ(block, std::vector<int32_t>(10, 0));
    }
}

TEST(PeakLimiter, BlockLengthAndDeclaredFullScale) {
    struct Case {
        int32_t rate, frames;
    } cases[] = {{8000, 228}, {44100, 1260}, {400, 20}, {192000, 5485}, {1000000, 8192}};
    for (const auto& c : cases)
        EXPECT_EQ(LSRCPeakLimit(FromSamples({0}, c.rate, 1, 2097152), 524272).BlockFrames(),
                  c.frames)
            << c.rate;
    struct Full {
        uint32_t in, out;
    } fulls[] = {{2097152, 524272}, {4194303, 524272}, {4194304, 4194303}, {0xFFFFFFFF, 4194303}};
    for (const auto& f : fulls)
        EXPECT_EQ(LSRCPeakLimit(FromSamples({0}, 8000, 1, f.in), 524272).maxSample, f.out) << f.in;
}

TEST(PeakLimiter, ApplyOnlyWhenTheLimitIsBelowTheFullScale) {
    const LSoundSource in = FromSamples({0}, 8000, 1, kFullScale16);
    LSoundSource out;
    LSPPeakLimit(524272).Apply(out, in);
    EXPECT_EQ(out.get(), in.get());
    LSPPeakLimit(600000).Apply(out, in);
    EXPECT_EQ(out.get(), in.get());
    LSPPeakLimit(524271).Apply(out, in);
    EXPECT_NE(dynamic_cast<LSRCPeakLimit*>(out.get()), nullptr);
    LSPPeakLimit(-1).Apply(out, in);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->IsInvalid());
}

TEST(PeakLimiter, QuietInputIsCopiedAndPositionTrailsByThreeBlocks) {
    for (uint32_t ch : {1u, 2u, 5u}) {
        std::vector<int32_t> in = test::Sine(3000 * ch, 440, 8000, 32000);
        LSoundSource src = FromSamples(in, 8000, ch, 2097152);
        LSoundSource lim;
        LSPPeakLimit(524272).Apply(lim, src);
        ASSERT_NE(lim.get(), src.get());
        EXPECT_EQ(src->GetPosition(), 3 * 228);
        EXPECT_EQ(lim->GetPosition(), 0);
        const auto out = ReadAll(lim, 1000);
        EXPECT_EQ(out, std::vector<int32_t>(in.begin(), in.begin() + 1000 * ch)) << ch;
        EXPECT_EQ(lim->GetPosition(), 1000);
        lim->Seek(2000);
        EXPECT_EQ(lim->GetPosition(), 2000);
        EXPECT_EQ(ReadAll(lim, 3),
                  std::vector<int32_t>(in.begin() + 2000 * ch, in.begin() + 2003 * ch));
    }
}

TEST(PeakLimiter, SteadyLoudInputIsScaledByTheBlockTarget) {
    // Peak 1048544 against 524272: ((524272 << 9) / ((1048544 + 64) >> 6)) << 9.
    const std::vector<int32_t> in = Square(2000, 1048544, 2);
    LSoundSource lim;
    LSPPeakLimit(524272).Apply(lim, FromSamples(in, 8000, 2, 2097152));
    const auto out = ReadAll(lim, 1500);
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], ApplyGain(in[i], 8388096)) << i;
}

TEST(PeakLimiter, PeaksAreHeldAtTheLimitWithLookAhead) {
    const int32_t limit = 524272;
    std::vector<int32_t> in = test::Sine(8000, 300, 8000, 20000);
    const std::vector<int32_t> loud = test::Sine(4000, 300, 8000, 65000);  // about 2x
    std::copy(loud.begin(), loud.end(), in.begin() + 2000);
    LSoundSource lim;
    LSPPeakLimit(limit).Apply(lim, FromSamples(in, 8000, 1, 2097152));
    const auto out = ReadAll(lim, 8000);
    int32_t peak = 0;
    for (int32_t v : out)
        peak = std::max(peak, std::abs(v));
    EXPECT_LE(peak, limit + 1);
    EXPECT_GE(peak, limit * 9 / 10);  // limited, not silenced
    // Quiet audio well before the loud part is untouched; after it the gain
    // recovers to unity again.
    EXPECT_EQ(out[100], in[100]);
    EXPECT_EQ(out[7900], in[7900]);
}

}  // namespace
}  // namespace orvia
