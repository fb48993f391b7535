// Stream semantics shared by every format: whole blocks, the tail the caller
// keeps, the end flag, the start flag, the size queries, and untrusted input.
#include "audio/codec/codec_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/codec/byte_order_p.h"
#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "codec_test_util.h"

namespace orvia::test {
namespace {

constexpr std::size_t kPipelineFrames = 8192;
constexpr uint8_t kCanary = 0xA5;

struct StreamCase {
    const char* name;
    WaveFormat format;
    bool encoderCarriesState;  // the encoder's output depends on earlier blocks
};

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<StreamCase> StreamCases() {
    return {
        {"Pcm8Mono", Pcm8Format(1, 8000), false},      {"ALawStereo", ALawFormat(2, 8000), false},
        {"MuLawMono", MuLawFormat(1, 8000), false},    {"ImaMono", ImaAdpcmFormat(1, 8000), true},
        {"ImaStereo", ImaAdpcmFormat(2, 16000), true}, {"MsMono", MsAdpcmFormat(1, 8000), true},
        {"MsStereo", MsAdpcmFormat(2, 8000), true},    {"Gsm", Gsm610Format(8000), true},
    };
}

class StreamTest : public ::testing::TestWithParam<StreamCase> {
protected:
    const WaveFormat& Format() const { return GetParam().format; }
    WaveFormat Pcm() const { return WaveFormat::Pcm16(Format().channels, Format().samplesPerSec); }
    std::unique_ptr<WaveCodecStream> Decoder() const {
        return WaveCodecStream::Open(Format(), Pcm());
    }
    std::unique_ptr<WaveCodecStream> Encoder() const {
        return WaveCodecStream::Open(Pcm(), Format());
    }
    std::size_t FrameBytes() const { return 2u * Format().channels; }
    // PCM bytes of one block and compressed bytes of one block.
    std::size_t PcmBlock() const { return Encoder()->SourceBlockBytes(); }
    std::size_t CodedBlock() const { return Encoder()->DestinationBlockBytes(); }
    std::vector<uint8_t> Pcm(std::size_t bytes) const {
        std::vector<uint8_t> pcm =
            ToBytes(TestSignal(bytes / FrameBytes() + 1, Format().channels, 8000));
        pcm.resize(bytes);
        return pcm;
    }
};

TEST_P(StreamTest, BlockAlignKeepsTheUnconsumedTail) {
    auto dec = Decoder();
    auto enc = Encoder();
    ASSERT_TRUE(dec);
    ASSERT_TRUE(enc);
    EXPECT_EQ(dec->SourceBlockBytes(), CodedBlock());
    EXPECT_EQ(dec->DestinationBlockBytes(), PcmBlock());

    // Two whole compressed blocks and most of a third.
    const std::size_t codedTail = CodedBlock() - 1;
    const std::vector<uint8_t> coded = NoiseBytes(2 * CodedBlock() + codedTail, 7);
    std::vector<uint8_t> out(4 * PcmBlock());
    for (unsigned flags : {unsigned{kCodecBlockAlign}, 0u}) {
        const auto r = dec->Convert(coded.data(), coded.size(), out.data(), out.size(), flags);
        EXPECT_EQ(r.srcUsed, 2 * CodedBlock());
        EXPECT_EQ(r.dstUsed, 2 * PcmBlock());
    }

    // Two whole PCM blocks, then three frames and half a frame.
    const std::vector<uint8_t> pcm = Pcm(2 * PcmBlock() + 3 * FrameBytes() + 1);
    std::vector<uint8_t> coded2(8 * CodedBlock());
    const auto r = enc->Convert(pcm.data(), pcm.size(), coded2.data(), coded2.size(),
                                kCodecBlockAlign | kCodecStart);
    const std::size_t wholeBlocks = PcmBlock() > 3 * FrameBytes() ? 2 : 2 + 3;
    EXPECT_EQ(r.srcUsed, wholeBlocks * PcmBlock());
    EXPECT_EQ(r.dstUsed, wholeBlocks * CodedBlock());
}

TEST_P(StreamTest, EndPadsTheEncoderAndDropsTheDecoderTail) {
    // Encoder: the final partial block comes out as a whole block, the same
    // as if the caller had padded it with silence.
    const std::vector<uint8_t> pcm = Pcm(2 * PcmBlock() + 3 * FrameBytes() + 1);
    const std::size_t wholeFrames = pcm.size() / FrameBytes() * FrameBytes();
    const std::size_t blocks = (wholeFrames + PcmBlock() - 1) / PcmBlock();
    std::vector<uint8_t> ended(blocks * CodedBlock() + 16, kCanary);
    auto enc = Encoder();
    const auto r = enc->Convert(pcm.data(), pcm.size(), ended.data(), ended.size() - 16,
                                kCodecEnd | kCodecStart);
    EXPECT_EQ(r.srcUsed, pcm.size());
    EXPECT_EQ(r.dstUsed, blocks * CodedBlock());
    EXPECT_EQ(enc->DestinationSizeFor(pcm.size()), r.dstUsed);

    std::vector<uint8_t> padded(pcm.begin(),
                                pcm.begin() + static_cast<std::ptrdiff_t>(wholeFrames));
    padded.resize(blocks * PcmBlock(), 0);
    std::vector<uint8_t> explicitly(blocks * CodedBlock());
    auto fresh = Encoder();
    const auto p = fresh->Convert(padded.data(), padded.size(), explicitly.data(),
                                  explicitly.size(), kCodecBlockAlign);
    ASSERT_EQ(p.dstUsed, explicitly.size());
    ended.resize(r.dstUsed);
    EXPECT_EQ(ended, explicitly);

    // Decoder: whole blocks decode, the partial one is used up and dropped.
    const std::vector<uint8_t> coded = NoiseBytes(2 * CodedBlock() + CodedBlock() / 2, 9);
    std::vector<uint8_t> out(4 * PcmBlock());
    const auto d =
        Decoder()->Convert(coded.data(), coded.size(), out.data(), out.size(), kCodecEnd);
    EXPECT_EQ(d.srcUsed, coded.size());
    EXPECT_EQ(d.dstUsed, 2 * PcmBlock());
}

TEST_P(StreamTest, NeverWritesPastTheDestination) {
    // Room for one and a half blocks: one block is converted, the rest waits.
    const std::vector<uint8_t> coded = NoiseBytes(3 * CodedBlock(), 11);
    const std::size_t room = PcmBlock() + PcmBlock() / 2;
    std::vector<uint8_t> out(room + 64, kCanary);
    auto d = Decoder()->Convert(coded.data(), coded.size(), out.data(), room, kCodecEnd);
    EXPECT_EQ(d.srcUsed, CodedBlock());
    EXPECT_EQ(d.dstUsed, PcmBlock());
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(PcmBlock()), out.end(),
                            [](uint8_t b) { return b == kCanary; }));

