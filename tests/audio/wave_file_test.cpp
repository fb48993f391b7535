#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "audio/pcm_file_sink.h"
#include "audio/wave_header_p.h"
#include "audio/wave_repair.h"
#include "audio/wave_source.h"
#include "diagnostics_capture.h"
#include "file_size_limit.h"
#include "temp_dir.h"
#include "wave_bytes.h"

namespace orvia {
namespace {

using test::Chunk;
using test::FmtPayload;
using test::LE16;
using test::LE32;
using test::Pcm16;
using test::RiffWave;
using namespace std::string_literals;

std::vector<int16_t> Ramp(int n, int start = 1) {
    std::vector<int16_t> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), static_cast<int16_t>(start));
    return v;
}

std::vector<int32_t> ReadFrames(const LSoundSource& src, int32_t frames) {
    std::vector<int32_t> block(static_cast<size_t>(frames) * src->channels, 12345);
    src->Read(block.data(), frames);
    return block;
}

class WaveFileTest : public ::testing::Test {
protected:
    std::string Put(const std::string& name, const std::string& bytes) {
        const std::string path = dir.Path() + name;
        EXPECT_TRUE(test::WriteFile(path, bytes));
        return path;
    }
    std::string Mono16(const std::vector<int16_t>& samples) {
        return RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16)) + Chunk("data", Pcm16(samples)));
    }
    test::TempDir dir;
};

TEST_F(WaveFileTest, PcmHeaderIsExactByteForByte) {
    const std::string path = dir.Path() + "h.wav";
    {
        LSoundSink sink = CreatePCMWaveSink(path, 8000, 2, 16, 0);
        ASSERT_FALSE(IsInvalid(sink));
        std::vector<int32_t> block(2 * 3, 16);
        sink->Write(block.data(), 3);
    }
    const std::string expected = std::string("RIFF") + LE32(12 + 38) + "WAVE" + "fmt " + LE32(18) +
                                 LE16(1) + LE16(2) + LE32(8000) + LE32(32000) + LE16(4) + LE16(16) +
                                 LE16(0) + "data" + LE32(12) + Pcm16({1, 1, 1, 1, 1, 1});
    EXPECT_EQ(test::ReadFile(path), expected);
}

TEST_F(WaveFileTest, WriterWidthFollowsBitsAndEveryWidthIsTaggedPcm) {
    struct Case {
        int bits;
        uint16_t storedBits, align;
        uint32_t maxSample;
    } cases[] = {{1, 8, 3, 260096},   {8, 8, 3, 260096},    {9, 16, 6, 524272},
                 {16, 16, 6, 524272}, {17, 32, 12, 524272}, {32, 32, 12, 524272}};
    for (const auto& c : cases) {
        const std::string path = dir.Path() + "w" + std::to_string(c.bits) + ".wav";
        LSoundSink sink = CreatePCMWaveSink(path, 11025, 3, c.bits, 0);
        EXPECT_EQ(sink->maxSample, c.maxSample);
        sink.reset();
        const std::string h = test::ReadFile(path);
        ASSERT_EQ(h.size(), 46u) << c.bits;
        EXPECT_EQ(h.substr(20, 2), LE16(1)) << c.bits;
        EXPECT_EQ(h.substr(28, 4), LE32(11025u * c.align)) << c.bits;
        EXPECT_EQ(h.substr(32, 2), LE16(c.align)) << c.bits;
        EXPECT_EQ(h.substr(34, 2), LE16(c.storedBits)) << c.bits;
        EXPECT_EQ(h.substr(4, 4), LE32(38)) << c.bits;
    }
}

