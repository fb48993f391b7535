#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/alsa/alsa_endpoint.h"
#include "platform/alsa/sound_cards.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/wave_registry.h"
#include "wave_test_buffers.h"

namespace orvia {
namespace {

using test::EmptyBuffer;
using test::MakeBuffer;
using test::Ramp;

constexpr int kWaitMs = 10000;  // bound for the device threads; never reached when correct
constexpr int kNull = 5;

bool AllDone(const std::vector<std::unique_ptr<test::TestBuffer>>& buffers) {
    for (const auto& b : buffers) {
        if (!b->header.IsDone())
            return false;
    }
    return true;
}

// Plays and records on ALSA's "null" device, which every libasound has, so
// the backend's device threads run on machines without a sound card.
TEST(AlsaNullDeviceTest, PlaysAndRecordsThroughTheDeviceThreads) {
    auto null = AlsaEndpoint::ForPcmName("null", "Null Device");
    ScopedWaveDevice out(WaveDirection::Output, kNull, null);
    ScopedWaveDevice in(WaveDirection::Input, kNull, null);
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);

    int played = 0;
    int recorded = 0;
    std::unique_ptr<WaveOutDevice> output;
    const WaveResult opened =
        OpenWaveOut({kNull, {1, 8000}, false, [&](WaveBuffer*) { ++played; }}, &output);
    if (opened == WaveResult::BadDevice)
        GTEST_SKIP() << "libasound cannot open its null device here";
    ASSERT_EQ(opened, WaveResult::Ok);
    std::unique_ptr<WaveInDevice> input;
    ASSERT_EQ(OpenWaveIn({kNull, {2, 16000}, true, [&](WaveBuffer*) { ++recorded; }}, &input),
              WaveResult::Ok);

    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    buffers.push_back(MakeBuffer(Ramp(1, 400)));  // 50 ms each
    buffers.push_back(MakeBuffer(Ramp(1, 400)));
    buffers.push_back(EmptyBuffer(1600));
    buffers.push_back(EmptyBuffer(1600));
    ASSERT_EQ(output->Write(&buffers[0]->header), WaveResult::Ok);
    ASSERT_EQ(output->Write(&buffers[1]->header), WaveResult::Ok);
    ASSERT_EQ(input->AddBuffer(&buffers[2]->header), WaveResult::Ok);
    ASSERT_EQ(input->AddBuffer(&buffers[3]->header), WaveResult::Ok);
    ASSERT_EQ(input->Start(), WaveResult::Ok);

    ASSERT_TRUE(dispatcher.RunUntil([&] { return played == 2 && recorded == 2; }, kWaitMs));
    EXPECT_TRUE(AllDone(buffers));
    EXPECT_EQ(buffers[2]->header.bytesRecorded.load(), 3200u);
    EXPECT_EQ(output->GetPosition(), 800u);
    EXPECT_EQ(input->GetPosition(), 1600u);
}

TEST(AlsaNullDeviceTest, AMissingPcmIsABadDevice) {
    ScopedWaveDevice out(WaveDirection::Output, kNull,
                         AlsaEndpoint::ForPcmName("orvia_no_such_pcm", "Missing"));
    std::unique_ptr<WaveOutDevice> output;
    EXPECT_EQ(OpenWaveOut({kNull, {1, 8000}, false, nullptr}, &output), WaveResult::BadDevice);
    EXPECT_EQ(output, nullptr);
}

TEST(SoundCardsTest, InstallingNumbersTheCardsAndKeepsDefaultAndAFallback) {
    const SoundCardDevices cards = ListSoundCardDevices();
    const int installed = InstallSoundCardDevices({true, true});
    EXPECT_EQ(installed, static_cast<int>(cards.playback.size()) + 1);  // the cards, then null
    EXPECT_EQ(WaveOutProductName(installed - 1), "Null Device");
    EXPECT_EQ(WaveOutProductName(-1), "Default Sound Device");
    EXPECT_EQ(WaveInProductName(-1), "Default Sound Device");

    // With no device found and no null device, a paced stand-in keeps
    // playing and recording possible.
    if (cards.playback.empty()) {
        EXPECT_EQ(InstallSoundCardDevices({false, true}), 1);
        EXPECT_EQ(WaveOutProductName(0), "No Sound Device");
    }
    if (cards.capture.empty()) {
        EXPECT_EQ(WaveInDeviceCount(), 1);
    }
    WaveDevices().Clear();
}

}  // namespace
}  // namespace orvia