    // An encoder with a final partial block and no room for its padded block
    // leaves it for the next call.
    if (PcmBlock() > FrameBytes()) {
        const std::vector<uint8_t> pcm = Pcm(3 * FrameBytes());
        std::vector<uint8_t> small(CodedBlock() + 64, kCanary);
        auto enc = Encoder();
        auto e = enc->Convert(pcm.data(), pcm.size(), small.data(), CodedBlock() - 1, kCodecEnd);
        EXPECT_EQ(e.srcUsed, 0u);
        EXPECT_EQ(e.dstUsed, 0u);
        EXPECT_TRUE(
            std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == kCanary; }));
        e = enc->Convert(pcm.data(), pcm.size(), small.data(), CodedBlock(), kCodecEnd);
        EXPECT_EQ(e.srcUsed, pcm.size());
        EXPECT_EQ(e.dstUsed, CodedBlock());
    }
}

TEST_P(StreamTest, StartResetsTheCodecState) {
    const std::vector<uint8_t> first = Pcm(4 * PcmBlock());
    const std::vector<uint8_t> second(first.rbegin(), first.rend());
    std::vector<uint8_t> out(4 * CodedBlock());

    auto fresh = Encoder();
    fresh->Convert(second.data(), second.size(), out.data(), out.size(), kCodecBlockAlign);
    const std::vector<uint8_t> expected = out;

    auto used = Encoder();
    used->Convert(first.data(), first.size(), out.data(), out.size(), kCodecBlockAlign);
    used->Convert(second.data(), second.size(), out.data(), out.size(), kCodecBlockAlign);
    if (GetParam().encoderCarriesState) {
        EXPECT_NE(out, expected) << "the state should carry over without the start flag";
    }
    used->Convert(first.data(), first.size(), out.data(), out.size(), kCodecBlockAlign);
    used->Convert(second.data(), second.size(), out.data(), out.size(),
                  kCodecBlockAlign | kCodecStart);
    EXPECT_EQ(out, expected);

    // The same for decoding.
    std::vector<uint8_t> pcm(4 * PcmBlock());
    auto freshDec = Decoder();
    freshDec->Convert(expected.data(), expected.size(), pcm.data(), pcm.size(), kCodecBlockAlign);
    const std::vector<uint8_t> decoded = pcm;
    auto usedDec = Decoder();
    const std::vector<uint8_t> noise = NoiseBytes(expected.size(), 3);
    usedDec->Convert(noise.data(), noise.size(), pcm.data(), pcm.size(), kCodecBlockAlign);
    usedDec->Convert(expected.data(), expected.size(), pcm.data(), pcm.size(),
                     kCodecBlockAlign | kCodecStart);
    EXPECT_EQ(pcm, decoded);
}

