#include "audio/playback/sound_player.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/peak_limiter.h"
#include "audio/stub_source.h"
#include "memory_source.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_registry.h"
#include "playback_support.h"

namespace orvia {
namespace {

using test::FromSamples;
using test::kBoundMs;
using test::PlayerLog;

constexpr int kDevice = 3;
constexpr int kManual = 4;

// A mono ramp in whole 16-bit steps (x16), different in every frame.
std::vector<int32_t> Ramp(int32_t frames) {
    std::vector<int32_t> v(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i)
        v[static_cast<size_t>(i)] = ((i % 4000) - 2000) * 16;
    return v;
}

// What a 16-bit device receives for pipeline samples.
std::vector<int16_t> To16(const std::vector<int32_t>& v, size_t from = 0) {
    std::vector<int16_t> out;
    for (size_t i = from; i < v.size(); ++i)
        out.push_back(static_cast<int16_t>((v[i] + 8) >> 4));
    return out;
}

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() {
        player->SetDevice(kDevice);
        player->SetNotify(&log, PlayerLog::kUser);
    }

    bool RunUntilStopped() {
        return dispatcher.RunUntil([&] { return log.stops > 0; }, kBoundMs);
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    std::shared_ptr<FastTestDevice> device = std::make_shared<FastTestDevice>("Fast One");
    ScopedWaveDevice out{WaveDirection::Output, kDevice, device};
    std::shared_ptr<test::ManualDevice> manual = std::make_shared<test::ManualDevice>();
    ScopedWaveDevice manualOut{WaveDirection::Output, kManual, manual};
    PlayerLog log;
    std::unique_ptr<LSoundPlayer> player = std::make_unique<LSoundPlayer>();
};

TEST_F(PlayerTest, BuffersHoldATenthOfASecondBetween20And8192Frames) {
    struct Case {
        int32_t rate;
        uint32_t channels;
        int32_t frames;
    };
    const Case cases[] = {{8000, 1, 800}, {300, 1, 30}, {96000, 2, 8192}, {100, 1, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        // Two and a half buffers, so the last one is queued only in part.
        const int32_t length = c.frames * 5 / 2;
        std::vector<int32_t> samples = Ramp(length * static_cast<int32_t>(c.channels));
        device->ClearCapturedOutput();
        log = PlayerLog();
        ASSERT_TRUE(player->Play(FromSamples(samples, c.rate, c.channels)));
        EXPECT_EQ(player->FramesPerBuffer(), c.frames);
        ASSERT_TRUE(RunUntilStopped());
        EXPECT_EQ(device->CapturedOutput(), To16(samples));
        EXPECT_EQ(log.events.back(), "stop");
    }
}

TEST_F(PlayerTest, AThousandFrameSourceEndsWithItsLengthThenStop) {
    const std::vector<int32_t> samples = Ramp(1000);
    ASSERT_TRUE(player->Play(FromSamples(samples, 8000)));
    EXPECT_EQ(player->FramesPerBuffer(), 800);  // 1600-byte buffers
    ASSERT_TRUE(RunUntilStopped());

    // One full buffer and one of 200 frames: exactly the source, no padding.
    EXPECT_EQ(device->PlayedSamples(), 1000u);
    EXPECT_EQ(device->CapturedOutput(), To16(samples));
    ASSERT_GE(log.events.size(), 4u);
    EXPECT_EQ(log.events[0], "play");
    EXPECT_EQ(log.events[1], "pos:0");
    EXPECT_EQ(log.events[log.events.size() - 2], "pos:1250");
    EXPECT_EQ(log.events.back(), "stop");
    EXPECT_EQ(log.stops, 1);
    EXPECT_TRUE(log.userSeen);
    EXPECT_FALSE(player->IsOpen());
}

TEST_F(PlayerTest, StartingPausedPlaysNothingUntilContinue) {
    const std::vector<int32_t> samples = Ramp(4000);
    ASSERT_TRUE(player->Play(FromSamples(samples, 8000), true));
    EXPECT_EQ(log.events, (std::vector<std::string>{"pause", "pos:0"}));
    // (kRestart goes as soon as the feeding thread has filled the queue.)
    EXPECT_EQ(player->State() & ~LSoundPlayer::kRestart,
              LSoundPlayer::kOpen | LSoundPlayer::kPaused);

    // Pause while paused does nothing; nothing is played meanwhile.
    player->Pause();
    dispatcher.RunPending();
    EXPECT_EQ(log.events.size(), 2u);
    EXPECT_EQ(device->PlayedSamples(), 0u);

    player->Continue();
    EXPECT_EQ(log.events.back(), "play");
    ASSERT_TRUE(RunUntilStopped());
    EXPECT_EQ(device->CapturedOutput(), To16(samples));
    EXPECT_EQ(log.Count("play"), 1);
}

TEST_F(PlayerTest, ContinueWhileNeitherPausedNorHoldingOnlyNotifiesPlay) {
    ASSERT_TRUE(player->Play(FromSamples(Ramp(400000), 8000), false));
    const uint16_t state = player->State() & ~LSoundPlayer::kRestart;
    player->Continue();
    EXPECT_EQ(log.Count("play"), 2);
    EXPECT_EQ(player->State() & ~LSoundPlayer::kRestart, state);
    player->Stop();
    EXPECT_EQ(log.events.back(), "stop");
}

TEST_F(PlayerTest, SetPositionWhilePausedPlaysFromThereAfterContinue) {
    const std::vector<int32_t> samples = Ramp(3000);
    ASSERT_TRUE(player->Play(FromSamples(samples, 8000), true));
    player->SetPosition(500);
    EXPECT_EQ(log.events.back(), "pos:625");
    EXPECT_EQ(player->PlayPosition(), 500);
    dispatcher.RunPending();
    EXPECT_EQ(device->PlayedSamples(), 0u);  // still paused

    player->Continue();
    ASSERT_TRUE(RunUntilStopped());
    EXPECT_EQ(device->CapturedOutput(), To16(samples, 500));
    EXPECT_EQ(log.events[log.events.size() - 2], "pos:3750");
}

// Hold loops a quarter block at the play position; Continue lets the loop
// finish its pass and plays on from the end of that quarter block.
TEST_F(PlayerTest, HoldLoopsAPreviewAndContinuePlaysOnAfterIt) {
    const std::vector<int32_t> samples = Ramp(8000);
    ASSERT_TRUE(player->Play(FromSamples(samples, 8000), true));
    player->SetPosition(1000);
    player->Hold();
    EXPECT_EQ(log.events[log.events.size() - 2], "hold");
    EXPECT_EQ(log.events.back(), "pos:1250");
    EXPECT_EQ(player->State(), LSoundPlayer::kOpen | LSoundPlayer::kHold | LSoundPlayer::kRestart);

    // Holding again while holding does nothing.
    const size_t before = log.events.size();
    player->Hold();
    EXPECT_EQ(log.events.size(), before);

    // Let the preview loop a few times, then go on.
    ASSERT_TRUE(dispatcher.RunUntil([&] { return device->PlayedSamples() >= 3 * 800; }, kBoundMs));
    player->Continue();
    EXPECT_EQ(log.events.back(), "play");
    ASSERT_TRUE(RunUntilStopped());

    // The preview buffer: frames 1000..1199 four times over.
    std::vector<int16_t> preview;
    for (int pass = 0; pass < 4; ++pass) {
        const std::vector<int16_t> quarter =
            To16(std::vector<int32_t>(samples.begin() + 1000, samples.begin() + 1200));
        preview.insert(preview.end(), quarter.begin(), quarter.end());
    }
    const std::vector<int16_t> rest = To16(samples, 1200);
    const std::vector<int16_t> played = device->CapturedOutput();
    ASSERT_GT(played.size(), rest.size());
    const size_t looped = played.size() - rest.size();
    ASSERT_EQ(looped % preview.size(), 0u);
    EXPECT_GE(looped / preview.size(), 3u);
    for (size_t at = 0; at < looped; at += preview.size())
        ASSERT_TRUE(std::equal(preview.begin(), preview.end(), played.begin() + at)) << at;
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), played.begin() + looped));
    EXPECT_EQ(log.events[log.events.size() - 2], "pos:10000");
}

