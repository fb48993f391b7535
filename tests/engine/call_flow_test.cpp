// Calls through the state machine: OGM plays, repeats and waits, the end of
// an OGM, keys in menu mode, entry side effects, the forwarding call, fax
// tones and the end of a call.
#include <cstdio>
#include <string>
#include <vector>

#include "diagnostics_capture.h"
#include "engine/ivr_notify.h"
#include "engine/ogm_files.h"
#include "engine_fixture.h"
#include "platform/files/text_file.h"
#include "store/date_text.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CallFlowTest : public EngineTest {
protected:
    CallFlowTest() {
        Setting("settings", "ogm", "Main");
        EmptyOgm("Main");
        Recording("Main");
    }

    // Answers and lets the OGM's recording play to its end.
    void AnswerAndPlay() {
        ASSERT_TRUE(line.Answer());
        ASSERT_THAT(Ops(), ElementsAre(PlayOf("Main")));
        ASSERT_TRUE(line.FinishPlay());
    }
};

TEST_F(CallFlowTest, EmptyDefinitionPlaysOnceWaitsSixSecondsAndSaysGoodbye) {
    ASSERT_TRUE(line.Answer());
    EXPECT_TRUE(line.FinishPlay());
    EXPECT_TRUE(line.FinishWait());
    EXPECT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000", PromptOf("GoodBye"), "drop"));
}

TEST_F(CallFlowTest, RepeatPlaysTheRecordingAgainAfterEachSilentWait) {
    Ogm("Main", "repeat", "2");
    Ogm("Main", "wait", "3");
    ASSERT_TRUE(line.Answer());
    for (int play = 0; play < 3; ++play) {
        EXPECT_TRUE(line.FinishPlay());
        EXPECT_TRUE(line.FinishWait());
    }
    EXPECT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:30000", PlayOf("Main"), "wait:30000",
                                   PlayOf("Main"), "wait:30000", PromptOf("GoodBye"), "drop"));
}

TEST_F(CallFlowTest, WaitOutOfRangeIsKeptWithinTheTickRange) {
    Ogm("Main", "wait", "999999");
    AnswerAndPlay();
    EXPECT_THAT(Ops(), ElementsAre("wait:2147483647"));
    Ogm("Main", "wait", "-5");
    Ogm("Main", "playcomplete", "repeat");
    line.FinishWait();
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:0"));
}

TEST_F(CallFlowTest, DefinitionEditedDuringTheCallTakesEffectAtTheNextRead) {
    ASSERT_TRUE(line.Answer());
    Ogm("Main", "wait", "2");
    line.FinishPlay();
    Ogm("Main", "playcomplete", "hangup");
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:20000", "drop"));
}

TEST_F(CallFlowTest, MissingRecordingGoesStraightToTheWait) {
    Ogm("Main", "wait", "1");
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.wav", "not a wave"));
    ASSERT_TRUE(line.Answer());
    EXPECT_THAT(Ops(), ElementsAre("play:none", "wait:10000"));
    // A missing prompt finishes at once too: the goodbye hangs up directly.
    ASSERT_TRUE(WriteFile(PromptPath("GoodBye"), ""));
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre("play:none", "drop"));
}

TEST_F(CallFlowTest, RecordingFallsBackToTheOgmsOwnMp3) {
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.wav", "broken"));
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.mp3", "ID3"));
    ASSERT_TRUE(line.Answer());
    EXPECT_THAT(Ops(), ElementsAre("play:OGMs/Main.mp3"));
}

