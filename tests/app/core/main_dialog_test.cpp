// The application core with the step-by-step dispatcher: its timers, its
// messages, the close question and the order of destruction.
#include "app/core/main_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "audio/pcm_file_sink.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr int64_t kNow = 1700000000;

// Everything the parts are asked to do, in order, as short texts.
using Journal = std::vector<std::string>;

bool Has(const Journal& journal, const std::string& entry) {
    return std::find(journal.begin(), journal.end(), entry) != journal.end();
}
std::ptrdiff_t IndexOf(const Journal& journal, const std::string& entry) {
    return std::find(journal.begin(), journal.end(), entry) - journal.begin();
}

class RecordingView : public MainWindowView {
public:
    explicit RecordingView(Journal& journal) : journal_(journal) {}
    void Create() override { journal_.push_back("view create"); }
    void ShowSplash() override { journal_.push_back("splash"); }
    void FillLists() override { journal_.push_back("fill lists"); }
    void StartWidgetTimers() override { journal_.push_back("widget timers"); }
    void Destroy() override { journal_.push_back("view destroy"); }
    void ShowAndBringToFront() override { journal_.push_back("show"); }
    void Hide() override { journal_.push_back("hide"); }
    void ResetTrayIcon() override { journal_.push_back("tray icon"); }
    CloseAnswer AskContinueInBackground() override {
        journal_.push_back("ask");
        return answer;
    }
    void AddMessage(const std::string& path) override { journal_.push_back("add " + path); }
    void MarkMessageRead(const std::string& path) override { journal_.push_back("read " + path); }
    void RemoveMessage(const std::string& path) override { journal_.push_back("remove " + path); }
    void ShowCallerIdFlash(const std::string& text) override {
        journal_.push_back("flash " + text);
    }
    void LinesSetUp(int count) override { journal_.push_back("lines " + std::to_string(count)); }
    void OtherStartNoticed(bool logon) override {
        journal_.push_back(logon ? "other start logon" : "other start");
    }

    CloseAnswer answer = CloseAnswer::No;

private:
    Journal& journal_;
};

class FakeLine : public ForwardingLine {
public:
    explicit FakeLine(Journal& journal) : journal_(journal) {}
    bool IsOpen() const override { return true; }
    bool IsBusy() const override { return false; }
    void MakeCall(const std::string& number) override { journal_.push_back("call " + number); }

private:
    Journal& journal_;
};

class FakeLines : public LineBank {
public:
    explicit FakeLines(Journal& journal) : journal_(journal), line_(journal) {}
    int SetUp(IVRCNotify* notify) override {
        journal_.push_back("set up lines");
        notify_ = notify;
        count_ = available;
        return count_;
    }
    void Destroy() override {
        journal_.push_back("destroy lines");
        count_ = 0;
    }
    int Count() const override { return count_; }
    ForwardingLine* FirstLine() override { return count_ > 0 ? &line_ : nullptr; }
    std::vector<LineStatus> Status() const override { return {}; }

    int available = 1;
    IVRCNotify* notify_ = nullptr;

private:
    Journal& journal_;
    FakeLine line_;
    int count_ = 0;
};

class FakePlayback : public DesktopPlayback {
public:
    explicit FakePlayback(Journal& journal) : journal_(journal) {}
    bool Play(const LSoundSource& source, int device, int db) override {
        journal_.push_back("play " + std::to_string(source->GetLength()) + " frames on " +
                           std::to_string(device) + " at " + std::to_string(db) + "dB");
        return true;
    }
    void Stop() override { journal_.push_back("stop player"); }
    bool IsPlaying() const override { return false; }
    void SetPlayingChanged(std::function<void(bool)>) override {}

private:
    Journal& journal_;
};

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
    }

    void Create() {
        app_.SetOnDestroyed([this] { journal_.push_back("destroyed"); });
        app_.Create();
        dispatcher_.RunPending();
    }

    std::string Settings() const { return Store().SettingsFile(); }
    std::string Log() const { return ReadFile(DailyLogPath(LocalNow())); }

    TempDir data_;
    ScopedFixedClock clock_{kNow};
    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher current_{&dispatcher_};
    Journal journal_;
    RecordingView view_{journal_};
    FakeLines lines_{journal_};
    FakePlayback playback_{journal_};
    MainDialog app_{{dispatcher_, view_, lines_, playback_}, false};
};

