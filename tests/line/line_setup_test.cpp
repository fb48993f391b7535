// The line application over the telephony configuration, and the line
// set-up from the "line%d" sections of settings.ini.
#include "line/line_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "line/line_application.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_device.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"
#include "test_cell.h"

namespace orvia {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class LineSetupTest : public ::testing::Test {
protected:
    LineSetupTest() {
        SetStore(SettingsStore::ForDataFolder(dir.Path()));
        // The program registers its providers at start-up; here the test does.
        RegisterScriptedProvider();
    }

    void Telephony(const std::string& text) {
        ASSERT_TRUE(test::WriteFile(dir.Path() + "telephony.ini", text));
    }
    void Setting(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(WriteProfileString(Store().SettingsFile(), section, key, value));
    }
    std::string Read(const std::string& section, const std::string& key) {
        return ReadProfileString(Store().SettingsFile(), section, key, "<none>");
    }
    LineSetupResult SetUpNow() {
        return SetUpLines(
            application,
            [this](int index) {
                indexes.push_back(index);
                return std::make_unique<test::TestCell>("line" + std::to_string(index), &journal,
                                                        nullptr);
            },
            &lines);
    }
    ScriptedDevice* Device(int id) { return dynamic_cast<ScriptedDevice*>(application.Device(id)); }

    test::TempDir dir;
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    LLineApplication application;
    std::vector<std::string> journal;
    std::vector<int> indexes;
    std::vector<std::unique_ptr<LLine>> lines;
};

TEST_F(LineSetupTest, TheApplicationListsTheConfiguredDevicesInOrder) {
    Telephony(
        "[desk]\ntype=simulated\nname=Front Desk\n"
        "[nothing]\ntype=carrier-pigeon\n"
        "[modem]\ntype=Simulated\nvoice=false\n");
    EXPECT_EQ(application.DeviceCount(), 0u);  // not initialised yet
    EXPECT_EQ(application.GetDeviceName(0), "Front Desk");
    EXPECT_TRUE(application.IsInitialised());
    EXPECT_EQ(application.DeviceCount(), 2u);
    EXPECT_TRUE(application.IsVoiceCapable(0));
    EXPECT_EQ(application.GetDeviceName(1), "modem");
    EXPECT_FALSE(application.IsVoiceCapable(1));
    EXPECT_EQ(application.GetDeviceName(2), "");
    EXPECT_FALSE(application.IsVoiceCapable(-1));
    ASSERT_EQ(application.Problems().size(), 1u);
    EXPECT_THAT(application.Problems()[0], HasSubstr("[nothing]"));

    // The list stays until the application shuts down.
    Telephony("");
    EXPECT_EQ(application.DeviceCount(), 2u);
    application.Shutdown();
    EXPECT_EQ(application.DeviceCount(), 0u);
    EXPECT_TRUE(application.Initialise());
    EXPECT_EQ(application.DeviceCount(), 0u);
}

TEST_F(LineSetupTest, FirstStartConfiguresEveryVoiceDevice) {
    Telephony(
        "[a]\ntype=simulated\n"
        "[data]\ntype=simulated\nvoice=false\n"
        "[b]\ntype=simulated\n");
    Setting("state", "restart", "true");
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_EQ(Read("state", "restart"), "false");
    EXPECT_EQ(Read("line0", "use"), "true");
    EXPECT_EQ(Read("line0", "device"), "0");
    EXPECT_EQ(Read("line0", "name"), "Line 1");
    EXPECT_EQ(Read("line0", "ogmoverride"), "false");
    EXPECT_EQ(Read("line1", "device"), "2");
    EXPECT_EQ(Read("line1", "name"), "Line 2");
    EXPECT_EQ(Read("line2", "use"), "<none>");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(indexes, ElementsAre(0, 1));
    EXPECT_TRUE(Device(0)->IsOpen());
    EXPECT_FALSE(Device(1)->IsOpen());
    EXPECT_TRUE(Device(2)->IsOpen());
}

// The disk fills while the first start writes the line sections: a section
// is there whole or not at all, so no line opens the device that merely has
// its index (here the data device) for want of its "device" key.
TEST_F(LineSetupTest, ALineSectionThatCannotBeWrittenWholeIsLeftOut) {
    Telephony(
        "[a]\ntype=simulated\n"
        "[data]\ntype=simulated\nvoice=false\n"
        "[b]\ntype=simulated\n");
    Setting("state", "restart", "true");
    {
        // Room for [line0] whole (78 bytes with [state]) and the first keys of [line1].
        test::ScopedFileSizeLimit full(100);
        ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    }
    EXPECT_EQ(Read("line0", "device"), "0");
    EXPECT_EQ(Read("line1", "use"), "<none>");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Device(0)->IsOpen());
    EXPECT_FALSE(Device(1)->IsOpen());
}