TEST_F(WaveFileTest, RoundTripKeepsSamplesInEveryWidth) {
    struct Case {
        int bits;
        std::vector<int32_t> in, out;
    } cases[] = {
        // 8-bit keeps the top 8 bits of a 16-bit value, rounding to nearest.
        {8, {0, 2048, -2048, 1023, 1024, 260096}, {0, 2048, -2048, 0, 2048, 260096}},
        {16, {0, 16, -16, 7, 8, 524272, -524288}, {0, 16, -16, 0, 16, 524272, -524288}},
        {32, {0, 1, -1, 524272, -524288}, {0, 1, -1, 524272, -524288}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Path() + "rt" + std::to_string(c.bits) + ".wav";
        const auto n = static_cast<int32_t>(c.in.size());
        CreatePCMWaveSink(path, 8000, 1, c.bits, 0)->Write(c.in.data(), n);
        LSoundSource src = OpenWaveSource(path);
        ASSERT_FALSE(IsInvalid(src)) << c.bits;
        EXPECT_EQ(src->GetLength(), n);
        EXPECT_EQ(ReadFrames(src, n), c.out) << c.bits;
    }
}

TEST_F(WaveFileTest, ReaderTypeAndFullScaleFollowTheFileWidth) {
    struct Case {
        uint16_t bits;
        std::string data;
        uint32_t maxSample;
        int32_t first;
    } cases[] = {
        {4, "\x90", 260096, 16 * 2048},
        {8, "\x7f", 260096, -2048},
        {12, LE16(0x1234), 524272, 0x1234 * 16},
        {16, LE16(0xFFFF), 524272, -16},
        // Widths the system does not know are read as 32-bit and sound wrong.
        {24, LE32(0x00100000), 524272, 256},
        {32, LE32(0x7FFFF000), 524272, 524287},
    };
    for (const auto& c : cases) {
        const std::string fmt =
            LE16(1) + LE16(1) + LE32(8000) + LE32(8000) + LE16(1) + LE16(c.bits);
        LSoundSource src =
            OpenWaveSource(Put("b.wav", RiffWave(Chunk("fmt ", fmt) + Chunk("data", c.data))));
        ASSERT_FALSE(IsInvalid(src)) << c.bits;
        EXPECT_EQ(src->maxSample, c.maxSample) << c.bits;
        EXPECT_EQ(src->GetLength(), 1) << c.bits;
        EXPECT_EQ(ReadFrames(src, 1)[0], c.first) << c.bits;
    }
}

TEST_F(WaveFileTest, OpenerWalksChunksAndRejectsMalformedFiles) {
    const std::string fmt = Chunk("fmt ", FmtPayload(1, 1, 8000, 16));
    const std::string data = Chunk("data", Pcm16({5, 6}));
    const std::string otherForm = "RIFF" + LE32(8) + "AVI " + "abcd";
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
    } cases[] = {
        {"plain", RiffWave(fmt + data), true},
        {"LIST before fmt, fact before data",
         RiffWave(Chunk("LIST", "INFOabcd") + fmt + Chunk("fact", LE32(2)) + data), true},
        {"odd chunk is padded", RiffWave(Chunk("junk", "abc") + "\0"s + fmt + data), true},
        {"leading non-WAVE form is stepped over", otherForm + RiffWave(fmt + data), true},
        {"leading form of odd size rounds up",
         "RIFF" + LE32(5) + "AVI " + "ab" + RiffWave(fmt + data), true},
        {"fmt of 15 bytes with its pad byte",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16).substr(0, 15)) + "\0"s + data), true},
        {"fmt of 15 bytes without a pad byte",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16).substr(0, 15)) + data), true},
        {"fmt of 16 bytes",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16).substr(0, 16)) + data), true},
        {"fmt of 14 bytes",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16).substr(0, 14)) + data), false},
        {"fmt of 8192 bytes",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16, std::string(8174, 'x'))) + data), true},
        {"fmt of 8193 bytes",
         RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16, std::string(8175, 'x'))) + "\0"s + data),
         false},
        {"leading form below 5 bytes", "RIFF" + LE32(3) + "AVI " + RiffWave(fmt + data), false},
        {"empty chunk before fmt", RiffWave(Chunk("junk", "") + fmt + data), false},
        {"no data chunk", RiffWave(fmt + Chunk("LIST", "abcd")), false},
        {"no fmt chunk", RiffWave(data), false},
        {"zero channels", RiffWave(Chunk("fmt ", FmtPayload(1, 0, 8000, 16)) + data), false},
        {"256 channels", RiffWave(Chunk("fmt ", FmtPayload(1, 256, 8000, 16)) + data), false},
        {"255 channels", RiffWave(Chunk("fmt ", FmtPayload(1, 255, 8000, 16)) + data), true},
        {"rate 0", RiffWave(Chunk("fmt ", FmtPayload(1, 1, 0, 16)) + data), false},
        {"rate 192000", RiffWave(Chunk("fmt ", FmtPayload(1, 1, 192000, 16)) + data), true},
        {"rate 192001", RiffWave(Chunk("fmt ", FmtPayload(1, 1, 192001, 16)) + data), false},
        {"zero bits", RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 0)) + data), false},
        {"truncated header", RiffWave(fmt + data).substr(0, 30), false},
        {"empty file", "", false},
        {"garbage", std::string(300, '\x7f'), false},
        {"huge chunk size", RiffWave("junk" + LE32(0xFFFFFFFF) + fmt + data), false},
    };
    for (const auto& c : cases) {
        LSoundSource src = OpenWaveSource(Put("c.wav", c.bytes));
        EXPECT_EQ(static_cast<bool>(src), c.opens) << c.name;
        if (src) {
            EXPECT_FALSE(src->IsInvalid()) << c.name;
            if (src->channels == 1) {
                EXPECT_EQ(src->GetLength(), 2) << c.name;
            }
        }
    }
    EXPECT_FALSE(OpenWaveSource(dir.Path() + "missing.wav"));
    EXPECT_FALSE(OpenWaveSource(dir.Path()));  // a folder
}

