#include "audio/playback/sound_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_input_source.h"
#include "platform/wave/wave_registry.h"
#include "playback_support.h"

namespace orvia {
namespace {

using test::kBoundMs;
using test::MemorySink;
using test::RecorderLog;

constexpr int kDevice = 6;
constexpr int kFastDevice = 7;
constexpr int32_t kRate = 8000;            // 800-frame blocks
constexpr int32_t kLongTimeout = 1000000;  // 100 s: no pause is cut

// Mono 16-bit input built segment by segment.
class Input {
public:
    Input& Silence(int32_t frames) { return Tone(frames, 0); }
    // A square wave whose peak is exactly peak16.
    Input& Tone(int32_t frames, int16_t peak16) {
        for (int32_t i = 0; i < frames; ++i)
            samples.push_back((i / 4) % 2 ? peak16 : static_cast<int16_t>(-peak16));
        return *this;
    }
    // Frames [from, to) at the pipeline's scale.
    std::vector<int32_t> Scaled(int32_t from, int32_t to) const {
        std::vector<int32_t> v;
        for (int32_t i = from; i < to; ++i)
            v.push_back(samples[static_cast<size_t>(i)] * 16);
        return v;
    }

    std::vector<int16_t> samples;
};

// The recorder on a device that captures exactly the input a test feeds it,
// so each test knows which blocks the recorder has handled.
class RecorderTest : public ::testing::Test {
protected:
    RecorderTest() {
        recorder->SetDevice(kDevice);
        recorder->SetNotify(&log, 5);
    }