TEST_F(CallFlowTest, PlayexPlaysTheExternalFileOrFallsBackToTheOgmsMp3) {
    ASSERT_TRUE(MakeFolders(dir.Path() + "extra"));
    ASSERT_TRUE(WriteFile(dir.Path() + "extra/line0.wav", "RIFF"));
    ASSERT_TRUE(WriteFile(dir.Path() + "extra/tune.mp3", "ID3"));
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.mp3", "ID3"));
    struct Case {
        const char* playex;
        const char* playexfile;  // null: key missing
        const char* played;
    } cases[] = {
        {"true", "extra/%linename%.wav", "play:extra/line0.wav"},
        // The wave source cannot open an MP3: the OGM's own ".mp3" plays.
        {"true", "extra/tune.mp3", "play:OGMs/Main.mp3"},
        {"true", nullptr, "play:OGMs/Main.wav"},
        {"false", "extra/line0.wav", "play:OGMs/Main.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.played);
        EmptyOgm("Main");
        Ogm("Main", "playex", c.playex);
        if (c.playexfile)
            Ogm("Main", "playexfile", dir.Path() + c.playexfile);
        ASSERT_TRUE(line.Answer());
        EXPECT_THAT(Ops(), ElementsAre(c.played));
        line.HangUpCall();
    }
}

TEST_F(CallFlowTest, EndOfOgmRunsPlaycomplete) {
    EmptyOgm("Second");
    Recording("Second");
    struct Case {
        const char* action;
        std::vector<std::string> ops;
    } cases[] = {
        {"hangup", {"drop"}},
        {"HangUp", {"drop"}},
        {"goodbye", {PromptOf("GoodBye")}},
        {"go", {PlayOf("Second")}},
        {"repeat", {PlayOf("Main")}},
        {"invalid", {PromptOf("InvalidOption")}},
        {"noresponse", {PromptOf("GoodBye")}},
        {"dance", {PromptOf("GoodBye")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        EmptyOgm("Main");
        Ogm("Main", "playcomplete", c.action);
        Ogm("Main", "playcompletego", "Second");
        AnswerAndPlay();
        Ops();
        ASSERT_TRUE(line.FinishWait());
        EXPECT_EQ(Ops(), c.ops);
        line.HangUpCall();
    }
}

TEST_F(CallFlowTest, GoToAMissingOrRefusedOgmIsNotHandled) {
    Ogm("Main", "playcomplete", "go");
    Ogm("Main", "playcompletego", "Nowhere");
    Ogm("Main", "press1", "go");
    Ogm("Main", "press1go", "Closed");
    Ogm("Closed", "enabled", "true", "datetime");
    Ogm("Closed", "weekdays", "0", "datetime");
    Ogm("Closed", "failmode", "2", "datetime");
    AnswerAndPlay();
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre("wait:60000"));
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
}

// Two OGMs that go to each other when they end, with no recording and no
// wait: the flow would move on for ever without the caller hearing a thing.
// After a bounded number of such steps the call ends the polite way, and the
// reason is reported. The same loop with a recording to play is the user's
// design and runs on.
TEST_F(CallFlowTest, AFlowThatMovesOnWithoutAudioEndsWithGoodbye) {
    DiagnosticsCapture events;
    OgmText("Main", "[ivr]\nwait=0\nplaycomplete=go\nplaycompletego=Other\n");
    OgmText("Other", "[ivr]\nwait=0\nplaycomplete=go\nplaycompletego=Main\n");
    std::remove((Store().OGMs() + "Main.wav").c_str());
    ASSERT_TRUE(line.Answer());
    int steps = 0;
    while (line.FinishWait() && steps < 1000)
        ++steps;
    EXPECT_LT(steps, 100);
    std::vector<std::string> ops = Ops();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.back(), PromptOf("GoodBye"));
    EXPECT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre("drop"));
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "engine", {"line0", "without playing"}))
        << events.AllText();

    line.HangUpCall();
    Recording("Main");
    ASSERT_TRUE(line.Answer());
    for (int step = 0; step < 200; ++step) {
        line.FinishPlay();
        ASSERT_TRUE(line.FinishWait());
    }
    EXPECT_THAT(Ops(), ::testing::Not(::testing::Contains(PromptOf("GoodBye"))));
}