TEST_F(LineSetupTest, ConfiguredSectionsKeepTheirIndexesAndDevices) {
    Telephony(
        "[a]\ntype=simulated\n[b]\ntype=simulated\n[c]\ntype=simulated\n"
        "[d]\ntype=simulated\n[e]\ntype=simulated\n[f]\ntype=simulated\n");
    Setting("line0", "use", "true");
    Setting("line0", "device", "2");
    Setting("line3", "use", "false");
    Setting("line5", "use", "TRUE");  // no "device": the index
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_THAT(indexes, ElementsAre(0, 5));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Device(2)->IsOpen());
    EXPECT_TRUE(Device(5)->IsOpen());
    EXPECT_FALSE(Device(0)->IsOpen());
    EXPECT_EQ(lines[0]->Owner()->Line(), lines[0].get());

    // Setting up again replaces the lines: the old ones close first.
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Device(2)->IsOpen());
    EXPECT_THAT(journal, ElementsAre("0 line0:deleted", "0 line5:deleted"));
}

TEST_F(LineSetupTest, ASetUpReadsTheDevicesTheSettingsChangedMeanwhile) {
    Telephony("[a]\ntype=simulated\n");
    Setting("line0", "use", "true");
    Setting("line0", "device", "1");
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_FALSE(lines[0]->IsOpen());  // no device 1 yet

    Telephony("[a]\ntype=simulated\n[b]\ntype=simulated\nname=Added\n");
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_TRUE(lines[0]->IsOpen());
    EXPECT_EQ(application.GetDeviceName(1), "Added");

    // A list handed over by UseDevices is kept.
    TelephonyDevices given;
    ScriptedDeviceOptions options;
    options.name = "given";
    given.Add(std::make_unique<ScriptedDevice>(options));
    application.UseDevices(std::move(given));
    Setting("line0", "device", "0");
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_EQ(application.GetDeviceName(0), "given");
}

TEST_F(LineSetupTest, OnlyTheFirstSixtyFourSectionsCount) {
    Telephony("[a]\ntype=simulated\n");
    std::string text;
    for (int index = 0; index < 70; ++index)
        text += "[line" + std::to_string(index) + "]\nuse=true\ndevice=0\n";
    ASSERT_TRUE(test::WriteFile(Store().SettingsFile(), text));
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    EXPECT_EQ(lines.size(), 64u);
    EXPECT_EQ(indexes.back(), 63);
}

TEST_F(LineSetupTest, ALineThatDoesNotOpenStaysClosedAndTheOthersWork) {
    Telephony("[a]\ntype=simulated\n[b]\ntype=simulated\nopen=false\n");
    Setting("line0", "use", "true");
    Setting("line0", "device", "7");  // no such device
    Setting("line1", "use", "true");
    Setting("line1", "device", "1");  // does not open
    Setting("line2", "use", "true");
    Setting("line2", "device", "0");
    Setting("settings", "detectendofcall", "false");
    ASSERT_EQ(SetUpNow(), LineSetupResult::Lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[0]->IsOpen());
    EXPECT_FALSE(lines[1]->IsOpen());
    EXPECT_TRUE(lines[2]->IsOpen());
}

TEST_F(LineSetupTest, NoConfiguredLineAndNoVoiceDeviceIsReported) {
    Telephony("[modem]\ntype=simulated\nvoice=false\n");
    EXPECT_EQ(SetUpNow(), LineSetupResult::NoDevices);
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_EQ(Read("line0", "use"), "<none>");
    EXPECT_EQ(std::string(kNoDevicesTitle), "No TAPI Devices");

    // A missing configuration file is the same.
    application.Shutdown();
    ASSERT_TRUE(test::WriteFile(dir.Path() + "telephony.ini", ""));
    EXPECT_EQ(SetUpNow(), LineSetupResult::NoDevices);
}

}  // namespace
}  // namespace orvia
