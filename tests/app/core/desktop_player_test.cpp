// The desktop player: a message played through the main window's actions
// reaches the device "playdevice" names, and the play button follows it.
#include "app/core/desktop_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/core/message_actions.h"
#include "audio/pcm_file_sink.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_registry.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

constexpr int kDevice = 7;
constexpr int kBoundMs = 30000;  // against a hang, not a speed check

TEST(DesktopPlayer, PlaysAMessageOnThePlayDeviceAndReportsStartAndStop) {
    test::TempDir data;
    SetStore(SettingsStore::ForDataFolder(data.Path()));
    ASSERT_TRUE(Store().CreateFolders());
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);
    auto device = std::make_shared<FastTestDevice>();
    ScopedWaveDevice out(WaveDirection::Output, kDevice, device);
    ASSERT_TRUE(WriteProfileInt(Store().SettingsFile(), "settings", "playdevice", kDevice));

    const std::string message = Store().MailBoxes() + "Default ICM000001.ini";
    {
        LSoundSink sink =
            CreatePCMWaveSink(Store().MailBoxes() + "Default ICM000001.wav", 8000, 1, 16, 0);
        std::vector<int32_t> samples(1200, 500 * 16);
        sink->Write(samples.data(), 1200);
    }

    DesktopPlayer player;
    std::vector<bool> changes;
    player.SetPlayingChanged([&](bool playing) { changes.push_back(playing); });
    ASSERT_TRUE(PlayMessage(player, message));
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(dispatcher.RunUntil([&] { return !player.IsPlaying(); }, kBoundMs));
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    const std::vector<int16_t> played = device->CapturedOutput();
    EXPECT_EQ(played, std::vector<int16_t>(1200, 500));
}

}  // namespace
}  // namespace orvia
