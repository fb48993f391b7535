#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <numbers>

#include "app/bgalc/bgalc.h"
#include "app/bgalc/bgalc_queue_file_p.h"
#include "audio/alc/auto_gain.h"
#include "audio/pcm_file_sink.h"
#include "audio/wave_source.h"
#include "diagnostics_capture.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr int kWaitMs = 120000;  // a deadline for a hung queue, not a speed check

// A queue that reports what its thread does.
class WatchedQueue : public BGALC {
public:
    using BGALC::BGALC;
    ~WatchedQueue() override { Stop(); }

    std::vector<std::pair<std::string, LevelOutcome>> Done() {
        std::lock_guard<std::mutex> guard(mutex_);
        return done_;
    }
    LSignalObject inUse{true, false};
    std::atomic<bool> ended{false};
    std::atomic<int> nice{-100};

protected:
    void OnFileDone(const std::string& path, LevelOutcome outcome) override {
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
        BGALC::OnFileDone(path, outcome);
        std::lock_guard<std::mutex> guard(mutex_);
        done_.emplace_back(path, outcome);
    }
    void OnFileInUse(const std::string&) override { inUse.Set(); }
    void OnThreadStart() override { ended = false; }
    void OnThreadEnd() override { ended = true; }

private:
    std::mutex mutex_;
    std::vector<std::pair<std::string, LevelOutcome>> done_;
};

// Writes a WAVE file of a 1 kHz tone (left channel; the right one 20 dB lower).
void WriteTone(const std::string& path, int32_t rate, uint32_t channels, int bits, double seconds,
               double dbfs) {
    LSoundSink sink = CreatePCMWaveSink(path, rate, channels, bits, 0);
    ASSERT_FALSE(IsInvalid(sink));
    const double amplitude = kFullScale16 * std::pow(10.0, dbfs / 20);
    const auto frames = static_cast<int32_t>(seconds * rate);
    std::vector<int32_t> block(static_cast<size_t>(frames) * channels);
    for (int32_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * 1000 * i / rate);
        for (uint32_t c = 0; c < channels; ++c)
            block[static_cast<size_t>(i) * channels + c] =
                static_cast<int32_t>(std::lround(c == 0 ? v : v / 10));
    }
    for (int32_t done = 0; done < frames; done += kMaxBlockFrames) {
        const int32_t n = std::min(kMaxBlockFrames, frames - done);
        sink->Write(block.data() + static_cast<size_t>(done) * channels, n);
    }
}

// A sink that only counts, for measuring a recording's speech level.
class NullSink : public LSoundSinkBase {
public:
    NullSink(uint32_t rate, uint32_t channelCount)
        : LSoundSinkBase(rate, kFullScale16, channelCount) {}
    void Write(const int32_t*, int32_t frames) override { position += frames; }
};

int SpeechLevelOf(const std::string& path) {
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return -999;
    LDPAutoGain measure(
        source, MakeCounted<NullSink>(static_cast<uint32_t>(source->sampleRate), source->channels));
    while (measure.GetState() == LDPAutoGain::State::Measuring && measure.Step()) {
    }
    return measure.SpeechLevels().empty() ? -999 : measure.SpeechLevels()[0];
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BGALCTest : public testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
        ogms_ = Store().OGMs();
        if (const char* old = std::getenv("TMPDIR"))
            oldTmp_ = old;
        setenv("TMPDIR", tmp_.Path().c_str(), 1);
        queue_ = std::make_unique<WatchedQueue>();
    }
    void TearDown() override {
        queue_.reset();  // stops the thread before the environment changes back
        if (oldTmp_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp_.c_str(), 1);
    }

    TempDir data_;
    TempDir tmp_;
    std::string oldTmp_;
    std::string ogms_;
    std::unique_ptr<WatchedQueue> queue_;
};

