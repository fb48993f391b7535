// The program's lines as the forwarding scheduler sees them: the first line,
// and with it the other channels of its account.
#include "app/core/telephony_line_bank.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "line/line_application.h"
#include "platform/dispatch/step_dispatcher.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

// A line device that only places calls: each MakeCall is kept, and the call
// stays in the making.
class PlacingLine : public TelephonyLine {
public:
    explicit PlacingLine(std::vector<std::string>* placed) : placed_(placed) {}
    RequestId Answer(CallHandle) override { return -1; }
    RequestId Drop(CallHandle) override { return -1; }
    RequestId MakeCall(const std::string& number) override {
        placed_->push_back(number);
        return 1;
    }
    RequestId BlindTransfer(CallHandle, const std::string&) override { return -1; }
    bool GenerateDigits(CallHandle, const std::string&) override { return false; }
    HandoffResult Handoff(CallHandle, DetectedMedia) override { return HandoffResult::Failed; }
    void Deallocate(CallHandle) override {}
    CallerInfo GetCallerInfo(CallHandle) override { return {}; }
    int WaveOutDevice(CallHandle) override { return -1; }
    int WaveInDevice(CallHandle) override { return -1; }

private:
    std::vector<std::string>* placed_;
};

class ChannelDevice : public TelephonyDevice {
public:
    ChannelDevice(std::string name, std::string group) : name_(name), group_(group) {}
    std::string Name() const override { return name_; }
    bool IsVoiceCapable() const override { return true; }
    std::unique_ptr<TelephonyLine> Open(LineEvents*) override {
        return std::make_unique<PlacingLine>(&placed);
    }
    std::string ChannelGroup() const override { return group_; }

    std::vector<std::string> placed;

private:
    std::string name_;
    std::string group_;
};

TEST(TelephonyLineBank, ForwardingCallsGoOutOnAnyFreeChannelOfTheFirstLinesAccount) {
    test::TempDir data;
    SetStore(SettingsStore::ForDataFolder(data.Path()));
    ASSERT_TRUE(Store().CreateFolders());
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);

    // Two channels of one account, then a device of its own.
    std::vector<ChannelDevice*> device;
    TelephonyDevices devices;
    for (const auto& [name, group] : {std::pair{"Office 1", "sip:office"},
                                      std::pair{"Office 2", "sip:office"}, std::pair{"Desk", ""}}) {
        auto made = std::make_unique<ChannelDevice>(name, group);
        device.push_back(made.get());
        devices.Add(std::move(made));
    }
    LLineApplication application;
    application.UseDevices(std::move(devices));
    TelephonyLineBank bank(application);
    ASSERT_EQ(bank.SetUp(nullptr), 3);

    ForwardingLine* first = bank.FirstLine();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsOpen());
    EXPECT_FALSE(first->IsBusy());
    first->MakeCall("5550100");
    // The first channel is placing its call; the second is still free.
    EXPECT_FALSE(first->IsBusy());
    first->MakeCall("5550101");
    EXPECT_TRUE(first->IsBusy());  // the other device is no channel of the account
    first->MakeCall("5550102");

    EXPECT_EQ(device[0]->placed, std::vector<std::string>{"5550100"});
    EXPECT_EQ(device[1]->placed, std::vector<std::string>{"5550101"});
    EXPECT_TRUE(device[2]->placed.empty());
    bank.Destroy();
}

}  // namespace
}  // namespace orvia