    // Captures the input, letting the recorder handle each buffer as it comes
    // back; stops early when the device no longer captures (stopped, closed).
    void Feed(const Input& input) {
        size_t at = 0;
        while (at < input.samples.size()) {
            const size_t stored =
                device->Capture(input.samples.data() + at, input.samples.size() - at);
            dispatcher.RunPending();
            if (stored == 0)
                return;
            at += stored;
        }
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    std::shared_ptr<test::ManualInput> device = std::make_shared<test::ManualInput>();
    ScopedWaveDevice in{WaveDirection::Input, kDevice, device};
    LCountedHandle<MemorySink> sink = MakeCounted<MemorySink>(kRate, 1);
    RecorderLog log;
    std::unique_ptr<LSoundRecorder> recorder = std::make_unique<LSoundRecorder>();
};

// With -30 dB the start threshold is -28 dB (a block must be above it) and
// the stop threshold -33 dB. Peaks in 16-bit steps: 326 is -28 dB, 366 is
// -27 dB; digital silence is -127 dB and never above any threshold.
TEST_F(RecorderTest, WritingStartsOnlyAboveThresholdPlusTwo) {
    struct Case {
        int threshold;
        int16_t peak16;
        bool starts;
    };
    const Case cases[] = {{-30, 326, false}, {-30, 366, true}, {-127, 0, false}, {-127, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peak16);
        log = RecorderLog();
        sink = MakeCounted<MemorySink>(kRate, 1);
        ASSERT_TRUE(recorder->Record(sink, 0, c.threshold, kLongTimeout));
        Feed(Input().Tone(8000, c.peak16));
        EXPECT_EQ(log.Processed(), 10);
        EXPECT_EQ(recorder->IsWriting(), c.starts);
        EXPECT_EQ(recorder->IsWaiting(), !c.starts);
        EXPECT_EQ(log.Count("sound"), c.starts ? 1 : 0);
        // Written from the first block, with half a block of silence before.
        EXPECT_EQ(sink->position, c.starts ? 400 + 8000 : 0);
        recorder->Stop();
    }
}

// While writing, a block at -33 dB (peak 183) is silence and a block at
// -32 dB (peak 206) is sound: silence after the tone is trimmed on Stop, a
// quiet sound is kept.
TEST_F(RecorderTest, WhileWritingBlocksAtOrBelowThresholdMinusThreeAreSilence) {
    struct Case {
        int16_t quietPeak;
        int32_t expectedFrames;
    };
    // The tone's first block starts the file with half a block before it;
    // Stop keeps 50 ms (400 frames) after the last block of sound.
    const Case cases[] = {{183, 400 + 8000 + 400}, {206, 400 + 8000 + 12000 + 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quietPeak);
        sink = MakeCounted<MemorySink>(kRate, 1);
        ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
        Feed(Input().Silence(4000).Tone(8000, 8000).Tone(12000, c.quietPeak).Silence(8000));
        recorder->Stop();
        EXPECT_EQ(sink->position, c.expectedFrames);
        EXPECT_EQ(static_cast<int32_t>(sink->samples.size()), c.expectedFrames);
    }
}

// Speech, a pause longer than the silence timeout, speech again: one file
// with the first part, 0.7 s of the pause, then the second part from half a
// block before the block where it begins.
TEST_F(RecorderTest, APauseLongerThanTheTimeoutIsCutTo700Ms) {
    const Input input = Input()
                            .Silence(4000)               // blocks 0-4
                            .Tone(8000, 8000)            // A: blocks 5-14
                            .Silence(24200)              // the pause
                            .Tone(8000, 8000)            // B: from 36200, block 45 onwards
                            .Silence(20000);             // long enough to be cut too
    ASSERT_TRUE(recorder->Record(sink, 0, -30, 20000));  // 2 s silence timeout
    Feed(input);
    EXPECT_EQ(log.Count("sound"), 2);
    EXPECT_EQ(log.cuts, 2);  // after A, and after B
    recorder->Stop();

    // A from half a block before block 5 (3600), with 0.7 s of the pause
    // after A's last block (which ends at 12000): 3600..17600. B from half a
    // block before block 45 (35600) to 50 ms after block 55: 35600..45200.
    std::vector<int32_t> expected = input.Scaled(3600, 17600);
    const std::vector<int32_t> second = input.Scaled(35600, 45200);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(sink->samples, expected);
    EXPECT_EQ(sink->position, 23600);
}

TEST_F(RecorderTest, StoppingLongAfterTheLastSoundKeeps50MsOfSilence) {
    const Input input = Input().Silence(4000).Tone(8000, 8000).Silence(24000);
    ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
    Feed(input);
    EXPECT_TRUE(recorder->IsWriting());
    EXPECT_EQ(sink->position, 400 + 8000 + 24000);
    recorder->Stop();

    EXPECT_EQ(sink->samples, input.Scaled(3600, 12400));
    EXPECT_TRUE(recorder->IsStopped());
    EXPECT_EQ(log.events.back(), "stop");
    EXPECT_EQ(log.emptyLevels, 2);  // at the start and at the stop
}

TEST_F(RecorderTest, TheMaximumDurationStopsTheRecordingAndZeroMeansNone) {
    ASSERT_TRUE(recorder->Record(sink, 10000, -30, kLongTimeout));  // 1 s
    Feed(Input().Tone(40000, 8000));
    // The first block comes with half a block before it (1200 frames); the
    // block that takes the file beyond 1 s ends it.
    EXPECT_EQ(log.Count("stop"), 1);
    EXPECT_EQ(log.Processed(), 10);
    EXPECT_EQ(sink->position, 8400);
    EXPECT_TRUE(recorder->IsStopped());

    log = RecorderLog();
    sink = MakeCounted<MemorySink>(kRate, 1);
    ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
    Feed(Input().Tone(40000, 8000));
    EXPECT_TRUE(recorder->IsWriting());
    EXPECT_EQ(log.Count("stop"), 0);
    EXPECT_EQ(sink->position, 400 + 40000);
}

TEST_F(RecorderTest, RecordStoppedWaitsForTheOwnerToStartTheDevice) {
    EXPECT_FALSE(recorder->StartDevice());  // idle
    ASSERT_TRUE(recorder->RecordStopped(sink, 0, -30, kLongTimeout));
    const std::vector<std::string> started{"waiting", "pos:0"};
    EXPECT_EQ(log.events, started);
    EXPECT_EQ(log.emptyLevels, 1);

    // The device is stopped: what it hears is lost, nothing comes back.
    Feed(Input().Tone(8000, 8000));
    EXPECT_EQ(log.events, started);
    EXPECT_EQ(log.Processed(), 0);
    EXPECT_EQ(sink->position, 0);

    ASSERT_TRUE(recorder->StartDevice());
    Feed(Input().Tone(800, 8000));
    EXPECT_TRUE(recorder->IsWriting());
    EXPECT_EQ(sink->position, 400 + 800);
}

TEST_F(RecorderTest, DiscardEmptiesTheSinkAndWaitsForSoundAgain) {
    ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
    // A block just below the start threshold, then sound.
    Feed(Input().Tone(800, 300).Tone(1600, 8000));
    ASSERT_TRUE(recorder->IsWriting());
    ASSERT_EQ(sink->position, 400 + 1600);
    const int emptyBefore = log.emptyLevels;
    recorder->Discard();
    EXPECT_EQ(sink->position, 0);
    EXPECT_TRUE(sink->samples.empty());
    EXPECT_TRUE(recorder->IsWaiting());
    EXPECT_EQ(log.events[log.events.size() - 2], "waiting");
    EXPECT_EQ(log.events.back(), "pos:0");
    EXPECT_EQ(log.emptyLevels, emptyBefore + 1);

    // Waiting already: the sink is emptied, nothing is notified.
    const size_t events = log.events.size();
    recorder->Discard();
    EXPECT_EQ(log.events.size(), events);
    EXPECT_TRUE(recorder->IsWaiting());

    // A new take: what came before the discard is gone from the pre-roll too.
    const Input take = Input().Tone(800, 8000);
    Feed(take);
    EXPECT_TRUE(recorder->IsWriting());
    std::vector<int32_t> expected(400, 0);
    const std::vector<int32_t> block = take.Scaled(0, 800);
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(sink->samples, expected);

    recorder->Stop();
    recorder->Discard();  // idle: nothing happens
    EXPECT_EQ(log.events.back(), "stop");
}

TEST_F(RecorderTest, RefusesWhatItCannotRecordInto) {
    EXPECT_FALSE(recorder->Record(LSoundSink(), 0, -30, kLongTimeout));
    EXPECT_FALSE(recorder->Record(MakeCounted<MemorySink>(kRate, 0), 0, -30, kLongTimeout));
    EXPECT_FALSE(recorder->Record(MakeCounted<MemorySink>(kRate, 9), 0, -30, kLongTimeout));
    recorder->SetDevice(30);  // no such device
    EXPECT_FALSE(recorder->Record(sink, 0, -30, kLongTimeout));
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(recorder->IsStopped());

    ScopedCurrentDispatcher none(nullptr);
    LSoundRecorder windowless;
    windowless.SetDevice(kDevice);
    EXPECT_FALSE(windowless.Record(sink, 0, -30, kLongTimeout));
}

TEST_F(RecorderTest, DestroyingARecorderCompletesTheRecordingWithoutNotifying) {
    ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
    Feed(Input().Tone(4000, 8000).Silence(8000));
    const size_t events = log.events.size();
    recorder.reset();
    dispatcher.RunPending();
    EXPECT_EQ(log.events.size(), events);
    // Half a block before, the tone, 50 ms after; the sink is released.
    EXPECT_EQ(sink->position, 400 + 4000 + 400);
    EXPECT_EQ(sink->RefCount(), 1u);
}

// The owner may stop the recorder from inside a notification; the rest of
// that block is then left alone. The block that started writing counts as
// sound, so the stop keeps it.
TEST_F(RecorderTest, TheOwnerMayStopFromInsideANotification) {
    struct StopOnSound : RecorderLog {
        LSoundRecorder* recorder = nullptr;
        void OnSound(uint32_t user) override {
            RecorderLog::OnSound(user);
            recorder->Stop();
        }
    } owner;
    owner.recorder = recorder.get();
    recorder->SetNotify(&owner, 0);
    ASSERT_TRUE(recorder->Record(sink, 0, -30, kLongTimeout));
    Feed(Input().Silence(1600).Tone(4000, 8000));
    EXPECT_EQ(owner.events.back(), "stop");
    EXPECT_EQ(owner.Count("stop"), 1);
    EXPECT_EQ(sink->position, 400 + 800);
}

// The same recording on a device with its own clock, which delivers input
// as fast as the recorder hands buffers back.
TEST_F(RecorderTest, RecordsFromADeviceWithItsOwnClock) {
    auto fast = std::make_shared<FastTestDevice>("Fast In");
    ScopedWaveDevice fastIn(WaveDirection::Input, kFastDevice, fast);
    const Input input = Input().Silence(4000).Tone(40000, 8000);
    fast->SetInput(SamplesInput(input.samples));
    recorder->SetDevice(kFastDevice);
    ASSERT_TRUE(recorder->Record(sink, 10000, -30, kLongTimeout));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return recorder->IsStopped(); }, kBoundMs));
    EXPECT_EQ(sink->samples, input.Scaled(3600, 12000));
    EXPECT_EQ(log.Count("sound"), 1);
    EXPECT_EQ(LSoundRecorder::GetDeviceName(kFastDevice), "Fast In");
    EXPECT_EQ(LSoundRecorder::GetDeviceName(50), "");
}

}  // namespace
}  // namespace orvia
