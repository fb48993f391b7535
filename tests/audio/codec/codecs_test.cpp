// The sample-level codecs: G.711 companding and the PCM conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/g711_p.h"
#include "audio/codec/standard_formats.h"
#include "codec_test_util.h"

namespace orvia::test {
namespace {

using codec::ALawToLinear;
using codec::LinearToALaw;
using codec::LinearToMuLaw;
using codec::MuLawToLinear;

TEST(G711Test, ReferenceValues) {
    EXPECT_EQ(LinearToALaw(0), 0xD5);
    EXPECT_EQ(ALawToLinear(0xD5), 8);
    EXPECT_EQ(ALawToLinear(0xAA), 32256);
    EXPECT_EQ(ALawToLinear(0x2A), -32256);
    EXPECT_EQ(LinearToALaw(32767), 0xAA);
    EXPECT_EQ(LinearToALaw(-32768), 0x2A);

    EXPECT_EQ(LinearToMuLaw(0), 0xFF);
    EXPECT_EQ(MuLawToLinear(0xFF), 0);
    EXPECT_EQ(MuLawToLinear(0x7F), 0);
    EXPECT_EQ(MuLawToLinear(0x80), 32124);
    EXPECT_EQ(MuLawToLinear(0x00), -32124);
    EXPECT_EQ(LinearToMuLaw(32767), 0x80);
    EXPECT_EQ(LinearToMuLaw(-32768), 0x00);
}

// Every level encodes back to itself, and every value lands on a level no
// further away than the levels around it.
TEST(G711Test, EncodingFindsTheLevel) {
    for (const bool alaw : {true, false}) {
        SCOPED_TRACE(alaw ? "A-law" : "mu-law");
        const auto decode = alaw ? ALawToLinear : MuLawToLinear;
        const auto encode = alaw ? LinearToALaw : LinearToMuLaw;
        for (int c = 0; c < 256; ++c) {
            const int16_t level = decode(static_cast<uint8_t>(c));
            EXPECT_EQ(decode(encode(level)), level) << "code " << c;
        }
        // Monotonic: a larger input never gives a smaller level.
        int previous = -32768 - 1;
        for (int v = -32768; v <= 32767; ++v) {
            const int level = decode(encode(static_cast<int16_t>(v)));
            ASSERT_GE(level, previous) << "value " << v;
            previous = level;
            // The error stays within the step of the segment (1/16 of the
            // level's magnitude) plus the finest step.
            ASSERT_LE(std::abs(level - v), std::abs(v) / 16 + 16) << "value " << v;
        }
    }
}

TEST(PcmCodecTest, SixteenBitCopiesAndEightBitRounds) {
    const std::vector<int16_t> signal = TestSignal(1000, 2, 8000);
    auto copy =
        DecodeAll(WaveFormat::Pcm16(2, 8000), EncodeAll(WaveFormat::Pcm16(2, 8000), signal));
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, signal);

    const std::vector<int16_t> edges = {-32768, -129, -128, -1, 0, 127, 128, 32639, 32640, 32767};
    const std::vector<uint8_t> encoded = EncodeAll(Pcm8Format(1, 8000), edges);
    EXPECT_EQ(encoded, (std::vector<uint8_t>{0, 127, 128, 128, 128, 128, 129, 255, 255, 255}));
    auto decoded = DecodeAll(Pcm8Format(1, 8000), {0, 128, 255});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, (std::vector<int16_t>{-32768, 0, 32512}));
}

}  // namespace
}  // namespace orvia::test
