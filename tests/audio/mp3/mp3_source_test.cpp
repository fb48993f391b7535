#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "audio/mp3/mp3_frame_header.h"
#include "audio/mp3/mp3_source.h"
#include "mp3_fixtures.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::EncodeMp3;
using test::ReadFile;
using test::TempDir;
using test::ToneSpec;
using test::WriteFile;

// Reads a source from where it stands to its (final) length.
std::vector<int32_t> ReadAll(LSoundSourceBase& source) {
    std::vector<int32_t> all;
    std::vector<int32_t> block(4096 * source.channels);
    while (source.GetPosition() < source.GetLength()) {
        const int32_t at = source.GetPosition();
        source.Read(block.data(), 4096);
        const int32_t useful = std::min(4096, source.GetLength() - at);
        all.insert(all.end(), block.begin(), block.begin() + useful * source.channels);
    }
    return all;
}

double Rms(const int32_t* samples, std::size_t count, std::size_t stride = 1) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; i += stride, ++n)
        sum += static_cast<double>(samples[i]) * samples[i];
    return n ? std::sqrt(sum / n) : 0;
}

// Offsets of the complete frames of an MP3 file, found by walking headers.
std::vector<std::size_t> FrameEnds(const std::string& bytes) {
    std::vector<std::size_t> ends;
    std::size_t at = 0;
    while (at + 4 <= bytes.size()) {
        auto h = ParseMp3Header(reinterpret_cast<const uint8_t*>(bytes.data() + at));
        if (!h)
            break;
        at += h->FrameBytes();
        if (at > bytes.size())
            break;
        ends.push_back(at);
    }
    return ends;
}

class Mp3SourceTest : public testing::Test {
protected:
    std::string Encode(const std::string& name, const ToneSpec& tone,
                       const std::vector<std::string>& options) {
        const std::string path = dir_.Path() + name;
        EXPECT_TRUE(EncodeMp3(tone, options, path)) << "lame failed for " << name;
        return path;
    }
    // MPEG-1 Layer III, 44100 Hz stereo, 128 kbit/s constant.
    std::string Mpeg1() { return Encode("mpeg1.mp3", ToneSpec{}, {"-b", "128"}); }

    TempDir dir_;
};

struct FormatCase {
    const char* name;
    ToneSpec tone;
    std::vector<std::string> options;
    int32_t rate;
    int channels;
    int32_t samplesPerFrame;
    bool constantBitrate;
};

TEST_F(Mp3SourceTest, TakesRateChannelsAndFrameSizeFromTheFirstHeader) {
    const FormatCase cases[] = {
        {"mpeg1.mp3", ToneSpec{}, {"-b", "128"}, 44100, 2, 1152, true},
        {"mpeg2.mp3", ToneSpec{16000, 1}, {"-b", "32", "--resample", "16"}, 16000, 1, 576, true},
        {"mpeg25.mp3", ToneSpec{8000, 1}, {"-b", "16", "--resample", "8"}, 8000, 1, 576, true},
        {"vbr.mp3", ToneSpec{}, {"-V", "4"}, 44100, 2, 1152, false},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Encode(c.name, c.tone, c.options);
        LSoundSource source = OpenMP3Source(path);
        ASSERT_FALSE(IsInvalid(source));
        EXPECT_EQ(source->sampleRate, c.rate);
        EXPECT_EQ(source->channels, c.channels);
        EXPECT_EQ(source->maxSample, 2097152u);
        auto* mp3 = static_cast<LMP3Source*>(source.get());
        EXPECT_EQ(mp3->SamplesPerFrame(), c.samplesPerFrame);

        // The opening estimate is close to what finally decodes, and the
        // length is exact (whole frames) once decoding has ended.
        const int32_t estimate = source->GetLength();
        const std::vector<int32_t> all = ReadAll(*source);
        const int32_t decoded = static_cast<int32_t>(all.size() / c.channels);
        EXPECT_EQ(source->GetLength(), decoded);
        EXPECT_EQ(decoded, mp3->DecodedFrameCount() * c.samplesPerFrame);
        if (c.constantBitrate) {
            EXPECT_NEAR(estimate, decoded, 0.02 * decoded);
        }
        // The tone lasts 2 s, plus the encoder's delay and padding.
        EXPECT_GE(decoded, 2 * c.rate);
        EXPECT_LE(decoded, 2 * c.rate + 4 * c.samplesPerFrame);
    }
}

TEST_F(Mp3SourceTest, ConstantBitrateFramesAre417Or418Bytes) {
    const std::string bytes = ReadFile(Mpeg1());
    const std::vector<std::size_t> ends = FrameEnds(bytes);
    ASSERT_GT(ends.size(), 50u);
    for (std::size_t i = 1; i < ends.size(); ++i) {
        const std::size_t size = ends[i] - ends[i - 1];
        EXPECT_TRUE(size == 417 || size == 418) << size;
    }
}