TEST_F(PlayerTest, HoldWhilePausedAndHoldingResumesTheLoop) {
    ASSERT_TRUE(player->Play(FromSamples(Ramp(8000), 8000)));
    player->Hold();
    player->Pause();
    EXPECT_EQ(log.events.back(), "pause");
    player->Hold();
    EXPECT_EQ(log.events[log.events.size() - 2], "hold");
    EXPECT_EQ(player->State() & (LSoundPlayer::kPaused | LSoundPlayer::kHold), LSoundPlayer::kHold);
    player->Continue();
    ASSERT_TRUE(RunUntilStopped());
}

// A source that may exceed the 16-bit range is played through the peak
// limiter, not clipped or wrapped.
TEST_F(PlayerTest, LoudSourcesGoThroughThePeakLimiter) {
    const std::vector<int32_t> loud = test::Sine(4000, 440.0, 8000, 4.0 * 32767.0);
    ASSERT_TRUE(player->Play(FromSamples(loud, 8000, 1, kNoInputMaxSample)));
    ASSERT_TRUE(RunUntilStopped());

    LSoundSource limited;
    LSPPeakLimit(LSoundPlayer::kLimit)
        .Apply(limited, FromSamples(loud, 8000, 1, kNoInputMaxSample));
    ASSERT_FALSE(IsInvalid(limited));
    const std::vector<int16_t> expected = To16(test::ReadAll(limited, 4000));
    EXPECT_EQ(device->CapturedOutput(), expected);
}