TEST_F(BGALCTest, ReplacesEachRecordingWithLevelledMono8000Hz16BitInQueueOrder) {
    const struct {
        const char* name;
        int32_t rate;
        uint32_t channels;
        int bits;
    } formats[] = {
        {"stereo44k.wav", 44100, 2, 16},
        {"mono16k8bit.wav", 16000, 1, 8},
        {"mono8k.wav", 8000, 1, 16},
        {"stereo22k32bit.wav", 22050, 2, 32},
    };
    std::vector<std::string> paths;
    for (const auto& f : formats) {
        paths.push_back(ogms_ + f.name);
        WriteTone(paths.back(), f.rate, f.channels, f.bits, 1.5, -30);
    }
    for (const std::string& path : paths)
        ASSERT_TRUE(queue_->Enqueue(path));
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));

    const auto done = queue_->Done();
    ASSERT_EQ(done.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        EXPECT_EQ(done[i].first, paths[i]);
        EXPECT_EQ(done[i].second, LevelOutcome::Replaced);
        LSoundSource result = OpenWaveSource(paths[i]);
        ASSERT_FALSE(IsInvalid(result));
        EXPECT_EQ(result->sampleRate, 8000);
        EXPECT_EQ(result->channels, 1);
        EXPECT_NEAR(result->GetLength(), 12000, 160);
        // 16-bit: 46 header bytes and 2 bytes a frame.
        EXPECT_EQ(std::filesystem::file_size(paths[i]),
                  46u + 2u * static_cast<unsigned>(result->GetLength()));
        EXPECT_NEAR(SpeechLevelOf(paths[i]), 0, 1);
    }
    EXPECT_GE(queue_->nice.load(), 10);  // the lowest thread priority
    EXPECT_TRUE(LoadBGALCQueue(queue_->QueueFile()).empty());
    // Nothing left behind: no results beside the recordings, no temporary files.
    EXPECT_EQ(FilesIn(ogms_).size(), paths.size());
    EXPECT_TRUE(FilesIn(tmp_.Path()).empty());
}

TEST_F(BGALCTest, KeepsItsQueueInTheDataFolderAndRefusesUnusablePaths) {
    EXPECT_EQ(queue_->QueueFile(), data_.Path() + "bgalc.dat");
    EXPECT_FALSE(queue_->Enqueue("OGMs/relative.wav"));
    EXPECT_FALSE(queue_->Enqueue(ogms_ + "a.wav\nfile1=/etc/passwd"));
    EXPECT_FALSE(test::FileExists(queue_->QueueFile()));
    EXPECT_TRUE(queue_->WaitUntilIdle(0));
}

TEST_F(BGALCTest, EntriesLeftByAnEarlierRunAreProcessedAtTheNextEnqueue) {
    const std::string a = ogms_ + "a.wav", b = ogms_ + "b.wav", c = ogms_ + "c.wav";
    for (const std::string& path : {a, b, c})
        WriteTone(path, 16000, 1, 16, 0.5, -20);
    ASSERT_TRUE(WriteFile(queue_->QueueFile(),
                          "[bgalc]\r\ncount=2\r\nfile0=" + a + "\r\nfile1=" + b + "\r\n"));
    ASSERT_TRUE(queue_->Enqueue(c));
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));
    const auto done = queue_->Done();
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].first, a);
    EXPECT_EQ(done[1].first, b);
    EXPECT_EQ(done[2].first, c);
    for (const std::string& path : {a, b, c})
        EXPECT_EQ(OpenWaveSource(path)->sampleRate, 8000);
}

TEST_F(BGALCTest, AFileInUseIsReplacedOnlyAfterItIsReleased) {
    const std::string path = ogms_ + "greeting.wav";
    WriteTone(path, 16000, 1, 16, 1, -20);
    const std::string original = ReadFile(path);
    LSoundSource player = OpenWaveSource(path);  // held open like a playing player
    ASSERT_FALSE(IsInvalid(player));
    ASSERT_TRUE(queue_->Enqueue(path));
    ASSERT_TRUE(queue_->inUse.Wait(kWaitMs));
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(queue_->WaitUntilIdle(0));
    player.reset();
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));
    ASSERT_EQ(queue_->Done().size(), 1u);
    EXPECT_EQ(queue_->Done()[0].second, LevelOutcome::Replaced);
    EXPECT_EQ(OpenWaveSource(path)->sampleRate, 8000);
}