TEST_F(CallFlowTest, KeysWithoutAnActionLeaveTheRunningPlayOrWaitAlone) {
    Ogm("Main", "press1", "noresponse");
    Ogm("Main", "press2", "");
    Ogm("Main", "pressA", "hangup");
    Ogm("Main", "press9", "hangup");
    ASSERT_TRUE(line.Answer());
    Ops();
    Keys("12A345*#?");
    EXPECT_THAT(Ops(), IsEmpty());
    EXPECT_TRUE(line.FinishPlay());
    Keys("12A");
    EXPECT_THAT(Ops(), ElementsAre("wait:60000"));
    // The wait runs on: it is neither shortened nor restarted.
    EXPECT_TRUE(line.FinishWait());
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
    // Keys during the goodbye are dropped, whatever the OGM says.
    Keys("9");
    EXPECT_THAT(Ops(), IsEmpty());
}

TEST_F(CallFlowTest, InvalidOptionRestartsTheOgmWithItsRepeatsAndItsMenuLive) {
    Ogm("Main", "repeat", "1");
    Ogm("Main", "press1", "invalid");
    Ogm("Main", "press2", "hangup");
    AnswerAndPlay();
    line.FinishWait();
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre("wait:60000", PlayOf("Main"), PromptOf("InvalidOption")));
    line.FinishPlay();
    line.FinishPlay();
    line.FinishWait();
    line.FinishPlay();
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "wait:60000", PlayOf("Main"), "wait:60000",
                                   PromptOf("GoodBye")));
    line.HangUpCall();
    ASSERT_TRUE(line.Answer());
    Keys("1");
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), PromptOf("InvalidOption"), "drop"));
}

TEST_F(CallFlowTest, GoRunsTheTargetsEntryEffectsEachTimeButRestartsDoNot) {
    Ogm("Main", "log", "true");
    Ogm("Main", "logname", "Calls %linenumber%");
    Ogm("Main", "press1", "go");
    Ogm("Main", "press1go", "Main");
    Ogm("Main", "press2", "repeat");
    Ogm("Main", "press3", "invalid");
    ASSERT_TRUE(line.Answer(5, "5551234"));
    Keys("1");
    Keys("2");
    Keys("3");
    line.FinishPlay();
    Keys("1");
    const std::string entry = "\r\n" + FormatDateText(LocalNow()) + ",10:00:00,line0,5551234";
    EXPECT_EQ(SpecialLogEntries("Calls 0"), entry + entry + entry);
}

TEST_F(CallFlowTest, CallerValuesNeverTakeFilesOutsideTheirFolders) {
    ASSERT_TRUE(WriteFile(dir.Path() + "Outside.ini", ""));
    ASSERT_TRUE(WriteFile(dir.Path() + "Outside.wav", "RIFF"));
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.mp3", "ID3"));
    Ogm("Main", "log", "true");
    Ogm("Main", "logname", "%cid%");
    Ogm("Main", "playex", "true");
    Ogm("Main", "playexfile", Store().OGMs() + "%cid%.wav");
    Ogm("Main", "announcecall", "true");
    Ogm("Main", "announceplay", Store().OGMs() + "%cid%.wav");
    Ogm("Main", "press1", "go");
    Ogm("Main", "press1go", "%cid%");
    ASSERT_TRUE(line.Answer(3, "../Outside"));
    Keys("1");
    // No log outside Logs, the OGM's own MP3 instead of the outside file, no
    // announcement, and the "go" is not handled.
    EXPECT_FALSE(FileExists(dir.Path() + "Outside.txt"));
    EXPECT_THAT(Ops(), ElementsAre("play:OGMs/Main.mp3"));
    for (const RecordingNotify::Notice& notice : notify.notices)
        EXPECT_NE(notice.message, kMsgAnnounceCall);
    line.HangUpCall();

    // The same OGM with a harmless caller number.
    EmptyOgm("Outside");
    Recording("Outside");
    ASSERT_TRUE(line.Answer(3, "Outside"));
    Keys("1");
    EXPECT_TRUE(FileExists(Store().Logs() + "Outside.txt"));
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Outside"), PlayOf("Outside")));
    EXPECT_EQ(notify.notices.back().message, kMsgAnnounceCall);
}