// Metering is checked on a device played block by block, so every block's
// record is delivered before the next one is played.
TEST_F(PlayerTest, MeteringASilentSourceReportsMinus127ThenAnEmptyRecord) {
    player->SetDevice(kManual);
    player->SetPollInterval(1);
    player->SetMetering(true);
    ASSERT_TRUE(player->Play(MakeSilence(3200, 8000, 2)));
    for (size_t block = 1; block <= 3; ++block) {
        ASSERT_EQ(manual->Play(800), 800u);
        ASSERT_TRUE(dispatcher.RunUntil([&] { return log.levels.size() >= block; }, kBoundMs));
    }
    // The last block ends playing; its record may give way to the end.
    ASSERT_EQ(manual->Play(800), 800u);
    ASSERT_TRUE(RunUntilStopped());
    ASSERT_GE(log.levels.size(), 4u);
    for (size_t i = 0; i + 1 < log.levels.size(); ++i) {
        ASSERT_EQ(log.levels[i].count, 2);
        EXPECT_EQ(log.levels[i].levels[0], -127);
        EXPECT_EQ(log.levels[i].levels[1], -127);
    }
    EXPECT_EQ(log.levels.back().count, 0);
    EXPECT_TRUE(log.userSeen);
}

TEST_F(PlayerTest, MeteringReportsTheLoudnessOfEachPlayedBlock) {
    player->SetDevice(kManual);
    player->SetPollInterval(1);
    player->SetMetering(true);
    // A full-scale square wave (mean square (524272 >> 5)^2: 15 dB), a
    // block 20 dB down, then silence.
    std::vector<int32_t> samples(2400);
    for (size_t i = 0; i < samples.size(); ++i) {
        const int32_t peak = i < 800 ? 524272 : i < 1600 ? 52427 : 0;
        samples[i] = (i / 10) % 2 ? peak : -peak;
    }
    ASSERT_TRUE(player->Play(FromSamples(samples, 8000)));
    ASSERT_EQ(manual->Play(800), 800u);
    ASSERT_TRUE(dispatcher.RunUntil([&] { return !log.levels.empty(); }, kBoundMs));
    EXPECT_EQ(log.events.back(), "pos:1000");  // the position at the end of that block
    ASSERT_EQ(manual->Play(800), 800u);
    ASSERT_TRUE(dispatcher.RunUntil([&] { return log.levels.size() >= 2; }, kBoundMs));
    EXPECT_EQ(log.events.back(), "pos:2000");
    EXPECT_EQ(log.levels[0].count, 1);
    EXPECT_EQ(log.levels[0].levels[0], 15);
    EXPECT_EQ(log.levels[1].levels[0], -5);
    ASSERT_EQ(manual->Play(800), 800u);
    ASSERT_TRUE(RunUntilStopped());
    EXPECT_EQ(log.levels.back().count, 0);
}

// A line looks at its player's device only once a second, yet the end of a
// play is noticed as soon as the queued audio has played: the next prompt
// follows without a gap. With a poll of a minute, playing ends long before
// the first poll would come.
TEST_F(PlayerTest, ALongPollIntervalDoesNotDelayTheEndOfPlaying) {
    player->SetDevice(kManual);
    player->SetPollInterval(60000);
    ASSERT_TRUE(player->Play(FromSamples(Ramp(2000), 8000)));
    ASSERT_EQ(manual->Play(2000), 2000u);
    EXPECT_TRUE(dispatcher.RunUntil([&] { return log.stops > 0; }, 5000));
    EXPECT_EQ(log.events.back(), "stop");
}

