// Compressed WAVE files: the writer (LSNKACMFile) and reader (LSRCACMWave)
// over the codec layer, and sox reading what the writer makes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "audio/acm_file_sink_p.h"
#include "audio/acm_wave_source_p.h"
#include "audio/batch_copy.h"
#include "audio/codec/codec_stream.h"
#include "audio/codec/standard_formats.h"
#include "audio/pcm_file_sink.h"
#include "audio/wave_header_p.h"
#include "audio/wave_sink.h"
#include "audio/wave_source.h"
#include "memory_source.h"
#include "temp_dir.h"
#include "wave_bytes.h"

namespace orvia {
namespace {

using test::ReadAll;

struct FormatCase {
    const char* name;
    WaveFormat format;
    double minSnrDb;  // decoded against the input
    bool stateful;    // the decoder carries state from block to block
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<FormatCase> Formats() {
    return {
        {"ALaw", ALawFormat(1, 8000), 30, false},
        {"MuLawStereo", MuLawFormat(2, 8000), 30, false},
        {"Ima", ImaAdpcmFormat(1, 8000), 20, false},
        {"ImaStereo", ImaAdpcmFormat(2, 11025), 20, false},
        {"MsAdpcm", MsAdpcmFormat(1, 8000), 20, false},
        {"Gsm", Gsm610Format(8000), 8, true},
    };
}

// A tone per channel (different frequencies) with some noise, so that a
// decoder with a long-term predictor recovers after a seek; 16-bit steps.
std::vector<int32_t> Signal(int32_t frames, uint32_t channels, uint32_t rate) {
    std::vector<int32_t> v(static_cast<size_t>(frames) * channels);
    uint32_t seed = 12345;
    for (int32_t f = 0; f < frames; ++f) {
        for (uint32_t c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const int32_t noise = static_cast<int32_t>(seed >> 20) - 2048;
            const double tone =
                10000 * std::sin(2 * std::numbers::pi * (400.0 + 300 * c) * f / rate);
            v[static_cast<size_t>(f) * channels + c] = 16 * (static_cast<int32_t>(tone) + noise);
        }
    }
    return v;
}

double SnrDb(const std::vector<int32_t>& ref, const std::vector<int32_t>& got) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < ref.size(); ++i) {
        signal += static_cast<double>(ref[i]) * ref[i];
        noise += static_cast<double>(ref[i] - got[i]) * (ref[i] - got[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

size_t FramesPerBlock(const WaveFormat& format) {
    const auto stream =
        WaveCodecStream::Open(format, WaveFormat::Pcm16(format.channels, format.samplesPerSec));
    return stream->DestinationBlockBytes() / (2u * format.channels);
}

class AcmWaveTest : public ::testing::TestWithParam<FormatCase> {
protected:
    // Writes frames of the test signal in blocks of 1000 frames.
    std::string WriteSignal(const WaveFormat& format, int32_t frames, std::vector<int32_t>* input) {
        const std::string path = dir.Path() + "c.wav";
        *input = Signal(frames, format.channels, format.samplesPerSec);
        LSoundSink sink = CreateWaveSink(path, format);
        EXPECT_NE(dynamic_cast<LSNKACMFile*>(sink.get()), nullptr);
        EXPECT_FALSE(IsInvalid(sink));
        for (int32_t done = 0; done < frames; done += 1000)
            sink->Write(input->data() + static_cast<size_t>(done) * format.channels,
                        std::min(1000, frames - done));
        EXPECT_EQ(sink->position, frames);
        return path;
    }
    test::TempDir dir;
};

TEST_P(AcmWaveTest, WrittenFileReadsBackWithAnExactLengthAtTheEnd) {
    const FormatCase& c = GetParam();
    const int32_t frames = 12345;  // not a whole number of blocks
    std::vector<int32_t> input;
    const std::string path = WriteSignal(c.format, frames, &input);

    LSoundSource src = OpenWaveSource(path);
    auto* acm = dynamic_cast<LSRCACMWave*>(src.get());
    ASSERT_NE(acm, nullptr) << c.name;
    ASSERT_FALSE(acm->IsInvalid());
    EXPECT_EQ(src->channels, c.format.channels);
    EXPECT_EQ(src->sampleRate, static_cast<int32_t>(c.format.samplesPerSec));
    EXPECT_EQ(src->maxSample, kFullScale16);

    // The encoder pads the last block, so whole blocks come back.
    const size_t perBlock = FramesPerBlock(c.format);
    const auto exact = static_cast<int32_t>((frames + perBlock - 1) / perBlock * perBlock);
    const std::string bytes = test::ReadFile(path);
    const auto dataBytes = static_cast<int64_t>(bytes.size() - 28 - c.format.ToBytes().size());
    EXPECT_EQ(src->GetLength(), dataBytes * c.format.samplesPerSec / c.format.avgBytesPerSec);
    EXPECT_NEAR(src->GetLength(), exact, 0.01 * exact + 2);
    EXPECT_FALSE(acm->Drained());

    const auto out = ReadAll(src, exact + 500);
    EXPECT_TRUE(acm->Drained());
    EXPECT_EQ(src->GetLength(), exact);
    EXPECT_EQ(src->GetPosition(), exact + 500);
    const std::vector<int32_t> decoded(out.begin(),
                                       out.begin() + static_cast<ptrdiff_t>(input.size()));
    EXPECT_GT(SnrDb(input, decoded), c.minSnrDb) << c.name;
    for (size_t i = static_cast<size_t>(exact) * c.format.channels; i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << i;
}

TEST_P(AcmWaveTest, SeekLandsOnTheRequestedFrame) {
    const FormatCase& c = GetParam();
    std::vector<int32_t> input;
    const std::string path = WriteSignal(c.format, 30000, &input);
    LSoundSource src = OpenWaveSource(path);
    const auto through = ReadAll(src, 30000);
    const size_t ch = c.format.channels;
    for (int32_t frame : {0, 1, 777, 8192, 20000}) {
        src->Seek(frame);
        EXPECT_EQ(src->GetPosition(), frame);
        const auto got = ReadAll(src, 300);
        // The byte offset of a frame is estimated from the average rate, so
        // the decoder may land a frame or two off in block formats.
        bool matched = false;
        if (c.stateful) {
            // A decoder with state (GSM's long-term predictor) starts afresh
            // after a seek: on a steady tone it does not converge to the
            // through-decoded samples, so check the level and that seeking
            // is repeatable.
            const auto at = through.begin() + static_cast<ptrdiff_t>(frame * ch);
            const double want = test::Rms(&*at, got.size());
            matched = std::fabs(20 * std::log10(test::Rms(got.data(), got.size()) / want)) < 6;
            src->Seek(frame);
            EXPECT_EQ(ReadAll(src, 300), got);
        }
        for (int32_t d = -2; d <= 2 && !matched && !c.stateful; ++d) {
            if (frame + d >= 0)
                matched = std::equal(got.begin(), got.end(),
                                     through.begin() + static_cast<ptrdiff_t>((frame + d) * ch));
        }
        EXPECT_TRUE(matched) << c.name << " frame " << frame;
    }
    // Leading silence before frame 0, then the start of the data.
    src->Seek(-10);
    const auto lead = ReadAll(src, 20);
    EXPECT_EQ(std::vector<int32_t>(lead.begin(), lead.begin() + 10 * ch),
              std::vector<int32_t>(10 * ch, 0));
    EXPECT_TRUE(std::equal(lead.begin() + 10 * ch, lead.end(), through.begin()));
    // Beyond the end: drained, silence, position as asked.
    src->Seek(src->GetLength() + 5);
    EXPECT_TRUE(dynamic_cast<LSRCACMWave*>(src.get())->Drained());
    EXPECT_EQ(ReadAll(src, 10), std::vector<int32_t>(10 * ch, 0));
}

TEST_P(AcmWaveTest, HeaderCarriesTheFormatBlockAndNoFactChunk) {
    const FormatCase& c = GetParam();
    std::vector<int32_t> input;
    const std::string path = WriteSignal(c.format, 5000, &input);
    const std::string bytes = test::ReadFile(path);
    const auto fmt = c.format.ToBytes();
    const size_t header = 28 + fmt.size();
    ASSERT_GT(bytes.size(), header);
    const uint32_t data = static_cast<uint32_t>(bytes.size() - header);
    const auto expected = MakeCompressedWaveHeader(fmt, data);
    EXPECT_EQ(bytes.substr(0, header), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(4, 4), test::LE32(static_cast<uint32_t>(fmt.size() - 18) + data + 38));
    EXPECT_EQ(bytes.substr(16, 4), test::LE32(static_cast<uint32_t>(fmt.size())));
    EXPECT_EQ(bytes.substr(20 + fmt.size(), 4), "data");
    EXPECT_EQ(data % c.format.blockAlign, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, AcmWaveTest, ::testing::ValuesIn(Formats()),
                         [](const auto& info) { return std::string(info.param.name); });

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

TEST(AcmWaveSox, SoxDecodesOurImaAdpcmAndGsmFilesAsWeDo) {
    for (const auto& format :
         {ImaAdpcmFormat(1, 8000), ImaAdpcmFormat(2, 8000), Gsm610Format(8000)}) {
        test::TempDir dir;
        const std::string path = dir.Path() + "ours.wav", raw = dir.Path() + "sox.raw";
        const int32_t frames = 9000;
        const auto input = Signal(frames, format.channels, format.samplesPerSec);
        CreateWaveSink(path, format)->Write(input.data(), frames);
        const std::string command = "sox -D -V1 " + Quote(path) +
                                    " -t raw -e signed-integer -b 16 -L " + Quote(raw) + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << WaveFormatName(format);
        const std::string soxBytes = test::ReadFile(raw);
        const size_t samples = soxBytes.size() / 2;
        ASSERT_GE(samples, static_cast<size_t>(frames) * format.channels) << WaveFormatName(format);
        LSoundSource src = OpenWaveSource(path);
        const auto ours = ReadAll(src, static_cast<int32_t>(samples / format.channels));
        for (size_t i = 0; i < samples; ++i) {
            const auto v = static_cast<int16_t>(static_cast<uint8_t>(soxBytes[2 * i]) |
                                                (static_cast<uint8_t>(soxBytes[2 * i + 1]) << 8));
            ASSERT_EQ(ours[i], v * 16) << WaveFormatName(format) << " sample " << i;
        }
    }
}

TEST(AcmWave, CopyingACompressedFileUsesItsExactLength) {
    test::TempDir dir;
    const WaveFormat format = ImaAdpcmFormat(1, 8000);
    const auto input = Signal(20000, 1, 8000);
    CreateWaveSink(dir.Path() + "in.wav", format)->Write(input.data(), 20000);
    LSoundSource src = OpenWaveSource(dir.Path() + "in.wav");
    LSoundSink sink = CreatePCMWaveSink(dir.Path() + "out.wav", 8000, 1, 16, 0);
    ASSERT_TRUE(CopySourceToSink(src, sink));
    const auto exact = static_cast<int32_t>((20000 + FramesPerBlock(format) - 1) /
                                            FramesPerBlock(format) * FramesPerBlock(format));
    EXPECT_EQ(sink->position, exact);
}

TEST(AcmWave, UnknownOrBrokenFormatsGiveInvalidObjects) {
    test::TempDir dir;
    using test::Chunk;
    // MPEG layer 3 in WAVE: no codec here; the reader exists but is invalid.
    const std::string mp3 = test::RiffWave(Chunk("fmt ", test::FmtPayload(0x55, 1, 8000, 0)) +
                                           Chunk("data", std::string(100, 'x')));
    ASSERT_TRUE(test::WriteFile(dir.Path() + "mp3.wav", mp3));
    LSoundSource src = OpenWaveSource(dir.Path() + "mp3.wav");
    ASSERT_TRUE(src);
    EXPECT_TRUE(src->IsInvalid());
    std::vector<int32_t> block(10, 3);
    src->Read(block.data(), 10);
    EXPECT_EQ(block, std::vector<int32_t>(10, 0));
    EXPECT_EQ(src->GetPosition(), 0);

    // A cbSize that runs past the chunk cannot be parsed: no reader at all.
    const std::string badCb = test::RiffWave(
        Chunk("fmt ", test::FmtPayload(0x11, 1, 8000, 4).substr(0, 16) + test::LE16(40)) +
        Chunk("data", "abcd"));
    ASSERT_TRUE(test::WriteFile(dir.Path() + "cb.wav", badCb));
    EXPECT_FALSE(OpenWaveSource(dir.Path() + "cb.wav"));

    WaveFormat unknown = ALawFormat(1, 8000);
    unknown.formatTag = 0x55;
    LSoundSink sink = CreateWaveSink(dir.Path() + "out.wav", unknown);
    ASSERT_TRUE(sink);
    EXPECT_TRUE(sink->IsInvalid());
    sink->Write(block.data(), 10);
    EXPECT_EQ(sink->position, 10);
    EXPECT_FALSE(test::FileExists(dir.Path() + "out.wav"));

    EXPECT_TRUE(CreateWaveSink(dir.Path() + "no/dir.wav", ALawFormat(1, 8000))->IsInvalid());
}

TEST(AcmWave, TruncatedFileReadsWhatIsThere) {
    test::TempDir dir;
    const WaveFormat format = ALawFormat(1, 8000);
    const auto input = Signal(4000, 1, 8000);
    CreateWaveSink(dir.Path() + "a.wav", format)->Write(input.data(), 4000);
    std::string bytes = test::ReadFile(dir.Path() + "a.wav");
    bytes.resize(bytes.size() - 1000);  // the header still claims 4000 bytes
    ASSERT_TRUE(test::WriteFile(dir.Path() + "a.wav", bytes));
    LSoundSource src = OpenWaveSource(dir.Path() + "a.wav");
    EXPECT_EQ(src->GetLength(), 3000);
    ReadAll(src, 4000);
    EXPECT_EQ(src->GetLength(), 3000);
}

TEST(WaveSink, PcmFormatsGetThePcmWriter) {
    test::TempDir dir;
    LSoundSink sink = CreateWaveSink(dir.Path() + "p.wav", WaveFormat::Pcm16(2, 22050));
    EXPECT_NE(dynamic_cast<LSNKPCMFile<LSF16>*>(sink.get()), nullptr);
    EXPECT_EQ(sink->channels, 2);
    EXPECT_EQ(sink->sampleRate, 22050u);
    sink = CreateWaveSink(dir.Path() + "p8.wav", Pcm8Format(1, 8000));
    EXPECT_NE(dynamic_cast<LSNKPCMFile<LSFU8>*>(sink.get()), nullptr);
    EXPECT_EQ(sink->maxSample, 260096u);
}

}  // namespace
}  // namespace orvia
