// Files written by sox decode as sox decodes them, and sox decodes the files
// this layer writes to the signal that went in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/g711_p.h"
#include "audio/codec/standard_formats.h"
#include "codec_test_util.h"
#include "temp_dir.h"

namespace orvia::test {
namespace {

struct InteropCase {
    const char* name;
    const char* soxEncoding;  // sox's options for the encoding
    WaveFormat format;        // what this layer writes for the same case
    double minSnrDb;          // bound for sox's decoding of our file against the input
};

void PrintTo(const InteropCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<InteropCase> Cases() {
    return {
        {"Pcm8Mono", "-e unsigned-integer -b 8", Pcm8Format(1, 8000), 33},
        {"ALawMono", "-e a-law", ALawFormat(1, 8000), 33},
        {"ALawStereo", "-e a-law", ALawFormat(2, 8000), 33},
        {"MuLawMono", "-e u-law", MuLawFormat(1, 8000), 33},
        {"MuLawStereo", "-e u-law", MuLawFormat(2, 8000), 33},
        {"ImaMono", "-e ima-adpcm", ImaAdpcmFormat(1, 8000), 21},
        {"ImaStereo", "-e ima-adpcm", ImaAdpcmFormat(2, 8000), 19},
        {"ImaMono22k", "-e ima-adpcm", ImaAdpcmFormat(1, 22050), 27},
        {"MsMono", "-e ms-adpcm", MsAdpcmFormat(1, 8000), 24},
        {"MsStereo", "-e ms-adpcm", MsAdpcmFormat(2, 8000), 21},
        {"MsMono44k", "-e ms-adpcm", MsAdpcmFormat(1, 44100), 36},
        {"Gsm", "-e gsm-full-rate", Gsm610Format(8000), 11},
    };
}

class SoxInteropTest : public ::testing::TestWithParam<InteropCase> {
protected:
    // Not a whole number of blocks of any format, to exercise the last block.
    static constexpr std::size_t kFrames = 12345;
    TempDir dir_;
};

TEST_P(SoxInteropTest, ReadsWhatSoxWrites) {
    const InteropCase& c = GetParam();
    const unsigned channels = c.format.channels;
    const uint32_t rate = c.format.samplesPerSec;
    const std::string in = dir_.Path() + "in.wav";
    const std::string out = dir_.Path() + "sox.wav";
    ASSERT_TRUE(WriteBytes(in, BuildWave(WaveFormat::Pcm16(channels, rate),
                                         ToBytes(TestSignal(kFrames, channels, rate)))));
    ASSERT_TRUE(RunSox(Quote(in) + " " + c.soxEncoding + " " + Quote(out)));

    auto wave = ParseWave(ReadBytes(out));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.formatTag, c.format.formatTag);
    auto ours = DecodeAll(wave->format, wave->data);
    ASSERT_TRUE(ours) << "no stream for sox's format";
    auto theirs = SoxDecode(out, dir_.Path());
    ASSERT_TRUE(theirs);

    // sox stops at the frame count it recorded; this layer decodes whole blocks.
    ASSERT_GE(theirs->size(), kFrames * channels);
    ASSERT_GE(ours->size(), theirs->size());
    const auto stream = WaveCodecStream::Open(wave->format, WaveFormat::Pcm16(channels, rate));
    ASSERT_TRUE(stream);
    EXPECT_LT(ours->size() - theirs->size(), stream->DestinationBlockBytes() / 2);
    // The standard algorithms (and for GSM the same reference library) give
    // the same samples bit for bit.
    ours->resize(theirs->size());
    EXPECT_EQ(*ours, *theirs);
}

TEST_P(SoxInteropTest, SoxReadsWhatWeWrite) {
    const InteropCase& c = GetParam();
    const unsigned channels = c.format.channels;
    const std::vector<int16_t> signal = TestSignal(kFrames, channels, c.format.samplesPerSec);
    const std::vector<uint8_t> encoded = EncodeAll(c.format, signal);
    ASSERT_FALSE(encoded.empty());
    const std::string path = dir_.Path() + "ours.wav";
    ASSERT_TRUE(WriteBytes(path, BuildWave(c.format, encoded)));

    auto theirs = SoxDecode(path, dir_.Path());
    ASSERT_TRUE(theirs);
    ASSERT_GE(theirs->size(), signal.size());
    EXPECT_GT(SnrDb(signal, *theirs, signal.size()), c.minSnrDb);

    // Both decoders agree on what was written.
    auto ours = DecodeAll(c.format, encoded);
    ASSERT_TRUE(ours);
    EXPECT_EQ(*ours, *theirs);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoxInteropTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every one of the 256 codes decodes as sox decodes it. Every 16-bit value
// encodes to sox's level or, where sox rounds before companding and the
// reference algorithm truncates, to the neighbouring level.
TEST(G711SoxTest, EveryCodeAndEveryValueAgreeWithSox) {
    TempDir dir;
    std::vector<uint8_t> codes(256);
    for (int i = 0; i < 256; ++i)
        codes[i] = static_cast<uint8_t>(i);
    std::vector<int16_t> values(65536);
    for (int i = 0; i < 65536; ++i)
        values[i] = static_cast<int16_t>(i - 32768);
    const std::string valuesPath = dir.Path() + "values.wav";
    ASSERT_TRUE(WriteBytes(valuesPath, BuildWave(WaveFormat::Pcm16(1, 8000), ToBytes(values))));

    for (const bool alaw : {true, false}) {
        SCOPED_TRACE(alaw ? "A-law" : "mu-law");
        const auto decode = alaw ? codec::ALawToLinear : codec::MuLawToLinear;
        const auto encode = alaw ? codec::LinearToALaw : codec::LinearToMuLaw;
        const WaveFormat format = alaw ? ALawFormat(1, 8000) : MuLawFormat(1, 8000);
        const std::string codesPath = dir.Path() + "codes.wav";
        ASSERT_TRUE(WriteBytes(codesPath, BuildWave(format, codes)));
        auto decoded = SoxDecode(codesPath, dir.Path());
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->size(), 256u);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(decode(static_cast<uint8_t>(i)), (*decoded)[i]) << "code " << i;

        // The levels in ascending order; mu-law has two codes for zero.
        std::vector<int> levels;
        for (int i = 0; i < 256; ++i)
            levels.push_back(decode(static_cast<uint8_t>(i)));
        std::sort(levels.begin(), levels.end());
        levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
        const auto rank = [&](uint8_t code) {
            return std::lower_bound(levels.begin(), levels.end(), decode(code)) - levels.begin();
        };

        const std::string encodedPath = dir.Path() + "encoded.wav";
        ASSERT_TRUE(
            RunSox(Quote(valuesPath) + " -e " + (alaw ? "a-law " : "u-law ") + Quote(encodedPath)));
        auto wave = ParseWave(ReadBytes(encodedPath));
        ASSERT_TRUE(wave);
        ASSERT_EQ(wave->data.size(), values.size());
        int failures = 0;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const uint8_t ours = encode(values[i]);
            const uint8_t theirs = wave->data[i];
            if (decode(ours) == decode(theirs))
                continue;
            ++differing;
            if (std::abs(rank(ours) - rank(theirs)) > 1 && ++failures <= 5)
                ADD_FAILURE() << "value " << values[i] << ": ours " << decode(ours) << ", sox "
                              << decode(theirs);
        }
        // Only values at a level boundary may differ.
        EXPECT_LT(differing, values.size() / 32);
    }
}

}  // namespace
}  // namespace orvia::test