TEST_F(WaveFileTest, ReadingPastTheEndGivesZerosAndAdvancesThePosition) {
    // 1000 data bytes of mono 16-bit audio: 500 frames.
    LSoundSource src = OpenWaveSource(Put("a.wav", Mono16(Ramp(500))));
    ASSERT_TRUE(src);
    EXPECT_EQ(src->GetLength(), 500);
    const auto block = ReadFrames(src, 800);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(block[static_cast<size_t>(i)], (i + 1) * 16) << i;
    for (int i = 500; i < 800; ++i)
        ASSERT_EQ(block[static_cast<size_t>(i)], 0) << i;
    EXPECT_EQ(src->GetPosition(), 800);
    EXPECT_EQ(src->GetLength(), 500);
}

TEST_F(WaveFileTest, ReadingAtNegativePositionsGivesLeadingSilence) {
    LSoundSource src = OpenWaveSource(Put("a.wav", Mono16(Ramp(500))));
    struct Case {
        int32_t seek, frames, zeros, position;
    } cases[] = {{-40, 100, 40, 60}, {-100, 100, 100, 0}, {-200, 100, 100, -100}, {0, 10, 0, 10}};
    for (const auto& c : cases) {
        src->Seek(c.seek);
        const auto block = ReadFrames(src, c.frames);
        for (int i = 0; i < c.frames; ++i) {
            const int32_t expected = i < c.zeros ? 0 : (i - c.zeros + 1) * 16;
            ASSERT_EQ(block[static_cast<size_t>(i)], expected) << c.seek << " frame " << i;
        }
        EXPECT_EQ(src->GetPosition(), c.position) << c.seek;
    }
}

