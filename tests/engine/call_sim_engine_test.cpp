// The Call Test Simulator's line driving a real engine on test sound
// devices: when it connects, the caller id the engine sees, and actions the
// simulator cannot carry out on a sound card.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/ivr_main.h"
#include "line/call_sim_line.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/time/clock.h"
#include "platform/wave/call_devices.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using ::testing::HasSubstr;

class CallSimEngineTest : public ::testing::Test {
protected:
    CallSimEngineTest() {
        SetStore(SettingsStore::ForDataFolder(dir.Path()));
        for (const char* folder : {"OGMs", "System Prompts", "MailBoxes", "Logs"})
            std::filesystem::create_directories(dir.Path() + folder);
        Setting("settings", "ogm", "Main");
        // No recording: the OGM "plays" at once and the flow waits for keys.
        EXPECT_TRUE(test::WriteFile(dir.Path() + "OGMs/Main.ini",
                                    "[ivr]\nwait=60\npress1=transfer\npress1transfer=201\n"
                                    "press2=transferconfirmed\npress2transfer=202\n"));
        // Devices nobody consumes: a play or wait on them lasts until it is
        // stopped, so the flow stays where the test put it.
        line.SetPlayDevice(stalled->OutputId());
        line.SetRecordDevice(stalled->InputId());
        line.SetOwner(std::make_unique<IVRCMain>(0, nullptr));
    }

    void Setting(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(WriteProfileString(Store().SettingsFile(), section, key, value));
    }
    std::string DailyLog() { return test::ReadFile(DailyLogPath(LocalNow())); }

    test::TempDir dir;
    ScopedFixedClock clock{1705312800};  // Monday 15 January 2024, 10:00
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    std::unique_ptr<CallDevicePair> stalled = CallDevicePair::Register({1, 8000});
    LCallSimLine line;
};

TEST_F(CallSimEngineTest, ConnectsAtTheRingTheEngineAcceptsWithTheSimulatorsCallerId) {
    Setting("settings", "nrings", "3");
    ASSERT_TRUE(line.ConnectCall());
    EXPECT_THAT(DailyLog(), HasSubstr("5555555555 [Answered]"));
    line.HangUp();

    // The toll saver without new messages waits for ring 5: still at once.
    Setting("settings", "tollsaver", "true");
    Setting("state", "newmessages", "false");
    ASSERT_TRUE(line.ConnectCall());
    line.HangUp();

    // Answering switched off: nothing happens.
    Setting("state", "on", "false");
    EXPECT_FALSE(line.ConnectCall());
    EXPECT_FALSE(line.IsConnected());
}

TEST_F(CallSimEngineTest, ATransferEndsTheCallAndDialledDigitsLeaveTheFlowWaiting) {
    ASSERT_TRUE(line.ConnectCall());
    line.PressKey('2');  // confirmed transfer: the digits go nowhere
    dispatcher.RunPending();
    EXPECT_TRUE(line.IsConnected());
    line.PressKey('1');  // ignored while the engine waits for the dial
    EXPECT_TRUE(line.IsConnected());
    line.HangUp();

    Setting("transfer", "blindtapi", "true");
    ASSERT_TRUE(line.ConnectCall());
    line.PressKey('1');  // blind transfer by the telephony service: it hangs up
    dispatcher.RunPending();
    EXPECT_FALSE(line.IsConnected());
}

}  // namespace
}  // namespace orvia