TEST_F(MainDialogTest, CreationRunsTheTimersAndExitTearsDownInOrder) {
    Create();
    EXPECT_NE(Log().find("Orvia Run"), std::string::npos);
    EXPECT_EQ(Log().find("Orvia Exit"), std::string::npos);
    EXPECT_EQ(journal_, (Journal{"view create", "splash", "fill lists", "widget timers"}));
    for (uint32_t timer : {kTimerForwarding, kTimerLineSetUp, kTimerCleanUp})
        EXPECT_TRUE(dispatcher_.IsTimerSet(MainTimerId(timer))) << timer;

    // The lines come with timer 3, one second after creation, and only then.
    dispatcher_.AdvanceTime(999);
    EXPECT_FALSE(Has(journal_, "set up lines"));
    dispatcher_.AdvanceTime(1);
    EXPECT_TRUE(Has(journal_, "set up lines"));
    EXPECT_TRUE(Has(journal_, "lines 1"));
    EXPECT_EQ(lines_.notify_, &app_);
    EXPECT_FALSE(dispatcher_.IsTimerSet(MainTimerId(kTimerLineSetUp)));

    // The exit request closes without asking, in the order of destruction.
    journal_.clear();
    dispatcher_.PostMessage(kMsgExitRequest);
    dispatcher_.RunPending();
    EXPECT_EQ(journal_, (Journal{"destroy lines", "stop player", "view destroy", "destroyed"}));
    EXPECT_FALSE(app_.IsCreated());
    const std::string log = Log();
    ASSERT_NE(log.find("Orvia Exit"), std::string::npos);
    EXPECT_LT(log.find("Orvia Run"), log.find("Orvia Exit"));
    for (uint32_t timer : {kTimerForwarding, kTimerLineSetUp, kTimerCleanUp})
        EXPECT_FALSE(dispatcher_.IsTimerSet(MainTimerId(timer))) << timer;

    // Gone means gone: no handler takes messages any more.
    journal_.clear();
    dispatcher_.PostMessage(kMsgSecondStart);
    dispatcher_.RunPending();
    dispatcher_.AdvanceTime(4000000);
    EXPECT_TRUE(journal_.empty());
}

TEST_F(MainDialogTest, StartedHiddenGoesToTheTray) {
    MainDialog hidden({dispatcher_, view_, lines_, playback_}, true);
    hidden.Create();
    EXPECT_FALSE(Has(journal_, "hide"));  // posted, as the command to itself
    dispatcher_.RunPending();
    EXPECT_TRUE(Has(journal_, "hide"));
}

TEST_F(MainDialogTest, CloseAsksUnlessExitWasRequested) {
    Create();
    view_.answer = CloseAnswer::Cancel;
    app_.Close();
    EXPECT_TRUE(app_.IsCreated());
    view_.answer = CloseAnswer::Yes;
    app_.Close();
    EXPECT_TRUE(app_.IsCreated());
    EXPECT_EQ(IndexOf(journal_, "hide"), static_cast<std::ptrdiff_t>(journal_.size()) - 1);

    // Another start sets the question again; No closes.
    dispatcher_.PostMessage(kMsgSecondStart, 0, 0);
    dispatcher_.RunPending();
    EXPECT_TRUE(app_.AskOnClose());
    view_.answer = CloseAnswer::No;
    journal_.clear();
    app_.Close();
    EXPECT_EQ(journal_.front(), "ask");
    EXPECT_FALSE(app_.IsCreated());
    EXPECT_TRUE(Has(journal_, "destroyed"));
}

TEST_F(MainDialogTest, OtherStartsAndTheTrayIcon) {
    Create();
    journal_.clear();
    dispatcher_.PostMessage(kMsgSecondStart, 0, 1);  // a start at logon
    dispatcher_.RunPending();
    EXPECT_EQ(journal_, (Journal{"tray icon", "splash", "other start logon"}));
    journal_.clear();
    dispatcher_.PostMessage(kMsgSecondStart, 0, 0);
    dispatcher_.RunPending();
    EXPECT_EQ(journal_, (Journal{"tray icon", "show", "splash", "other start"}));
    journal_.clear();
    dispatcher_.PostMessage(kMsgTrayIcon, 0, 0x0202);  // button up: nothing
    dispatcher_.PostMessage(kMsgTrayIcon, 0, kTrayLeftButtonDown);
    dispatcher_.RunPending();
    EXPECT_EQ(journal_, (Journal{"show"}));
}