TEST_F(WaveFileTest, SeekSetsThePositionAnywhereAndReadsFromThere) {
    LSoundSource src = OpenWaveSource(Put("a.wav", Mono16(Ramp(500))));
    src->Seek(250);
    EXPECT_EQ(ReadFrames(src, 2), (std::vector<int32_t>{251 * 16, 252 * 16}));
    src->Seek(499);
    EXPECT_EQ(ReadFrames(src, 2), (std::vector<int32_t>{500 * 16, 0}));
    src->Seek(100000);
    EXPECT_EQ(src->GetPosition(), 100000);
    EXPECT_EQ(ReadFrames(src, 3), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(src->GetPosition(), 100003);
}

TEST_F(WaveFileTest, StereoFramesAreInterleaved) {
    const std::string bytes =
        RiffWave(Chunk("fmt ", FmtPayload(1, 2, 8000, 16)) + Chunk("data", Pcm16({1, -1, 2, -2})));
    LSoundSource src = OpenWaveSource(Put("s.wav", bytes));
    ASSERT_TRUE(src);
    EXPECT_EQ(src->channels, 2);
    EXPECT_EQ(src->GetLength(), 2);
    EXPECT_EQ(ReadFrames(src, 3), (std::vector<int32_t>{16, -16, 32, -32, 0, 0}));
}

TEST_F(WaveFileTest, LengthNeverExceedsWhatTheFileHolds) {
    // The header claims 4 GB of data; the file has 10 frames and a partial one.
    const std::string bytes = RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16))) + "data" +
                              LE32(0xFFFFFFF0) + Pcm16(Ramp(10)) + "x";
    LSoundSource src = OpenWaveSource(Put("big.wav", bytes));
    ASSERT_TRUE(src);
    EXPECT_EQ(src->GetLength(), 10);
    const auto block = ReadFrames(src, 12);
    EXPECT_EQ(block[9], 160);
    EXPECT_EQ(block[10], 0);
    EXPECT_EQ(src->GetLength(), 10);
}

// A recording of ours that a crash ended: its header was last written four
// seconds ago and the file holds more. The reader gives every whole frame
// the file holds. A file laid out otherwise keeps to its header, since what
// follows its data there need not be audio.
TEST_F(WaveFileTest, OurRecordingsArePlayedToTheEndOfTheFileWhateverTheHeaderSays) {
    const auto header = MakePcmWaveHeader(1, 8000, 2, 2 * 100);
    const std::string crashed = std::string(header.begin(), header.end()) + Pcm16(Ramp(250)) + "x";
    LSoundSource src = OpenWaveSource(Put("crashed.wav", crashed));
    ASSERT_FALSE(IsInvalid(src));
    EXPECT_EQ(src->GetLength(), 250);
    const auto block = ReadFrames(src, 260);
    EXPECT_EQ(block[249], 250 * 16);
    EXPECT_EQ(block[250], 0);

    const std::string foreign =
        RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16)) + Chunk("data", Pcm16(Ramp(100))) +
                 Chunk("LIST", "INFOISFT" + LE32(6) + "Other\0"));
    LSoundSource other = OpenWaveSource(Put("foreign.wav", foreign));
    ASSERT_FALSE(IsInvalid(other));
    EXPECT_EQ(other->GetLength(), 100);
}

TEST_F(WaveFileTest, ReaderFollowsAGrowingFile) {
    const std::string path = dir.Path() + "grow.wav";
    const int32_t rate = 8000, block = 800;
    LSoundSink sink = CreatePCMWaveSink(path, rate, 1, 16, 0);
    LSoundSource src = OpenWaveSource(path);
    ASSERT_TRUE(src);
    EXPECT_EQ(src->GetLength(), 0);
    std::vector<int32_t> samples(block);
    int32_t written = 0, lastLength = 0, grew = 0;
    for (int i = 0; i < 60; ++i) {
        std::fill(samples.begin(), samples.end(), (i + 1) * 16);
        sink->Write(samples.data(), block);
        written += block;
        // The reader sits at its known length, so it looks at the header again.
        src->Seek(src->GetLength());
        const int32_t length = src->GetLength();
        EXPECT_LE(length, written);
        EXPECT_GE(length, written - 4 * rate - block) << "after " << written;
        if (length > lastLength)
            ++grew;
        lastLength = length;
    }
    EXPECT_GE(grew, 60 * block / (4 * rate));
    // Reading on from a known length delivers the data written since.
    src->Seek(0);
    std::vector<int32_t> all(block);
    src->Seek(lastLength - block);
    src->Read(all.data(), block);
    EXPECT_EQ(all.back(), (lastLength / block) * 16);
    sink.reset();  // finishes the header
    EXPECT_EQ(src->GetLength(), written);
}