TEST_F(Mp3SourceTest, DecodesAtTheSynthesisScale) {
    // A sine with a 16-bit peak of 8000 decodes with a peak of
    // 8000 / 32768 x 262144 = 64000, an RMS of 64000 / sqrt(2).
    ToneSpec tone;
    tone.channels = 1;
    tone.rate = 16000;
    tone.frequency[0] = 500;
    const std::string path = Encode("tone.mp3", tone, {"-b", "64", "--resample", "16"});
    LSoundSource source = OpenMP3Source(path);
    ASSERT_FALSE(IsInvalid(source));
    std::vector<int32_t> all = ReadAll(*source);
    ASSERT_GT(all.size(), 24000u);
    // The steady middle part, away from the encoder's start and end.
    const double rms = Rms(all.data() + 8000, 16000);
    EXPECT_NEAR(rms, 64000 / std::sqrt(2.0), 0.05 * 64000);
    // 500 Hz at 16000 Hz: one zero crossing upwards every 32 samples.
    int crossings = 0;
    for (std::size_t i = 8001; i < 24000; ++i)
        crossings += (all[i - 1] < 0 && all[i] >= 0) ? 1 : 0;
    EXPECT_NEAR(crossings, 500, 2);
}

TEST_F(Mp3SourceTest, StereoChannelsKeepTheirOwnTones) {
    LSoundSource source = OpenMP3Source(Mpeg1());
    ASSERT_FALSE(IsInvalid(source));
    std::vector<int32_t> all = ReadAll(*source);
    ASSERT_GT(all.size(), 2u * 88200);
    int up[2] = {0, 0};
    for (std::size_t i = 2 * 11025; i < 2 * 55125; i += 2) {
        for (int c = 0; c < 2; ++c)
            up[c] += (all[i - 2 + c] < 0 && all[i + c] >= 0) ? 1 : 0;
    }
    // One second of 440 Hz on the left and 660 Hz on the right.
    EXPECT_NEAR(up[0], 440, 2);
    EXPECT_NEAR(up[1], 660, 2);
}

TEST_F(Mp3SourceTest, JunkBeforeTheFirstHeaderIsToleratedUpTo1024Bytes) {
    const std::string clean = ReadFile(Mpeg1());
    struct Case {
        std::size_t junk;
        bool valid;
    } cases[] = {{0, true}, {1000, true}, {1023, true}, {1024, false}, {2000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.junk);
        // Junk that never looks like a header.
        const std::string path = dir_.Path() + "junk.mp3";
        ASSERT_TRUE(WriteFile(path, std::string(c.junk, '\x55') + clean));
        LSoundSource source = OpenMP3Source(path);
        ASSERT_TRUE(source);  // created even when unusable
        EXPECT_EQ(source->IsInvalid(), !c.valid);
    }
}

TEST_F(Mp3SourceTest, AnInvalidSourceReadsSilenceAndStaysAtZero) {
    const std::string path = dir_.Path() + "junk.mp3";
    ASSERT_TRUE(WriteFile(path, std::string(2000, '\0') + ReadFile(Mpeg1())));
    LSoundSource missing = OpenMP3Source(dir_.Path() + "missing.mp3");
    LSoundSource junk = OpenMP3Source(path);
    for (LSoundSource* source : {&missing, &junk}) {
        ASSERT_TRUE(source->get());
        EXPECT_TRUE((*source)->IsInvalid());
        std::vector<int32_t> block(1000, 7);
        (*source)->Read(block.data(), 1000);
        EXPECT_EQ(std::count(block.begin(), block.end(), 0), 1000);
        (*source)->Seek(500);
        EXPECT_EQ((*source)->GetPosition(), 0);
        EXPECT_EQ((*source)->GetLength(), 0);
    }
}

TEST_F(Mp3SourceTest, FewerThanEightFramesMakeTheSourceInvalid) {
    const std::string bytes = ReadFile(Mpeg1());
    const std::vector<std::size_t> ends = FrameEnds(bytes);
    ASSERT_GT(ends.size(), 9u);
    const std::string path = dir_.Path() + "short.mp3";
    // The 128 tail bytes are never read, so 7 frames + 128 bytes hold 7 headers.
    ASSERT_TRUE(WriteFile(path, bytes.substr(0, ends[6] + 128)));
    EXPECT_TRUE(OpenMP3Source(path)->IsInvalid());
    ASSERT_TRUE(WriteFile(path, bytes.substr(0, ends[7] + 128)));
    EXPECT_FALSE(OpenMP3Source(path)->IsInvalid());
}

TEST_F(Mp3SourceTest, TheLast128BytesAreNeverDecoded) {
    const std::string bytes = ReadFile(Mpeg1());
    const std::vector<std::size_t> ends = FrameEnds(bytes);
    ASSERT_EQ(ends.back(), bytes.size()) << "lame wrote no tag, the file ends with a frame";
    // Complete frames that end before the last 128 bytes.
    const auto framesBefore = [&](std::size_t size) {
        return std::count_if(ends.begin(), ends.end(),
                             [&](std::size_t end) { return end + 128 <= size; });
    };
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"plain", bytes},
        {"padded", bytes + std::string(128, '\0')},
        {"short pad", bytes + std::string(60, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.Path() + "tail.mp3";
        ASSERT_TRUE(WriteFile(path, c.content));
        LSoundSource source = OpenMP3Source(path);
        ASSERT_FALSE(IsInvalid(source));
        ReadAll(*source);
        const auto* mp3 = static_cast<const LMP3Source*>(source.get());
        EXPECT_EQ(mp3->DecodedFrameCount(), framesBefore(c.content.size()));
    }
    // With 128 bytes after the last frame every frame decodes.
    EXPECT_EQ(framesBefore(bytes.size() + 128), static_cast<long>(ends.size()));
}

