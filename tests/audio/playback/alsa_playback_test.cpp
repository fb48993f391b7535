// The player and the recorder on ALSA's "null" device, which every libasound
// has: the ALSA backend's device threads run under the real player and
// recorder even on machines without a sound card.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/pcm_file_sink.h"
#include "audio/playback/sound_player.h"
#include "audio/playback/sound_recorder.h"
#include "audio/wave_source.h"
#include "memory_source.h"
#include "platform/alsa/alsa_endpoint.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/wave_registry.h"
#include "playback_support.h"
#include "temp_dir.h"

namespace orvia {
namespace {

constexpr int kNull = 9;

class AlsaPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::unique_ptr<WaveOutDevice> probe;
        if (OpenWaveOut({kNull, {1, 8000}, false, nullptr}, &probe) != WaveResult::Ok)
            GTEST_SKIP() << "libasound cannot open its null device here";
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    std::shared_ptr<AlsaEndpoint> null = AlsaEndpoint::ForPcmName("null", "Null Device");
    ScopedWaveDevice out{WaveDirection::Output, kNull, null};
    ScopedWaveDevice in{WaveDirection::Input, kNull, null};
};

TEST_F(AlsaPlaybackTest, PlaysASourceToTheEnd) {
    test::PlayerLog log;
    LSoundPlayer player;
    player.SetDevice(kNull);
    player.SetNotify(&log, test::PlayerLog::kUser);
    player.SetMetering(true);
    // 0.3 s, played at the pace of real time.
    ASSERT_TRUE(player.Play(test::FromSamples(test::Sine(2400, 440.0, 8000, 8000.0), 8000)));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return log.stops > 0; }, test::kBoundMs));
    ASSERT_GE(log.events.size(), 2u);
    EXPECT_EQ(log.events[log.events.size() - 2], "pos:3000");
    EXPECT_EQ(log.events.back(), "stop");
    ASSERT_GE(log.levels.size(), 2u);
    EXPECT_GT(log.levels.front().levels[0], -127);
}

TEST_F(AlsaPlaybackTest, RecordsIntoAWaveFileThatIsCompleteAfterStop) {
    test::TempDir dir;
    const std::string path = dir.Path() + "take.wav";
    test::RecorderLog log;
    LSoundRecorder recorder;
    recorder.SetDevice(kNull);
    recorder.SetNotify(&log, 0);
    // The null device captures digital silence: the recorder keeps waiting.
    ASSERT_TRUE(recorder.Record(CreatePCMWaveSink(path, 16000, 2, 16, 0), 0, -127, 70000));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return log.Processed() >= 3; }, test::kBoundMs));
    EXPECT_TRUE(recorder.IsWaiting());
    recorder.Stop();
    EXPECT_EQ(log.events.back(), "stop");

    const LSoundSource take = OpenWaveSource(path);
    ASSERT_FALSE(IsInvalid(take));
    EXPECT_EQ(take->sampleRate, 16000);
    EXPECT_EQ(take->channels, 2);
    EXPECT_EQ(take->GetLength(), 0);
}

}  // namespace
}  // namespace orvia
