#include "platform/wave/wave_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"

namespace orvia {
namespace {

// An endpoint that only says whether it was asked to open directly or mapped.
class FussyEndpoint : public WaveEndpoint {
public:
    explicit FussyEndpoint(std::string name) : name_(std::move(name)) {}
    std::string ProductName() const override { return name_; }
    WaveResult OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override {
        if (!mapped && format.rate != 44100)
            return WaveResult::BadFormat;
        auto queue = std::make_shared<WaveOutQueue>(format, std::move(notifier));
        *device = std::make_unique<WaveOutDevice>(queue, std::make_unique<WaveDeviceClock>());
        return WaveResult::Ok;
    }

private:
    std::string name_;
};

TEST(WaveRegistryTest, CountsMachineDevicesUpToTheFirstGapAndNotCallDevices) {
    auto device = std::make_shared<FastTestDevice>();
    ScopedWaveDevice d0(WaveDirection::Output, 0, device);
    ScopedWaveDevice d1(WaveDirection::Output, 1, device);
    ScopedWaveDevice d3(WaveDirection::Output, 3, device);
    ScopedWaveDevice call(WaveDirection::Output, 64, device);
    ScopedWaveDevice input(WaveDirection::Input, 0, device);
    EXPECT_EQ(WaveOutDeviceCount(), 2);
    EXPECT_EQ(WaveInDeviceCount(), 1);
}

TEST(WaveRegistryTest, ScopedDeviceRestoresWhatWasThere) {
    auto first = std::make_shared<FastTestDevice>("First");
    auto second = std::make_shared<FastTestDevice>("Second");
    ScopedWaveDevice outer(WaveDirection::Input, 7, first);
    {
        ScopedWaveDevice inner(WaveDirection::Input, 7, second);
        EXPECT_EQ(WaveInProductName(7), "Second");
    }
    EXPECT_EQ(WaveInProductName(7), "First");
    EXPECT_EQ(WaveOutProductName(7), "");
}

TEST(WaveRegistryTest, ProductNamesAreCutTo31BytesOnACharacterBoundary) {
    struct Case {
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {"Short", "Short"},
        {std::string(31, 'x'), std::string(31, 'x')},
        {std::string(40, 'y'), std::string(31, 'y')},
        // "é" is two bytes; the 31st byte would split it.
        {std::string(30, 'z') + "\xC3\xA9" + "tail", std::string(30, 'z')},
    };
    for (const auto& c : cases) {
        ScopedWaveDevice device(WaveDirection::Output, 2, std::make_shared<FastTestDevice>(c.name));
        EXPECT_EQ(WaveOutProductName(2), c.expected) << c.name;
    }
}

TEST(WaveRegistryTest, OpenReportsMissingDevicesBadFormatsAndMissingDispatcher) {
    ScopedWaveDevice fussy(WaveDirection::Output, 4, std::make_shared<FussyEndpoint>("Fussy"));
    std::unique_ptr<WaveOutDevice> device;

    EXPECT_EQ(OpenWaveOut({9, {1, 8000}, false, nullptr}, &device), WaveResult::BadDevice);
    EXPECT_EQ(OpenWaveOut({-2, {1, 8000}, false, nullptr}, &device), WaveResult::BadDevice);
    EXPECT_EQ(OpenWaveOut({4, {0, 8000}, false, nullptr}, &device), WaveResult::BadFormat);
    EXPECT_EQ(OpenWaveOut({4, {1, 8000}, false, nullptr}, &device), WaveResult::BadFormat);
    EXPECT_EQ(device, nullptr);
    // The second, mapped attempt is allowed to convert.
    EXPECT_EQ(OpenWaveOut({4, {1, 8000}, true, nullptr}, &device), WaveResult::Ok);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Format(), (PcmFormat{1, 8000}));

    ScopedCurrentDispatcher none(nullptr);
    std::unique_ptr<WaveOutDevice> notified;
    EXPECT_EQ(OpenWaveOut({4, {1, 44100}, false, [](WaveBuffer*) {}}, &notified),
              WaveResult::NoDispatcher);
    EXPECT_EQ(OpenWaveIn({4, {1, 44100}, false, nullptr}, nullptr), WaveResult::InvalidParam);
}

TEST(WaveRegistryTest, CallIdentifiersAreHandedOutFromTheReservedRangeUntilItIsFull) {
    auto device = std::make_shared<FastTestDevice>();
    int last = -1;
    for (int i = 0; i < 64; ++i) {
        const int id = WaveDevices().RegisterCall(device, device);
        ASSERT_EQ(id, kFirstCallWaveDevice + i);
        last = id;
    }
    EXPECT_EQ(WaveDevices().RegisterCall(device, device), -1);
    WaveDevices().UnregisterCall(70);
    EXPECT_EQ(WaveDevices().RegisterCall(device, device), 70);
    for (int id = kFirstCallWaveDevice; id <= last; ++id)
        WaveDevices().UnregisterCall(id);
    EXPECT_EQ(WaveDevices().Find(WaveDirection::Output, 64), nullptr);
}

}  // namespace
}  // namespace orvia