TEST_F(WaveFileTest, TruncateCutsOnlyBackwards) {
    const std::string path = dir.Path() + "t.wav";
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    std::vector<int32_t> five{16, 32, 48, 64, 80};
    sink->Write(five.data(), 5);
    sink->Truncate(10);
    EXPECT_EQ(sink->position, 5);
    sink->Truncate(3);
    EXPECT_EQ(sink->position, 3);
    EXPECT_EQ(test::ReadFile(path), std::string("RIFF") + LE32(6 + 38) + "WAVE" + "fmt " +
                                        LE32(18) + LE16(1) + LE16(1) + LE32(8000) + LE32(16000) +
                                        LE16(2) + LE16(16) + LE16(0) + "data" + LE32(6) +
                                        Pcm16({1, 2, 3}));
    // Writing goes on after the cut.
    sink->Write(five.data(), 1);
    sink->Truncate(-7);
    EXPECT_EQ(sink->position, 0);
    sink->Write(five.data() + 4, 1);
    sink.reset();
    LSoundSource src = OpenWaveSource(path);
    EXPECT_EQ(src->GetLength(), 1);
    EXPECT_EQ(ReadFrames(src, 1)[0], 80);
}

// A file being recorded in 100 ms blocks: its samples reach the disk about a
// second at a time, and its header never counts more than the file holds.
TEST_F(WaveFileTest, AFileBeingWrittenIsFollowedASecondBehind) {
    const std::string path = dir.Path() + "growing.wav";
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    std::vector<int32_t> block(800, 160);
    for (int i = 0; i < 50; ++i) {
        sink->Write(block.data(), 800);
        const std::string file = test::ReadFile(path);
        const size_t onDisk = (file.size() - 46) / 2;
        EXPECT_GE(onDisk + 8000, static_cast<size_t>(sink->position)) << i;
        uint32_t claimed = 0;
        std::memcpy(&claimed, file.data() + 42, 4);
        EXPECT_LE(claimed / 2, onDisk) << i;
    }
    sink.reset();
    EXPECT_EQ(test::ReadFile(path).size(), 46u + 50u * 800u * 2u);
}

TEST_F(WaveFileTest, StartFrameKeepsTheBeginningOfAnExistingFile) {
    const std::string path = Put("r.wav", Mono16(Ramp(100)));
    {
        LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 40);
        EXPECT_EQ(sink->position, 40);
        std::vector<int32_t> more(10, -16);
        sink->Write(more.data(), 10);
    }
    LSoundSource src = OpenWaveSource(path);
    ASSERT_EQ(src->GetLength(), 50);
    const auto block = ReadFrames(src, 50);
    EXPECT_EQ(block[39], 40 * 16);
    EXPECT_EQ(block[40], -16);
    EXPECT_EQ(block[49], -16);
    EXPECT_EQ(test::ReadFile(path).size(), 46u + 100u);

    // A negative start frame starts an empty file.
    CreatePCMWaveSink(path, 8000, 1, 16, -5).reset();
    EXPECT_EQ(OpenWaveSource(path)->GetLength(), 0);
}

TEST_F(WaveFileTest, SinkThatCannotOpenItsFileOnlyCounts) {
    LSoundSink sink = CreatePCMWaveSink(dir.Path() + "no/such/folder.wav", 8000, 1, 16, 0);
    ASSERT_TRUE(sink);
    EXPECT_TRUE(sink->IsInvalid());
    std::vector<int32_t> block(100);
    sink->Write(block.data(), 100);
    EXPECT_EQ(sink->position, 100);
    sink->Truncate(50);
    EXPECT_EQ(sink->position, 50);
    EXPECT_TRUE(CreatePCMWaveSink(dir.Path() + "zero.wav", 8000, 0, 16, 0)->IsInvalid());
    EXPECT_TRUE(CreatePCMWaveSink(dir.Path() + "norate.wav", 0, 1, 16, 0)->IsInvalid());
}