TEST_P(StreamTest, GarbageDecodesWithinBounds) {
    const std::vector<uint8_t> coded = NoiseBytes(41 * CodedBlock() - 1, 99);
    auto result = DecodeAll(Format(), coded);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->size() * 2, 40 * PcmBlock());
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamTest, ::testing::ValuesIn(StreamCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The reader sizes its source buffer with SourceSizeFor for 8192 decoded
// frames and the writer its destination with DestinationSizeFor for 8192
// source frames; both must hold what a conversion produces, for every format
// the layer offers.
TEST(StreamSizeTest, BufferSizesHoldWhatConversionsProduce) {
    for (const EncodableFormat& e : ListEncodableFormats()) {
        SCOPED_TRACE(e.name);
        const WaveFormat pcmFormat = WaveFormat::Pcm16(e.format.channels, e.format.samplesPerSec);
        const std::size_t pcmBytes = kPipelineFrames * 2u * e.format.channels;

        auto dec = WaveCodecStream::Open(e.format, pcmFormat);
        ASSERT_TRUE(dec);
        const std::size_t srcSize = dec->SourceSizeFor(pcmBytes);
        ASSERT_GT(srcSize, 0u);
        EXPECT_EQ(srcSize % e.format.blockAlign, 0u);
        EXPECT_LE(dec->DestinationSizeFor(srcSize), pcmBytes);
        const std::vector<uint8_t> coded = NoiseBytes(srcSize, 5);
        std::vector<uint8_t> pcm(pcmBytes);
        auto r = dec->Convert(coded.data(), coded.size(), pcm.data(), pcm.size(), kCodecBlockAlign);
        EXPECT_EQ(r.srcUsed, srcSize);
        EXPECT_LE(r.dstUsed, pcmBytes);

        auto enc = WaveCodecStream::Open(pcmFormat, e.format);
        ASSERT_TRUE(enc);
        const std::size_t dstSize = enc->DestinationSizeFor(pcmBytes);
        std::vector<uint8_t> out(dstSize);
        r = enc->Convert(pcm.data(), pcm.size(), out.data(), out.size(), kCodecEnd);
        EXPECT_EQ(r.srcUsed, pcmBytes);
        EXPECT_EQ(r.dstUsed, dstSize);
    }
}

struct BadFormat {
    const char* name;
    WaveFormat format;
};

WaveFormat With(WaveFormat f, void (*change)(WaveFormat&)) {
    change(f);
    return f;
}

TEST(StreamOpenTest, InconsistentFormatsGiveNoStream) {
    const std::vector<BadFormat> cases = {
        {"no channels", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.channels = 0; })},
        {"rate 0", With(MuLawFormat(1, 8000), [](WaveFormat& f) { f.samplesPerSec = 0; })},
        {"rate too high",
         With(MuLawFormat(1, 8000), [](WaveFormat& f) { f.samplesPerSec = 192001; })},
        {"absurd channels", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.channels = 60000; })},
        {"A-law block align", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.blockAlign = 2; })},
        {"A-law 16 bits", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.bitsPerSample = 16; })},
        {"A-law extra", With(ALawFormat(1, 8000),
                             [](WaveFormat& f) {
                                 f.extra = {0, 0};
                             })},
        {"PCM 24 bits", With(WaveFormat::Pcm16(1, 8000),
                             [](WaveFormat& f) {
                                 f.bitsPerSample = 24;
                                 f.blockAlign = 3;
                             })},
        {"PCM 8 block align", With(Pcm8Format(2, 8000), [](WaveFormat& f) { f.blockAlign = 1; })},
        {"IMA 3 channels", With(ImaAdpcmFormat(2, 8000), [](WaveFormat& f) { f.channels = 3; })},
        {"IMA block too small",
         With(ImaAdpcmFormat(1, 8000), [](WaveFormat& f) { f.blockAlign = 4; })},
        {"IMA odd block", With(ImaAdpcmFormat(1, 8000), [](WaveFormat& f) { f.blockAlign = 257; })},
        {"IMA block too large", With(ImaAdpcmFormat(1, 8000),
                                     [](WaveFormat& f) {
                                         f.blockAlign = 4100;
                                         codec::PutLe16(f.extra.data(), 8193);
                                     })},
        {"IMA no extra", With(ImaAdpcmFormat(1, 8000), [](WaveFormat& f) { f.extra.clear(); })},
        {"IMA wrong samples",
         With(ImaAdpcmFormat(1, 8000), [](WaveFormat& f) { f.extra[0] ^= 1; })},
        {"IMA 3 bits", With(ImaAdpcmFormat(1, 8000), [](WaveFormat& f) { f.bitsPerSample = 3; })},
        {"MS block too small",
         With(MsAdpcmFormat(1, 8000), [](WaveFormat& f) { f.blockAlign = 6; })},
        {"MS short extra", With(MsAdpcmFormat(1, 8000), [](WaveFormat& f) { f.extra.resize(30); })},
        {"MS wrong samples", With(MsAdpcmFormat(1, 8000), [](WaveFormat& f) { f.extra[0] ^= 1; })},
        {"MS coefficient", With(MsAdpcmFormat(1, 8000), [](WaveFormat& f) { f.extra[10] ^= 1; })},
        {"MS 3 channels", With(MsAdpcmFormat(2, 8000), [](WaveFormat& f) { f.channels = 3; })},
        {"GSM stereo", With(Gsm610Format(8000), [](WaveFormat& f) { f.channels = 2; })},
        {"GSM block align", With(Gsm610Format(8000), [](WaveFormat& f) { f.blockAlign = 64; })},
        {"GSM samples", With(Gsm610Format(8000),
                             [](WaveFormat& f) {
                                 f.extra[0] = 160;
                                 f.extra[1] = 0;
                             })},
        {"GSM no extra", With(Gsm610Format(8000), [](WaveFormat& f) { f.extra.clear(); })},
        {"MPEG layer 3", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.formatTag = 0x55; })},
        {"tag 0", With(ALawFormat(1, 8000), [](WaveFormat& f) { f.formatTag = 0; })},
    };
    for (const BadFormat& c : cases) {
        const WaveFormat pcm = WaveFormat::Pcm16(c.format.channels, c.format.samplesPerSec);
        EXPECT_EQ(WaveCodecStream::Open(c.format, pcm), nullptr) << c.name;
        EXPECT_EQ(WaveCodecStream::Open(pcm, c.format), nullptr) << c.name;
    }
}