TEST_F(MainDialogTest, EngineNotices) {
    Create();
    ASSERT_TRUE(WriteProfileString(Settings(), "settings", "mbx", "Sales"));
    ASSERT_TRUE(WriteProfileString(Store().MailBoxes() + "Sales.mbx", "mbx", "msgno", "1"));
    const std::string shown = Store().MailBoxes() + "Sales ICM000000.ini";
    const std::string other = Store().MailBoxes() + "Support ICM000004.ini";

    struct Notice {
        int message;
        std::string text;
        Journal expected;
    };
    const Notice notices[] = {
        {kMsgMessageStored, shown, {"add " + shown, "show"}},
        // Not the mailbox shown: not listed, but the window still comes forward.
        {kMsgMessageStored, other, {"show"}},
        {kMsgMessageHeard, shown, {"read " + shown}},
        {kMsgMessageDeleted, shown, {"remove " + shown}},
        {kMsgCallerIdFlash, "Line 1\r\n5551234\r\nJohn", {"flash Line 1\r\n5551234\r\nJohn"}},
    };
    for (const Notice& notice : notices) {
        journal_.clear();
        std::string text = notice.text;
        app_.Send(notice.message, text);
        EXPECT_EQ(journal_, notice.expected) << notice.message;
    }

    ASSERT_TRUE(WriteProfileBool(Settings(), "settings", "openwindow", false));
    ASSERT_TRUE(WriteProfileBool(Settings(), "settings", "cidflash", false));
    journal_.clear();
    std::string text = shown;
    app_.Send(kMsgMessageStored, text);
    text = "Line 1\r\n\r\n";
    app_.Send(kMsgCallerIdFlash, text);
    EXPECT_EQ(journal_, (Journal{"add " + shown}));
}

TEST_F(MainDialogTest, AnnouncementPlaysOnTheAnnounceDeviceAtItsLevel) {
    Create();
    const std::string file = data_.Path() + "announce.wav";
    {
        LSoundSink sink = CreatePCMWaveSink(file, 8000, 1, 16, 0);
        std::vector<int32_t> silence(4000, 0);
        sink->Write(silence.data(), 4000);
    }
    ASSERT_TRUE(WriteProfileInt(Settings(), "settings", "announcedevice", 3));
    ASSERT_TRUE(WriteProfileDb(Settings(), "settings", "announcevolume", -6));
    journal_.clear();
    std::string text = file;
    app_.Send(kMsgAnnounceCall, text);
    text = data_.Path() + "missing.wav";  // neither WAVE nor MP3: not played
    app_.Send(kMsgAnnounceCall, text);
    EXPECT_EQ(journal_, (Journal{"play 4000 frames on 3 at -6dB"}));
}

TEST_F(MainDialogTest, ForwardingSchedulerPlacesTheCallAndTellsTheEngineTheMailbox) {
    const std::string mailbox = Store().MailBoxes() + "Owner.mbx";
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"forwardtel", "true"},
                                     {"unforwardedmessages", "true"},
                                     {"forwardnumber", "5550100"}})
        ASSERT_TRUE(WriteProfileString(mailbox, "mbx", key, value));
    Create();
    dispatcher_.AdvanceTime(1000);  // the lines

    // Nothing waits yet: timer 2 runs at 5 s and stays off.
    dispatcher_.AdvanceTime(4000);
    EXPECT_FALSE(Has(journal_, "call 5550100"));
    EXPECT_FALSE(dispatcher_.IsTimerSet(MainTimerId(kTimerForwarding)));

    // The engine kept a message to forward: the check comes 3.5 s later.
    ASSERT_TRUE(WriteProfileBool(Settings(), "state", "unforwardedmessages", true));
    app_.Post(kMsgForwardingCheck);
    dispatcher_.RunPending();
    dispatcher_.AdvanceTime(3499);
    EXPECT_FALSE(Has(journal_, "call 5550100"));
    dispatcher_.AdvanceTime(1);
    EXPECT_TRUE(Has(journal_, "call 5550100"));
    EXPECT_EQ(ReadProfileInt(mailbox, "mbx", "forwardattempts", -1), 1);

    // The forwarding call's engine asks which mailbox to play.
    std::string text(260, ' ');
    app_.Send(kMsgForwardingMailbox, text);
    EXPECT_EQ(text, mailbox);

    // Messages still wait: it looks again every 7 s; the second attempt
    // waits for "forwardfailwaitmins".
    EXPECT_TRUE(dispatcher_.IsTimerSet(MainTimerId(kTimerForwarding)));
    journal_.clear();
    dispatcher_.AdvanceTime(7000);
    EXPECT_FALSE(Has(journal_, "call 5550100"));
    EXPECT_TRUE(dispatcher_.IsTimerSet(MainTimerId(kTimerForwarding)));
    clock_.Advance(21 * 60);
    dispatcher_.AdvanceTime(7000);
    EXPECT_TRUE(Has(journal_, "call 5550100"));
}