// The disk fills up while a file is written (here: the file size limit is
// reached in the middle of a frame). The sink stops at once: the file keeps
// the whole frames that reached it, its header says exactly that, later
// writes and cuts change nothing, and the failure is reported.
TEST_F(WaveFileTest, AFailedWriteEndsTheFileWithWhatReachedItAndIsReported) {
    DiagnosticsCapture events;
    const std::string path = dir.Path() + "full.wav";
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    ASSERT_FALSE(IsInvalid(sink));
    std::vector<int32_t> block(800);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<int32_t>((i % 100) * 16);
    {
        test::ScopedFileSizeLimit full(46 + 2001);  // 1000 frames and one byte
        for (int i = 0; i < 3; ++i)
            sink->Write(block.data(), 800);
    }
    EXPECT_TRUE(sink->IsInvalid());
    EXPECT_EQ(sink->position, 1000);
    sink->Write(block.data(), 800);
    sink->Truncate(500);
    EXPECT_EQ(sink->position, 1000);
    sink.reset();

    const std::string bytes = test::ReadFile(path);
    ASSERT_EQ(bytes.size(), 46u + 2000u);
    uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, bytes.data() + 42, 4);
    EXPECT_EQ(dataBytes, 2000u);
    const LSoundSource file = OpenWaveSource(path);
    ASSERT_FALSE(IsInvalid(file));
    EXPECT_EQ(file->GetLength(), 1000);
    const std::vector<int32_t> frames = ReadFrames(file, 1000);
    EXPECT_EQ(frames[999], block[199]);
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "audio", {"full.wav"})) << events.AllText();
}

// A recording whose writer was killed mid-way (kill -9 after 7.65 s of
// audio; the header was last written at 4 s) is read to its end, and the
// repair makes its header count every whole frame. Sound files and files of
// other layouts are left alone.
TEST_F(WaveFileTest, ARecordingCutShortByACrashIsRepairedToEveryFrameItHolds) {
    const std::string path = dir.Path() + "crashed.wav";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
        std::vector<int32_t> block(850);
        for (int i = 0; i < 72; ++i) {  // 61200 frames, 7.65 s
            std::fill(block.begin(), block.end(), (i + 1) * 16);
            sink->Write(block.data(), 850);
        }
        ::raise(SIGKILL);  // no destructor: the header stays as it was
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string before = test::ReadFile(path);
    ASSERT_EQ(before.size(), 46u + 61200u * 2);
    EXPECT_LT(LoadLE32(reinterpret_cast<const uint8_t*>(before.data()) + 42), 61200u * 2);

    EXPECT_EQ(OpenWaveSource(path)->GetLength(), 61200);  // read to the end as it is
    const RecordingRepair repair = RepairRecordingHeader(path);
    EXPECT_EQ(repair.result, RecordingRepair::Result::Repaired);
    EXPECT_EQ(repair.claimedFrames, 32300);  // the header as rewritten at 4.04 s
    EXPECT_EQ(repair.heldFrames, 61200);
    const std::string after = test::ReadFile(path);
    ASSERT_EQ(after.size(), before.size());
    const auto header = MakePcmWaveHeader(1, 8000, 2, 61200 * 2);
    EXPECT_EQ(after.substr(0, 46), std::string(header.begin(), header.end()));
    EXPECT_EQ(after.substr(46), before.substr(46));
    EXPECT_EQ(RepairRecordingHeader(path).result, RecordingRepair::Result::Sound);

    // A partial frame at the end is not counted; a foreign layout is not ours.
    const auto stale = MakePcmWaveHeader(1, 8000, 2, 20);
    const std::string odd = std::string(stale.begin(), stale.end()) + Pcm16(Ramp(30)) + "x";
    const std::string oddPath = Put("odd.wav", odd);
    EXPECT_EQ(RepairRecordingHeader(oddPath).heldFrames, 30);
    EXPECT_EQ(test::ReadFile(oddPath).size(), 46u + 60u);
    const std::string foreign =
        RiffWave(Chunk("fmt ", FmtPayload(1, 1, 8000, 16)) + Chunk("data", Pcm16(Ramp(100))) +
                 Chunk("LIST", "INFOISFT" + LE32(6) + "Other\0"));
    const std::string foreignPath = Put("foreign.wav", foreign);
    EXPECT_EQ(RepairRecordingHeader(foreignPath).result, RecordingRepair::Result::Sound);
    EXPECT_EQ(test::ReadFile(foreignPath), foreign);
}

}  // namespace
}  // namespace orvia
