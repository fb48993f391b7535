// Sample-rate conversion and speed change.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/rate_conversion.h"
#include "audio/speed_change.h"
#include "memory_source.h"

namespace orvia {
namespace {

using test::FromSamples;
using test::ReadAll;
using test::Rms;
using test::Sine;

TEST(RateConversion, PhasesAndStepApproximateTheRatio) {
    struct Case {
        int32_t in, out, phases, step;
    } cases[] = {
        {44100, 8000, 80, 441},  {8000, 8000, 1, 1},      {8000, 44100, 215, 39},
        {16000, 8000, 1, 2},     {48000, 8000, 1, 6},     {8000, 16000, 2, 1},
        {11025, 8000, 119, 164}, {22050, 8000, 160, 441}, {192000, 8000, 1, 24},
    };
    for (const auto& c : cases) {
        LSRCConvertRate conv(FromSamples({0}, c.in), c.out);
        EXPECT_FALSE(conv.IsInvalid());
        EXPECT_EQ(conv.Phases(), c.phases) << c.in << "->" << c.out;
        EXPECT_EQ(conv.Step(), c.step) << c.in << "->" << c.out;
        EXPECT_EQ(conv.sampleRate, c.out);
    }
}

TEST(RateConversion, FilterCoefficients) {
    // Centre tap of phase 0 is 32768 x fc; phase 0 is symmetric.
    struct Case {
        int32_t in, out, centre;
    } cases[] = {{44100, 8000, 4408}, {8000, 44100, 31949}, {8000, 8000, 31232}};
    for (const auto& c : cases) {
        LSRCConvertRate conv(FromSamples({0}, c.in), c.out);
        EXPECT_EQ(conv.Coefficient(0, 31), c.centre) << c.in << "->" << c.out;
        for (int k = 1; k <= 31; ++k)
            ASSERT_EQ(conv.Coefficient(0, 31 - k), conv.Coefficient(0, 31 + k)) << k;
        // The taps of a phase sum to about unity gain (32768).
        for (int32_t p = 0; p < conv.Phases(); ++p) {
            int64_t sum = 0;
            for (int t = 0; t < 63; ++t)
                sum += conv.Coefficient(p, t);
            ASSERT_NEAR(sum, 32768, 32768 * 0.02) << c.in << "->" << c.out << " phase " << p;
        }
    }
    // Phase p of P is the filter shifted by p/P of an input frame: phase 40
    // of 80 is symmetric about taps 31 and 32.
    LSRCConvertRate conv(FromSamples({0}, 44100), 8000);
    for (int k = 0; k < 31; ++k)
        ASSERT_EQ(conv.Coefficient(40, 31 - k), conv.Coefficient(40, 32 + k)) << k;
}

TEST(RateConversion, ImpulseResponseIsTheFilter) {
    // 8000 -> 8000: one phase, output frame k weighs input frame 0 with tap 31 - k.
    std::vector<int32_t> in(100, 0);
    in[0] = 16000;  // fits 16 bits: no normalising shift
    LSRCConvertRate conv(FromSamples(in, 8000), 8000);
    std::vector<int32_t> out(40);
    conv.Read(out.data(), 40);
    for (int k = 0; k < 32; ++k)
        ASSERT_EQ(out[static_cast<size_t>(k)], (conv.Coefficient(0, 31 - k) * 16000 + 16384) >> 15)
            << k;
    for (int k = 32; k < 40; ++k)
        ASSERT_EQ(out[static_cast<size_t>(k)], 0) << k;
}

TEST(RateConversion, ToneKeepsItsLevelInThePassBand) {
    struct Case {
        int32_t in, out;
        double hz;
    } cases[] = {{44100, 8000, 1000},
                 {8000, 44100, 1000},
                 {8000, 8000, 1000},
                 {11025, 8000, 300},
                 {16000, 8000, 3000}};
    for (const auto& c : cases) {
        // Full-scale 16-bit tone (32767 x 16).
        LSoundSource conv;
        LSPConvertRate(c.out).Apply(conv, FromSamples(Sine(c.in * 3, c.hz, c.in, 32767), c.in));
        EXPECT_EQ(conv->maxSample, 2 * kFullScale16);
        const auto out = ReadAll(conv, c.out * 2);
        // Skip the start-up of the filter; compare RMS with the tone's.
        const double rms = Rms(out.data() + c.out / 2, static_cast<size_t>(c.out));
        const double expected = 32767.0 * 16 / std::sqrt(2.0);
        EXPECT_NEAR(20 * std::log10(rms / expected), 0.0, 0.2) << c.in << "->" << c.out;
    }
}

TEST(RateConversion, StopBandIsAttenuated) {
    // 3.9 kHz at 44100 lies above the 8000 Hz output's pass band.
    LSoundSource conv;
    LSPConvertRate(8000).Apply(conv, FromSamples(Sine(44100, 3900, 44100, 32767), 44100));
    const auto out = ReadAll(conv, 8000);
    const double rms = Rms(out.data() + 1000, 6000);
    EXPECT_LT(20 * std::log10(rms / (32767.0 * 16 / std::sqrt(2.0))), -20.0);
}

TEST(RateConversion, PositionAndLengthScaleByTheRatio) {
    LSoundSource src = FromSamples(Sine(44100, 440, 44100, 1000), 44100);
    LSoundSource conv;
    LSPConvertRate(8000).Apply(conv, src);
    EXPECT_EQ(conv->GetLength(), 8000);
    EXPECT_EQ(conv->GetPosition(), 0);
    EXPECT_EQ(src->GetPosition(), 8161);
    // The position is the input frame under the centre tap scaled back, so it
    // trails the frames read by up to two frames.
    ReadAll(conv, 5000);
    EXPECT_NEAR(conv->GetPosition(), 5000, 2);
    EXPECT_LE(conv->GetPosition(), 5000);
    conv->Seek(3000);
    EXPECT_NEAR(conv->GetPosition(), 3000, 1);
}

TEST(RateConversion, SeekGivesTheSameFramesAsReadingThrough) {
    // Several history refills happen within three seconds at 44100.
    for (auto [rateIn, rateOut] :
         {std::pair{44100, 8000}, std::pair{8000, 44100}, std::pair{8000, 8000}}) {
        for (uint32_t ch : {1u, 2u, 3u}) {
            std::vector<int32_t> in =
                Sine(rateIn * 3 * static_cast<int32_t>(ch), 700, rateIn, 30000);
            for (size_t i = 1; i < in.size(); i += ch)
                in[i] = -in[i];  // channels differ
            // A quiet first second: the history's normalising shift changes
            // at a refill, while frames kept from before are still in use.
            for (size_t i = 0; i < static_cast<size_t>(rateIn) * ch; ++i)
                in[i] /= 32;
            const int32_t outFrames = static_cast<int32_t>(int64_t{rateOut} * 3 - 100);
            LSoundSource conv;
            LSPConvertRate(rateOut).Apply(conv, FromSamples(in, rateIn, ch));
            const auto through = ReadAll(conv, outFrames);
            for (int32_t frame :
                 {1, 39, 80, 1487, 1488, rateOut - 5, rateOut + 40, outFrames - 20}) {
                conv->Seek(frame);
                const auto seeked = ReadAll(conv, 10);
                for (size_t i = 0; i < seeked.size(); ++i)
                    ASSERT_EQ(seeked[i], through[static_cast<size_t>(frame) * ch + i])
                        << rateIn << "->" << rateOut << " ch " << ch << " frame " << frame;
            }
        }
    }
}

TEST(RateConversion, NegativeSeekGivesLeadingSilence) {
    std::vector<int32_t> in(1000, 160000);
    LSoundSource conv;
    LSPConvertRate(8000).Apply(conv, FromSamples(in, 16000));
    const auto start = ReadAll(conv, 60);
    conv->Seek(-50);
    const auto out = ReadAll(conv, 80);
    for (int i = 0; i < 20; ++i)  // well before frame 0, beyond the filter's reach
        ASSERT_EQ(out[static_cast<size_t>(i)], 0) << i;
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(out[static_cast<size_t>(50 + i)], start[static_cast<size_t>(i)]) << i;
}

TEST(RateConversion, LoudInputIsNormalisedNotOverflowed) {
    // Samples far above 16-bit full scale still convert without wrapping.
    LSoundSource conv;
    LSPConvertRate(8000).Apply(conv,
                               FromSamples(Sine(44100, 500, 44100, 32767 * 64), 44100, 1, 2097152));
    EXPECT_EQ(conv->maxSample, 2097152u);
    const auto out = ReadAll(conv, 8000);
    const double rms = Rms(out.data() + 1000, 6000);
    EXPECT_NEAR(20 * std::log10(rms / (32767.0 * 16 * 64 / std::sqrt(2.0))), 0.0, 0.2);
}

TEST(RateConversion, ImpossibleRatesMakeTheStageInvalid) {
    for (auto [in, out] :
         {std::pair{8000, 0}, std::pair{8000, -5}, std::pair{192000, 1}, std::pair{1, 192000}}) {
        LSoundSource conv;
        LSPConvertRate(out).Apply(conv, FromSamples({1, 2, 3}, in));
        ASSERT_TRUE(conv);
        EXPECT_TRUE(conv->IsInvalid()) << in << "->" << out;
        if (out < 1) {
            EXPECT_EQ(conv->sampleRate, 44100);
        }
        std::vector<int32_t> block(3, 7);
        conv->Read(block.data(), 3);
        EXPECT_EQ(block, std::vector<int32_t>(3, 0));
    }
}

TEST(SpeedChange, NormalSpeedReproducesTheInput) {
    for (uint32_t ch : {1u, 2u}) {
        const std::vector<int32_t> in = Sine(8000 * static_cast<int32_t>(ch), 440, 8000, 20000);
        LSoundSource speed;
        LSPSpeed(1.0, 1.0, 0).Apply(speed, FromSamples(in, 8000, ch));
        auto* stage = dynamic_cast<LSRCSpeed*>(speed.get());
        ASSERT_NE(stage, nullptr);
        EXPECT_EQ(stage->SegmentFrames(), 200);
        EXPECT_EQ(stage->Skip(), -100);
        const auto out = ReadAll(speed, 4000);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_NEAR(out[i], in[i], 4) << "ch " << ch << " at " << i;  // cross-fade rounding
        EXPECT_EQ(speed->GetPosition(), 4000);
    }
}

TEST(SpeedChange, SegmentsConsumeSpeedTimesTheirLength) {
    struct Case {
        double speed;
        int32_t start, afterTenSegments;
    } cases[] = {
        {2.0, 0, 4000}, {0.5, 0, 1000}, {1.0, 0, 2000}, {-1.0, 6000, 4000}, {-3.0, 7000, 1000}};
    for (const auto& c : cases) {
        LSoundSource in = FromSamples(Sine(8000, 440, 8000, 20000), 8000);
        in->Seek(c.start);
        LSoundSource speed;
        LSPSpeed(c.speed, c.speed, 0).Apply(speed, in);
        ReadAll(speed, 10 * 200);
        EXPECT_EQ(in->GetPosition(), c.afterTenSegments) << c.speed;
    }
    // Backwards playback stops at frame 0 rather than going below it.
    LSoundSource in = FromSamples(Sine(8000, 440, 8000, 20000), 8000);
    in->Seek(500);
    LSoundSource back;
    LSPSpeed(-2.0, -2.0, 0).Apply(back, in);
    ReadAll(back, 50 * 200);
    EXPECT_GE(in->GetPosition(), 0);
    EXPECT_LE(in->GetPosition(), 300);
}

TEST(SpeedChange, RampMovesTheSkipToTheTarget) {
    LSoundSource speed;
    LSPSpeed(0.5, 7.0, 10000).Apply(speed, FromSamples(std::vector<int32_t>(80000, 0), 8000));
    auto* stage = dynamic_cast<LSRCSpeed*>(speed.get());
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->Skip(), -100 - 100);
    const int32_t target = 6 * 200 - 100;
    int32_t last = stage->Skip();
    for (int segment = 0; segment < 60; ++segment) {
        ReadAll(speed, 200);
        ASSERT_GE(stage->Skip(), last);
        ASSERT_LE(stage->Skip(), target);
        last = stage->Skip();
    }
    EXPECT_EQ(stage->Skip(), target);  // 8000 frames / 200 + 1 = 41 segments
}

TEST(SpeedChange, StartsTwoSegmentsBeforeTheEndWhenCloseToIt) {
    LSoundSource in = FromSamples(Sine(8000, 440, 8000, 20000), 8000);
    in->Seek(7900);
    LSoundSource speed;
    LSPSpeed(-1.0, -1.0, 0).Apply(speed, in);
    EXPECT_EQ(in->GetPosition(), 8000 - 400);
    // Seek primes at the requested place.
    speed->Seek(1234);
    EXPECT_EQ(in->GetPosition(), 1234);
}

TEST(SpeedChange, ImpossibleSpeedMakesTheStageInvalid) {
    for (double v : {std::nan(""), static_cast<double>(INFINITY), 1000.0}) {
        LSoundSource speed;
        LSPSpeed(v, 1.0, 0).Apply(speed, FromSamples({1, 2}, 8000));
        ASSERT_TRUE(speed);
        EXPECT_TRUE(speed->IsInvalid()) << v;
    }
}

}  // namespace
}  // namespace orvia