// Message files made "created" at chosen times.
class FakeFileTimes : public FileTimes {
public:
    int64_t NowUtc() override { return now; }
    std::optional<int64_t> CreationTimeUtc(const std::string& path) override {
        auto it = created.find(path);
        if (it == created.end())
            return std::nullopt;
        return it->second;
    }
    int64_t now = 1700000000;
    std::map<std::string, int64_t> created;
};

TEST_F(MainDialogTest, CleanUpRunsAfterTwelveSecondsThenHourly) {
    FakeFileTimes times;
    app_.SetFileTimes(times);
    const std::string old = Store().MailBoxes() + "Default ICM000001.ini";
    const std::string young = Store().MailBoxes() + "Default ICM000002.ini";
    for (const std::string& ini : {old, young}) {
        ASSERT_TRUE(WriteFile(ini, "[message]\n"));
        ASSERT_TRUE(WriteFile(ini.substr(0, ini.size() - 4) + ".wav", "audio"));
    }
    times.created[old] = times.now - 31 * 86400;  // older than the 30 days
    times.created[young] = times.now - 29 * 86400;

    Create();
    dispatcher_.AdvanceTime(11999);
    EXPECT_TRUE(test::FileExists(old));
    journal_.clear();
    dispatcher_.AdvanceTime(1);
    EXPECT_EQ(journal_, (Journal{"remove " + old}));
    EXPECT_FALSE(test::FileExists(old));
    EXPECT_TRUE(test::FileExists(young));

    // Then every hour.
    times.now += 2 * 86400;
    dispatcher_.AdvanceTime(3600000 - 1);
    EXPECT_TRUE(test::FileExists(young));
    dispatcher_.AdvanceTime(1);
    EXPECT_FALSE(test::FileExists(young));
    EXPECT_TRUE(dispatcher_.IsTimerSet(MainTimerId(kTimerCleanUp)));
}

TEST_F(MainDialogTest, SettingsRestartRebuildsTheLinesSoon) {
    Create();
    dispatcher_.AdvanceTime(1000);
    journal_.clear();
    app_.SettingsApplied();  // no restart asked
    dispatcher_.AdvanceTime(5000);
    EXPECT_FALSE(Has(journal_, "set up lines"));
    ASSERT_TRUE(WriteProfileBool(Settings(), "state", "restart", true));
    app_.SettingsApplied();
    dispatcher_.AdvanceTime(749);
    EXPECT_FALSE(Has(journal_, "set up lines"));
    dispatcher_.AdvanceTime(1);
    EXPECT_TRUE(Has(journal_, "set up lines"));

    lines_.available = 0;  // no line configured and no device
    app_.SettingsApplied();
    dispatcher_.AdvanceTime(750);
    EXPECT_EQ(journal_.back(), "lines 0");
}

TEST_F(MainDialogTest, StartDeliveryRunsAPass) {
    // A mailbox whose messages wait for delivery; without a mail server the
    // pass still takes it (clearing "unsentmessages") and records the outcome.
    const std::string mailbox = Store().MailBoxes() + "Sales.mbx";
    ASSERT_TRUE(WriteProfileBool(mailbox, "mbx", "sendemail", true));
    Create();
    ASSERT_TRUE(dispatcher_.RunUntil([&] { return !app_.DeliveryThread().IsRunning(); }, 30000));
    ASSERT_TRUE(WriteProfileBool(mailbox, "mbx", "unsentmessages", true));
    app_.Post(kMsgStartDelivery);
    dispatcher_.RunPending();
    EXPECT_TRUE(dispatcher_.RunUntil(
        [&] { return ReadProfileString(mailbox, "mbx", "unsentmessages", "") == "false"; }, 30000));
}

}  // namespace
}  // namespace orvia
