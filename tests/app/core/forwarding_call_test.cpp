// A kept message forwarded by telephone, end to end: the main window's timer
// runs the forwarding scheduler, which places the call on the first line (a
// simulated device); the engine asks the main window which mailbox to play,
// and the scripted owner presses 1 and hears the message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/core/main_dialog.h"
#include "app/core/telephony_line_bank.h"
#include "audio/pcm_file_sink.h"
#include "line/line_application.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_device.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::TempDir;

// A WAVE file of seconds of a steady level, 8000 Hz mono 16-bit.
void WriteLevel(const std::string& path, double seconds, int32_t level) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    ASSERT_FALSE(IsInvalid(sink)) << path;
    const auto frames = static_cast<int32_t>(seconds * 8000);
    std::vector<int32_t> samples(static_cast<std::size_t>(frames), level);
    sink->Write(samples.data(), frames);
}

class Owner : public ScriptedCallObserver {
public:
    void OnCallPlaced(const std::string& number) override { events.push_back("placed " + number); }
    void OnConnected() override { events.push_back("connected"); }
    void OnKey(char key) override { events.push_back(std::string("key ") + key); }
    void OnLineAudio(const int16_t* frames, size_t count) override {
        for (size_t i = 0; i < count; ++i)
            heard.push_back(frames[i]);
    }
    void OnHangUp(bool bySystem) override {
        events.push_back(bySystem ? "hangup system" : "hangup");
    }

    std::vector<std::string> events;
    std::vector<int16_t> heard;
};

class RecordingView : public MainWindowView {
public:
    void MarkMessageRead(const std::string& path) override { read.push_back(path); }
    void LinesSetUp(int count) override { lines = count; }
    std::vector<std::string> read;
    int lines = -1;
};

class NoPlayback : public DesktopPlayback {
public:
    bool Play(const LSoundSource&, int, int) override { return false; }
    void Stop() override {}
    bool IsPlaying() const override { return false; }
    void SetPlayingChanged(std::function<void(bool)>) override {}
};

TEST(ForwardingCall, TheSchedulersCallPlaysTheMailboxToTheOwner) {
    TempDir data;
    SetStore(SettingsStore::ForDataFolder(data.Path()));
    ASSERT_TRUE(Store().CreateFolders());
    ScopedFixedClock clock(1700000000);

    // The prompt of a forwarding call at one level, the message at another,
    // so the owner's ear tells them apart.
    WriteLevel(Store().SystemPrompts() + "ForwardMessage.wav", 1.0, 1000 * 16);
    const std::string mailbox = Store().MailBoxes() + "Owner.mbx";
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"forwardtel", "true"},
                                     {"unforwardedmessages", "true"},
                                     {"forwardnumber", "5550100"}})
        ASSERT_TRUE(WriteProfileString(mailbox, "mbx", key, value));
    const std::string message = Store().MailBoxes() + "Owner ICM000000.ini";
    WriteLevel(Store().MailBoxes() + "Owner ICM000000.wav", 2.0, 3000 * 16);
    ASSERT_TRUE(WriteProfileString(message, "message", "read", "false"));
    ASSERT_TRUE(WriteProfileBool(Store().SettingsFile(), "state", "unforwardedmessages", true));

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current(&dispatcher);
    auto owned = std::make_unique<ScriptedDevice>();
    ScriptedDevice& device = *owned;
    TelephonyDevices devices;
    devices.Add(std::move(owned));
    LLineApplication application;
    application.UseDevices(std::move(devices));

    // The owner answers at the first ring and presses 1 during the prompt.
    CallScript owner;
    owner.rings = 1;
    owner.actions.push_back({1500, CallerActionKind::Press, "1", nullptr, ""});
    owner.actions.push_back({30000, CallerActionKind::HangUp, "", nullptr, ""});
    device.SetCalledParty(owner);

    RecordingView view;
    NoPlayback playback;
    TelephonyLineBank lines(application);
    MainDialog app({dispatcher, view, lines, playback}, true);
    app.Create();
    dispatcher.AdvanceTime(kLineSetUpFirstMs);
    ASSERT_EQ(view.lines, 1);
    ASSERT_TRUE(device.IsOpen());

    dispatcher.AdvanceTime(kForwardingFirstMs - kLineSetUpFirstMs);
    Owner ear;
    const std::optional<ScriptedCallResult> call = device.RunOutgoingCall(dispatcher, &ear);
    ASSERT_TRUE(call.has_value()) << "no call was placed";
    EXPECT_TRUE(call->connected);
    EXPECT_EQ(ear.events,
              (std::vector<std::string>{"placed 5550100", "connected", "key 1", "hangup system"}));

    // The prompt came first, then the message of the mailbox the main window named.
    // (The line's conversions may move a level by a step or two.)
    auto near = [](int target) {
        return [target](int16_t v) { return std::abs(v - target) <= 50; };
    };
    const auto prompt = std::find_if(ear.heard.begin(), ear.heard.end(), near(1000));
    const auto voice = std::find_if(ear.heard.begin(), ear.heard.end(), near(3000));
    ASSERT_NE(prompt, ear.heard.end());
    ASSERT_NE(voice, ear.heard.end());
    EXPECT_LT(prompt, voice);
    // The whole message (2 s), not a piece of it.
    EXPECT_GE(std::count_if(ear.heard.begin(), ear.heard.end(), near(3000)), 15500);
    EXPECT_EQ(app.ForwardMailbox(), mailbox);
    EXPECT_EQ(ReadProfileString(message, "message", "read", ""), "true");
    EXPECT_EQ(view.read, std::vector<std::string>{message});
    EXPECT_EQ(ReadProfileString(mailbox, "mbx", "unforwardedmessages", ""), "false");
    EXPECT_EQ(ReadProfileInt(mailbox, "mbx", "forwardattempts", -1), 1);

    app.RequestExit();
    EXPECT_FALSE(device.IsOpen());
}

}  // namespace
}  // namespace orvia
