// The scripted-caller provider's devices: what the configuration makes of them and
// how they open.
#include "platform/scripted/scripted_device.h"

#include <gtest/gtest.h>

#include "platform/telephony/telephony.h"

namespace orvia {
namespace {

class NoEvents : public LineEvents {
public:
    void OnCallState(CallHandle, CallState) override {}
    void OnRinging(int) override {}
    void OnDigitDetected(CallHandle, char) override {}
    void OnDigitsGenerated(CallHandle) override {}
    void OnMediaDetected(CallHandle, DetectedMedia) override {}
    void OnReply(RequestId, bool) override {}
};

TEST(ScriptedDeviceTest, ConfigurationSectionsBecomeDevicesWithTheirSettings) {
    RegisterScriptedProvider();
    const TelephonyDevices devices = TelephonyDevices::Build({
        {"desk", {{"type", "simulated"}, {"name", "Front Desk"}}},
        {"modem", {{"Type", "Simulated"}, {"voice", "FALSE"}}},
        {"broken", {{"type", "simulated"}, {"open", "false"}}},
    });
    ASSERT_EQ(devices.Count(), 3u);
    EXPECT_EQ(devices.Device(0)->Name(), "Front Desk");
    EXPECT_TRUE(devices.Device(0)->IsVoiceCapable());
    EXPECT_EQ(devices.Device(1)->Name(), "modem");
    EXPECT_FALSE(devices.Device(1)->IsVoiceCapable());

    NoEvents events;
    EXPECT_EQ(devices.Device(2)->Open(&events), nullptr);
    EXPECT_EQ(devices.Device(0)->Open(nullptr), nullptr);
}

TEST(ScriptedDeviceTest, OpensForOneOwnerAtATime) {
    ScriptedDevice device;
    NoEvents first, second;
    auto line = device.Open(&first);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.Open(&second), nullptr);
    line.reset();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_NE(device.Open(&second), nullptr);
}

TEST(ScriptedDeviceTest, RequestsWithoutACallFailAtOnce) {
    ScriptedDevice device;
    NoEvents events;
    auto line = device.Open(&events);
    ASSERT_NE(line, nullptr);
    EXPECT_LT(line->Answer(1), 0);
    EXPECT_LT(line->Drop(1), 0);
    EXPECT_LT(line->BlindTransfer(1, "200"), 0);
    EXPECT_FALSE(line->GenerateDigits(1, "1"));
    EXPECT_EQ(line->Handoff(1, DetectedMedia::Fax), HandoffResult::Failed);
    EXPECT_EQ(line->WaveOutDevice(1), -1);
    EXPECT_EQ(line->WaveInDevice(1), -1);
    EXPECT_TRUE(line->GetCallerInfo(1).number.empty());
    // A number the exchange cannot dial.
    EXPECT_LT(line->MakeCall("555\n1234"), 0);
}

}  // namespace
}  // namespace orvia