TEST(StreamOpenTest, OneSideMustBeMatchingPcm16) {
    const WaveFormat alaw = ALawFormat(1, 8000);
    EXPECT_NE(WaveCodecStream::Open(alaw, WaveFormat::Pcm16(1, 8000)), nullptr);
    EXPECT_EQ(WaveCodecStream::Open(alaw, WaveFormat::Pcm16(2, 8000)), nullptr);
    EXPECT_EQ(WaveCodecStream::Open(alaw, WaveFormat::Pcm16(1, 16000)), nullptr);
    EXPECT_EQ(WaveCodecStream::Open(alaw, MuLawFormat(1, 8000)), nullptr);
    EXPECT_EQ(WaveCodecStream::Open(alaw, Pcm8Format(1, 8000)), nullptr);
    WaveFormat badPcm = WaveFormat::Pcm16(1, 8000);
    badPcm.blockAlign = 4;
    EXPECT_EQ(WaveCodecStream::Open(alaw, badPcm), nullptr);
    EXPECT_EQ(WaveCodecStream::Open(badPcm, alaw), nullptr);
}

// Blocks built to push the decoders to their limits: out-of-range predictor
// and step indexes, the largest deltas, codes that grow the step each time.
TEST(StreamGarbageTest, HostileBlocksDecodeWithoutOverflow) {
    {
        const WaveFormat ms = MsAdpcmFormat(2, 8000);
        std::vector<uint8_t> block(ms.blockAlign, 0x88);
        block[0] = 0xFF;  // predictor indexes out of range
        block[1] = 7;
        codec::PutLe16(&block[2], 0x7FFF);  // largest deltas
        codec::PutLe16(&block[4], 0x8000);  // a negative delta
        auto out = DecodeAll(ms, block);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->size(), 2u * 500);
    }
    {
        const WaveFormat ima = ImaAdpcmFormat(2, 8000);
        std::vector<uint8_t> block(ima.blockAlign, 0x77);
        block[2] = 200;  // step index out of range
        block[6] = 88;
        auto out = DecodeAll(ima, block);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->size(), 2u * 505);
        // Growing codes saturate rather than wrap.
        EXPECT_EQ(out->back(), 32767);
    }
}

}  // namespace
}  // namespace orvia::test
