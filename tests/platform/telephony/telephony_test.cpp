#include "platform/telephony/telephony.h"

#include <gtest/gtest.h>

namespace orvia {
namespace {

class NamedDevice : public TelephonyDevice {
public:
    explicit NamedDevice(std::string name) : name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    bool IsVoiceCapable() const override { return true; }
    std::unique_ptr<TelephonyLine> Open(LineEvents*) override { return nullptr; }

private:
    std::string name_;
};

TEST(TelephonyDevices, BuildsRegisteredTypesInOrderAndReportsTheRest) {
    RegisterTelephonyProvider(
        "Fake",
        [](const std::string& section, const TelephonySettings& settings, std::string* error) {
            TelephonyDeviceList made;
            if (SettingOf(settings, "broken") == "yes") {
                *error = "broken on purpose";
                return made;
            }
            // "count" devices from one section, like the channels of an account.
            const int count = std::stoi(SettingOf(settings, "count", "1"));
            for (int i = 0; i < count; ++i)
                made.push_back(std::make_unique<NamedDevice>(SettingOf(settings, "NAME", section) +
                                                             (count > 1 ? std::to_string(i) : "")));
            return made;
        },
        {"name", "broken", "count"});
    EXPECT_TRUE(HasTelephonyProvider("fake"));
    EXPECT_EQ(TelephonyProviderKeys("FAKE"), (std::vector<std::string>{"name", "broken", "count"}));
    EXPECT_TRUE(TelephonyProviderKeys("nosuch").empty());
    const TelephonyDevices devices = TelephonyDevices::Build({
        {"first", {{"type", "FAKE"}, {"name", "Front desk"}}},
        {"second", {{"type", "nosuch"}}},
        {"third", {{"Type", "fake"}, {"broken", "yes"}}},
        {"fourth", {{"type", "fake"}, {"count", "2"}}},
        {"fifth", {{"name", "no type"}}},
        {"sixth", {{"type", "fake"}}},
    });
    // A device's identifier is its position, the devices of one section in a row.
    ASSERT_EQ(devices.Count(), 4u);
    EXPECT_EQ(devices.Device(0)->Name(), "Front desk");
    EXPECT_EQ(devices.Device(1)->Name(), "fourth0");
    EXPECT_EQ(devices.Device(2)->Name(), "fourth1");
    EXPECT_EQ(devices.Device(3)->Name(), "sixth");
    EXPECT_EQ(devices.Device(4), nullptr);
    EXPECT_EQ(devices.Device(-1), nullptr);
    // Each problem names its section and says what is wrong with it.
    ASSERT_EQ(devices.Problems().size(), 3u);
    EXPECT_EQ(devices.Problems()[0],
              "[second]: unknown device type \"nosuch\" (known types: fake)");
    EXPECT_EQ(devices.Problems()[1], "[third]: broken on purpose");
    EXPECT_EQ(devices.Problems()[2], "[fifth]: no \"type\" key (known types: fake)");
}

}  // namespace
}  // namespace orvia