TEST_F(CallFlowTest, AnnouncementSendsTheExpandedPath) {
    Ogm("Main", "announcecall", "true");
    Ogm("Main", "announceplay", "/sounds/%linename% %cid%.wav");
    ASSERT_TRUE(line.Answer(5, "555"));
    ASSERT_EQ(notify.notices.size(), 2u);
    EXPECT_EQ(notify.notices[1].message, kMsgAnnounceCall);
    EXPECT_EQ(notify.notices[1].text, "/sounds/line0 555.wav");
    EXPECT_FALSE(notify.notices[1].posted);
}

TEST_F(CallFlowTest, ForwardingCallPlaysItsPromptRepeatTimesPlusOneThenHangsUp) {
    const std::string mailbox = Store().MailBoxes() + "Sales.mbx";
    ASSERT_TRUE(WriteFile(mailbox, "[mbx]\nforwardrepeat=2\n"));
    notify.forwardingMailbox = mailbox;
    line.CallConnected();
    ASSERT_EQ(notify.notices.size(), 1u);
    EXPECT_EQ(notify.notices[0].message, kMsgForwardingMailbox);
    EXPECT_EQ(notify.notices[0].text, mailbox);
    while (line.FinishPlay()) {
    }
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("ForwardMessage"), PromptOf("ForwardMessage"),
                                   PromptOf("ForwardMessage"), "drop"));
}

TEST_F(CallFlowTest, AcceptedCallThatNeverConnectsLeavesTheEngineReadyForForwarding) {
    ASSERT_EQ(line.RingUntilAnswered(3), 3);
    line.HangUpCall();
    line.CallConnected();
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("ForwardMessage")));
}

TEST_F(CallFlowTest, ForwardingCallWithoutAMailboxPlaysSixTimes) {
    TestLine other;
    other.describeSource = line.describeSource;
    other.SetOwner(std::make_unique<StandInEngine>(1, nullptr));
    other.CallConnected();
    int plays = 0;
    while (other.FinishPlay())
        ++plays;
    EXPECT_EQ(plays, 6);
    EXPECT_TRUE(other.Dropped());
}

TEST_F(CallFlowTest, FaxToneDialsTheFaxDigitsOrHangsUp) {
    struct Case {
        const char* fax;
        const char* faxdial;
        std::vector<std::string> ops;
    } cases[] = {
        {nullptr, "123", {}},
        {"false", "123", {}},
        {"true", nullptr, {"drop"}},
        {"true", "*9", {"digits:*9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fax ? c.fax : "-") + " " + (c.faxdial ? c.faxdial : "-"));
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), "[settings]\nogm=Main\n"));
        if (c.fax)
            Setting("settings", "fax", c.fax);
        if (c.faxdial)
            Setting("settings", "faxdial", c.faxdial);
        ASSERT_TRUE(line.Answer());
        Ops();
        line.OnFaxTone();
        EXPECT_EQ(Ops(), c.ops);
        line.HangUpCall();
    }
}

TEST_F(CallFlowTest, FaxDigitsAreDialledOnceAndHangUpWhenOut) {
    Setting("settings", "fax", "true");
    Setting("settings", "faxdial", "55");
    ASSERT_TRUE(line.Answer());
    line.OnFaxTone();
    line.OnFaxTone();
    Keys("1");
    EXPECT_TRUE(line.FinishDial());
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "digits:55", "drop"));
}

TEST_F(CallFlowTest, EndedCallLeavesTheEngineIdleUntilTheNextCall) {
    Ogm("Main", "press1", "hangup");
    AnswerAndPlay();
    Ops();
    line.HangUpCall();
    // A late completion or key of the old call does nothing in state 0.
    IVRCMain* engine = static_cast<IVRCMain*>(line.Owner());
    engine->OnWaitComplete();
    engine->OnPlayComplete();
    engine->OnDigit('1');
    EXPECT_THAT(Ops(), IsEmpty());
    ASSERT_TRUE(line.Answer());
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "drop"));
}

}  // namespace
}  // namespace orvia::test