TEST_F(BGALCTest, StopEndsTheWaitPromptlyAndKeepsTheRecording) {
    const std::string path = ogms_ + "greeting.wav";
    WriteTone(path, 16000, 1, 16, 1, -20);
    const std::string original = ReadFile(path);
    LSoundSource player = OpenWaveSource(path);
    ASSERT_TRUE(queue_->Enqueue(path));
    ASSERT_TRUE(queue_->inUse.Wait(kWaitMs));
    queue_->Stop();
    // The thread ended within Stop's wait instead of being left behind.
    EXPECT_TRUE(queue_->ended.load());
    ASSERT_EQ(queue_->Done().size(), 1u);
    EXPECT_EQ(queue_->Done()[0].second, LevelOutcome::Stopped);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(FilesIn(ogms_), std::vector<std::string>{"greeting.wav"});
    EXPECT_TRUE(queue_->WaitUntilIdle(0));
}

TEST_F(BGALCTest, ARecordingDeletedOrRewrittenMeanwhileIsNotOverwritten) {
    const std::string deleted = ogms_ + "deleted.wav", rewritten = ogms_ + "rewritten.wav";
    WriteTone(deleted, 16000, 1, 16, 1, -20);
    WriteTone(rewritten, 16000, 1, 16, 1, -20);
    {
        LSoundSource player = OpenWaveSource(deleted);
        ASSERT_TRUE(queue_->Enqueue(deleted));
        ASSERT_TRUE(queue_->inUse.Wait(kWaitMs));
        std::filesystem::remove(deleted);
    }
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));
    queue_->inUse.Reset();
    std::string newer;
    {
        LSoundSource player = OpenWaveSource(rewritten);
        ASSERT_TRUE(queue_->Enqueue(rewritten));
        ASSERT_TRUE(queue_->inUse.Wait(kWaitMs));
        WriteTone(rewritten, 11025, 1, 8, 2, -10);  // re-recorded meanwhile
        newer = ReadFile(rewritten);
    }
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));

    const auto done = queue_->Done();
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].second, LevelOutcome::Gone);
    EXPECT_EQ(done[1].second, LevelOutcome::Changed);
    EXPECT_FALSE(test::FileExists(deleted));
    EXPECT_EQ(ReadFile(rewritten), newer);
    EXPECT_EQ(FilesIn(ogms_), std::vector<std::string>{"rewritten.wav"});
}

TEST_F(BGALCTest, WhatCannotBeLevelledIsDroppedAndLeftAsItWas) {
    const std::string text = ogms_ + "notes.wav", missing = ogms_ + "missing.wav";
    const std::string kept = ogms_ + "kept.wav";
    ASSERT_TRUE(WriteFile(text, "not a wave file"));
    WriteTone(kept, 16000, 1, 16, 1, -20);
    const std::string original = ReadFile(kept);
    // Without a temporary folder the level control cannot run.
    setenv("TMPDIR", (tmp_.Path() + "missing/").c_str(), 1);
    DiagnosticsCapture events;
    for (const std::string& path : {text, missing, kept})
        ASSERT_TRUE(queue_->Enqueue(path));
    ASSERT_TRUE(queue_->WaitUntilIdle(kWaitMs));
    // Each is said in the program's events, the failure as an error; a
    // recording deleted before its turn (a message too short to keep) is
    // nothing to report.
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "level", {text, "not a WAVE file"}))
        << events.AllText();
    EXPECT_FALSE(events.Has(DiagnosticLevel::Warning, "level", {missing})) << events.AllText();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "level", {kept, "failed"})) << events.AllText();
    const auto done = queue_->Done();
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].second, LevelOutcome::NotAudio);
    EXPECT_EQ(done[1].second, LevelOutcome::Gone);
    EXPECT_EQ(done[2].second, LevelOutcome::Failed);
    EXPECT_EQ(ReadFile(text), "not a wave file");
    EXPECT_EQ(ReadFile(kept), original);
    EXPECT_EQ(FilesIn(ogms_), (std::vector<std::string>{"kept.wav", "notes.wav"}));
    EXPECT_TRUE(LoadBGALCQueue(queue_->QueueFile()).empty());
}

}  // namespace
}  // namespace orvia