TEST_F(Mp3SourceTest, ReadingBeforeZeroAndPastTheEndGivesZeros) {
    LSoundSource source = OpenMP3Source(Mpeg1());
    ASSERT_FALSE(IsInvalid(source));
    std::vector<int32_t> reference(2 * 3000);
    source->Read(reference.data(), 3000);

    source->Seek(-40);
    std::vector<int32_t> block(2 * 3000, 7);
    source->Read(block.data(), 3000);
    EXPECT_EQ(source->GetPosition(), 2960);
    EXPECT_TRUE(std::all_of(block.begin(), block.begin() + 80, [](int32_t v) { return v == 0; }));
    EXPECT_TRUE(std::equal(block.begin() + 80, block.end(), reference.begin()));

    // A block wholly before zero.
    source->Seek(-5000);
    source->Read(block.data(), 3000);
    EXPECT_EQ(source->GetPosition(), -2000);
    EXPECT_EQ(std::count(block.begin(), block.end(), 0), 6000);

    // Past the end: zeros, and the position still moves by the whole block.
    source->Seek(0);
    ReadAll(*source);
    const int32_t length = source->GetLength();
    const int32_t at = source->GetPosition();
    source->Read(block.data(), 3000);
    EXPECT_EQ(source->GetPosition(), at + 3000);
    EXPECT_EQ(source->GetLength(), length);
    EXPECT_EQ(std::count(block.begin(), block.end(), 0), 6000);
}

TEST_F(Mp3SourceTest, SeekBacksOffUpToFourFramesAndLandsOnTheTarget) {
    LSoundSource source = OpenMP3Source(Mpeg1());
    ASSERT_FALSE(IsInvalid(source));
    auto* mp3 = static_cast<LMP3Source*>(source.get());
    const std::vector<int32_t> all = ReadAll(*source);

    struct Case {
        int32_t target;
        int64_t framesDecoded;
    } cases[] = {
        {0, 1},          // no frame to back off from
        {1152 + 5, 2},   // one frame back
        {10 * 1152, 5},  // four frames back
        {40 * 1152 + 77, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const int64_t before = mp3->DecodedFrameCount();
        source->Seek(c.target);
        EXPECT_EQ(mp3->DecodedFrameCount() - before, c.framesDecoded);
        EXPECT_EQ(source->GetPosition(), c.target);
        std::vector<int32_t> block(2 * 2000);
        source->Read(block.data(), 2000);
        // The backed-off frames refill the reservoir and the overlap, so the
        // samples are those of a continuous decode.
        const auto expected = all.begin() + 2 * c.target;
        double diff = 0;
        for (std::size_t i = 0; i < block.size(); ++i)
            diff = std::max(diff, std::abs(static_cast<double>(block[i] - expected[i])));
        EXPECT_LE(diff, 2.0);
    }
}

TEST_F(Mp3SourceTest, VariableBitrateFilesDecodeWithAnEstimatedLength) {
    const std::string path = Encode("vbr.mp3", ToneSpec{}, {"-V", "2"});
    LSoundSource source = OpenMP3Source(path);
    ASSERT_FALSE(IsInvalid(source));
    const std::vector<int32_t> all = ReadAll(*source);
    const double rms = Rms(all.data() + 2 * 22050, 2 * 44100, 2);
    EXPECT_NEAR(rms, 64000 / std::sqrt(2.0), 0.05 * 64000);
}

TEST_F(Mp3SourceTest, TruncatedAndDamagedFilesReadToAnEndWithoutFault) {
    const std::string bytes = ReadFile(Mpeg1());
    std::string damaged = bytes;
    for (std::size_t i = 5000; i < damaged.size(); i += 97)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    const std::string cases[] = {bytes.substr(0, bytes.size() / 2), damaged,
                                 bytes.substr(0, 5000) + std::string(20000, '\xFF')};
    for (const std::string& content : cases) {
        const std::string path = dir_.Path() + "bad.mp3";
        ASSERT_TRUE(WriteFile(path, content));
        LSoundSource source = OpenMP3Source(path);
        ASSERT_TRUE(source);
        if (source->IsInvalid())
            continue;
        const std::vector<int32_t> all = ReadAll(*source);
        EXPECT_EQ(source->GetLength() * 2, static_cast<int32_t>(all.size()));
        // Seeks anywhere, also beyond the end, stay within the file.
        for (int32_t target : {0, 30000, 1 << 30})
            source->Seek(target);
    }
}

}  // namespace
}  // namespace orvia