TEST_F(PlayerTest, AStalledDeviceEndsPlayingAfterTheStallPolls) {
    player->SetDevice(kManual);
    player->SetPollInterval(1);
    ASSERT_TRUE(player->Play(FromSamples(Ramp(2000), 8000)));
    ASSERT_TRUE(RunUntilStopped());
    EXPECT_EQ(log.events[log.events.size() - 2], "pos:2500");
    EXPECT_EQ(log.events.back(), "stop");
}

// A paused device returns nothing on purpose: however long the pause, it is
// not taken for a stalled one.
TEST_F(PlayerTest, APauseLongerThanTheStallPollsDoesNotEndPlaying) {
    player->SetDevice(kManual);
    player->SetPollInterval(1);
    ASSERT_TRUE(player->Play(FromSamples(Ramp(2000), 8000), true));
    // Several times the 280 polls of 1 ms.
    EXPECT_FALSE(dispatcher.RunUntil([&] { return log.stops > 0; }, 1000));
    EXPECT_TRUE(player->IsOpen());
    player->Continue();
    ASSERT_TRUE(RunUntilStopped());
}

TEST_F(PlayerTest, RefusesWhatItCannotPlay) {
    EXPECT_FALSE(player->Play(LSoundSource()));
    EXPECT_FALSE(player->Play(MakeSilence(100, 0, 1)));     // invalid rate
    EXPECT_FALSE(player->Play(MakeSilence(100, 8000, 9)));  // no 9-channel device
    player->SetDevice(12);                                  // no such device
    EXPECT_FALSE(player->Play(MakeSilence(100, 8000, 1)));
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(player->IsOpen());

    ScopedCurrentDispatcher none(nullptr);
    LSoundPlayer windowless;
    windowless.SetDevice(kDevice);
    EXPECT_FALSE(windowless.Play(MakeSilence(100, 8000, 1)));
}

TEST_F(PlayerTest, StopNotifiesOnlyWhenSomethingPlays) {
    player->SetMetering(true);
    player->Stop();
    EXPECT_TRUE(log.events.empty());

    ASSERT_TRUE(player->Play(FromSamples(Ramp(400000), 8000)));
    ASSERT_TRUE(player->Play(FromSamples(Ramp(400000), 8000)));  // stops the first
    EXPECT_EQ(log.events, (std::vector<std::string>{"play", "pos:0", "stop", "play", "pos:0"}));
    player->Stop();
    EXPECT_EQ(log.events.back(), "stop");
    EXPECT_EQ(log.levels.back().count, 0);
    dispatcher.RunPending();  // deliveries still queued find the player idle
    EXPECT_EQ(log.stops, 2);
}

// Notifications arrive on the owner's thread outside the player lock, so a
// notify object may stop the player from inside one.
TEST_F(PlayerTest, ANotifyObjectMayStopThePlayerFromANotification) {
    struct Stopper : PlayerLog {
        LSoundPlayer* player = nullptr;
        void OnPosition(int32_t ticks, uint32_t user) override {
            PlayerLog::OnPosition(ticks, user);
            if (ticks > 0)
                player->Stop();
        }
    } stopper;
    stopper.player = player.get();
    player->SetNotify(&stopper, PlayerLog::kUser);
    ASSERT_TRUE(player->Play(FromSamples(Ramp(400000), 8000)));
    ASSERT_TRUE(dispatcher.RunUntil([&] { return stopper.stops > 0; }, kBoundMs));
    dispatcher.RunPending();
    EXPECT_EQ(stopper.stops, 1);
    EXPECT_FALSE(player->IsOpen());
}

TEST_F(PlayerTest, DestroyingAPlayingPlayerStopsWithoutNotifying) {
    ASSERT_TRUE(player->Play(FromSamples(Ramp(400000), 8000)));
    player.reset();
    dispatcher.RunPending();  // deliveries left behind do nothing
    EXPECT_EQ(log.stops, 0);
}

TEST_F(PlayerTest, DeviceNamesComeFromTheRegistry) {
    EXPECT_EQ(LSoundPlayer::GetDeviceName(kDevice), "Fast One");
    EXPECT_EQ(LSoundPlayer::GetDeviceName(40), "");
}

}  // namespace
}  // namespace orvia
