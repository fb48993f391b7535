// Messages left in mailboxes: the greeting and record tone, the message files
// and numbering, the end-of-message rules and the delivery flags.
#include <string>
#include <vector>

#include "diagnostics_capture.h"
#include "engine/ivr_notify.h"
#include "engine/mailbox_files.h"
#include "engine_fixture.h"
#include "file_size_limit.h"
#include "platform/files/text_file.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kRecord = "record:300000,-20,50000";

class MailboxTest : public EngineTest {
protected:
    MailboxTest() {
        for (const char* prompt : {"LeaveMessage", "RecordTone"})
            WriteFile(PromptPath(prompt), "RIFF");
        Setting("settings", "ogm", "Main");
        OgmText("Main",
                "[ivr]\npress1=mailbox\npress1mbx=Sales\npress2=mailbox\npress2mbx=Sales\n"
                "press2mbxmessage=false\npress9=hangup\n");
        Recording("Main");
    }

    std::string Mbx(const std::string& name = "Sales") const {
        return Store().MailBoxes() + name + ".mbx";
    }
    std::string Message(int number, const std::string& ext, const std::string& name = "Sales") {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06d", number);
        return Store().MailBoxes() + name + " ICM" + digits + ext;
    }
    std::string Key(const std::string& file, const std::string& section, const std::string& key) {
        return ReadProfileString(file, section, key, "<missing>");
    }
    // The notices about messages (the caller-id notice of ring 2 left out).
    std::vector<int> NoticeMessages() const {
        std::vector<int> messages;
        for (const RecordingNotify::Notice& notice : notify.notices)
            if (notice.message != kMsgCallerIdFlash)
                messages.push_back(notice.message);
        return messages;
    }

    // Answers, presses key 1 and lets the prompt and the tone play out: the
    // message is being recorded.
    void StartMessage(const std::string& number = "5551234", const std::string& name = "John") {
        ASSERT_TRUE(line.Answer(5, number, name));
        Keys("1");
        ASSERT_TRUE(line.FinishPlay());
        ASSERT_TRUE(line.FinishPlay());
        ASSERT_EQ(line.CurrentActivity(), TestLine::Activity::Recording);
        Ops();
    }
    // A message of the given length at 8000 frames per second, then the
    // caller hangs up.
    void LeaveMessageOf(int32_t frames) {
        StartMessage();
        ASSERT_TRUE(line.FeedRecording(frames, 1000));
        line.HangUpCall();
    }
};

TEST_F(MailboxTest, FirstMessageOfANewMailbox) {
    ASSERT_TRUE(line.Answer(5, "5551234", "John"));
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), PromptOf("LeaveMessage")));
    ASSERT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("RecordTone")));
    // Nothing exists before the recording starts.
    EXPECT_FALSE(FileExists(Mbx()));
    ASSERT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre(kRecord));

    const std::string ini = Message(0, ".ini");
    EXPECT_EQ(Key(Mbx(), "mbx", "msgno"), "1");
    EXPECT_EQ(Key(ini, "message", "read"), "false");
    EXPECT_EQ(Key(ini, "message", "datetime"), FormatDateTime(LocalNow()));
    EXPECT_EQ(Key(ini, "message", "cid"), "5551234");
    EXPECT_EQ(Key(ini, "message", "cidname"), "John");
    EXPECT_EQ(Key(Store().SettingsFile(), "state", "newmessages"), "true");
    ASSERT_FALSE(notify.notices.empty());
    EXPECT_EQ(notify.notices.back().message, kMsgMessageStored);
    EXPECT_EQ(notify.notices.back().text, ini);

    ASSERT_TRUE(line.FeedRecording(8000 * 4, 1000));
    line.HangUpCall();
    EXPECT_TRUE(FileExists(Message(0, ".wav")));
    EXPECT_TRUE(FileExists(ini));
    // No delivery option is on: no flag, no post.
    EXPECT_EQ(Key(Mbx(), "mbx", "unsentmessages"), "<missing>");
    EXPECT_EQ(notify.notices.back().message, kMsgMessageStored);
    EXPECT_THAT(levelled.paths, ElementsAre(Message(0, ".wav")));
}

TEST_F(MailboxTest, GreetingLeaveMessageOrToneOnly) {
    struct Case {
        const char* keys;
        bool greeting;
        const char* played;
    } cases[] = {
        {"1", false, "play:System Prompts/LeaveMessage.wav"},
        {"1", true, "play:MailBoxes/Sales OGM.wav"},
        {"2", true, "play:System Prompts/RecordTone.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.played);
        RemoveFileIfPresent(Store().MailBoxes() + "Sales OGM.wav");
        if (c.greeting)
            WriteFile(Store().MailBoxes() + "Sales OGM.wav", "RIFF");
        ASSERT_TRUE(line.Answer());
        Keys(c.keys);
        EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), c.played));
        line.HangUpCall();
    }
}

TEST_F(MailboxTest, MessageNumbersTakeMsgnoAndWrapAfter999999) {
    struct Case {
        const char* msgno;
        int number;
        const char* next;
    } cases[] = {
        {"41", 41, "42"},
        {"999999", 999999, "0"},
        {"0", 0, "1"},
        // Damaged counters still name a six-digit message.
        {"1000005", 5, "6"},
        {"-1", 999999, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msgno);
        ASSERT_TRUE(WriteFile(Mbx(), std::string("[mbx]\nmsgno=") + c.msgno + "\n"));
        StartMessage();
        EXPECT_EQ(Key(Mbx(), "mbx", "msgno"), c.next);
        EXPECT_TRUE(FileExists(Message(c.number, ".ini")));
        line.HangUpCall();
    }
}

TEST_F(MailboxTest, WrappedNumberReplacesTheOldMessageWhole) {
    ASSERT_TRUE(WriteFile(Mbx(), "[mbx]\nmsgno=0\n"));
    ASSERT_TRUE(WriteFile(Message(0, ".ini"),
                          "[message]\nread=true\ncid=old\ncompressed=true\nsentemail=true\n"));
    ASSERT_TRUE(WriteFile(Message(0, ".wav"), "old recording"));
    LeaveMessageOf(8000 * 5);
    const std::string ini = Message(0, ".ini");
    EXPECT_EQ(Key(ini, "message", "read"), "false");
    EXPECT_EQ(Key(ini, "message", "cid"), "5551234");
    EXPECT_EQ(Key(ini, "message", "compressed"), "<missing>");
    EXPECT_EQ(Key(ini, "message", "sentemail"), "<missing>");
    EXPECT_NE(ReadFile(Message(0, ".wav")), "old recording");
}

TEST_F(MailboxTest, HangingUpBeforeTheRecordingLeavesNoFiles) {
    for (int playsBeforeHangUp : {0, 1}) {
        SCOPED_TRACE(playsBeforeHangUp);
        ASSERT_TRUE(line.Answer());
        Keys("1");
        for (int i = 0; i < playsBeforeHangUp; ++i)
            ASSERT_TRUE(line.FinishPlay());
        line.HangUpCall();
        EXPECT_FALSE(FileExists(Mbx()));
        EXPECT_FALSE(FileExists(Message(0, ".ini")));
        EXPECT_FALSE(FileExists(Message(0, ".wav")));
        EXPECT_THAT(NoticeMessages(), IsEmpty());
        EXPECT_THAT(levelled.paths, IsEmpty());
    }
}

// The disk is full as the recording would start: when the counter or the
// message's ".ini" file cannot be written, no recording is made (it would
// be no message: nothing lists, mails or uploads a recording without its
// ".ini"), the caller hears goodbye and the failure is reported.
TEST_F(MailboxTest, NoMessageIsRecordedWhenItsFilesCannotBeWritten) {
    struct Case {
        rlim_t limit;  // bytes a file may grow to
        const char* unwritten;
        const char* msgno;  // afterwards
    };
    // The counter file takes 14 bytes, the message's ".ini" more than 32.
    const Case cases[] = {{8, "Sales.mbx", "<missing>"}, {32, "Sales ICM000000.ini", "1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unwritten);
        ASSERT_TRUE(RemoveFileIfPresent(Mbx()));
        DiagnosticsCapture events;
        ASSERT_TRUE(line.Answer(5, "5551234", "John"));
        Keys("1");
        ASSERT_TRUE(line.FinishPlay());
        Ops();
        notify.notices.clear();
        {
            ScopedFileSizeLimit full(c.limit);
            ASSERT_TRUE(line.FinishPlay());  // the record tone ends
        }
        EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
        EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "engine", {c.unwritten, "no message"}))
            << events.AllText();
        line.HangUpCall();
        EXPECT_EQ(Key(Mbx(), "mbx", "msgno"), c.msgno);
        EXPECT_FALSE(FileExists(Message(0, ".ini")));
        EXPECT_FALSE(FileExists(Message(0, ".wav")));
        EXPECT_THAT(NoticeMessages(), IsEmpty());
        EXPECT_THAT(levelled.paths, IsEmpty());
    }
}

TEST_F(MailboxTest, ThreeSecondsOrLessIsDiscardedLongerIsKept) {
    struct Case {
        int32_t frames;
        bool kept;
    } cases[] = {
        {0, false},
        {8000 * 3, false},     // exactly 3.0 s
        {8000 * 3 + 1, true},  // 3.000125 s
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        notify.notices.clear();
        levelled.paths.clear();
        LeaveMessageOf(c.frames);
        const std::string wave = Message(number, ".wav");
        const std::string ini = Message(number, ".ini");
        EXPECT_EQ(FileExists(wave), c.kept);
        EXPECT_EQ(FileExists(ini), c.kept);
        if (c.kept) {
            EXPECT_THAT(NoticeMessages(), ElementsAre(kMsgMessageStored));
        } else {
            ASSERT_THAT(NoticeMessages(), ElementsAre(kMsgMessageStored, kMsgMessageDeleted));
            EXPECT_EQ(notify.notices.back().text, ini);
        }
        // The flag of new messages is not taken back; the path goes to level
        // control either way.
        EXPECT_EQ(Key(Store().SettingsFile(), "state", "newmessages"), "true");
        EXPECT_THAT(levelled.paths, ElementsAre(wave));
        ++number;
    }
}

TEST_F(MailboxTest, KeptMessageSetsTheDeliveryFlagsAndPostsInOrder) {
    struct Case {
        const char* options;
        const char* sentemail;
        const char* sentftp;
        std::vector<int> posts;
    } cases[] = {
        {"sendemail=true\nforwardtel=true\n",
         "false",
         "<missing>",
         {kMsgStartDelivery, kMsgForwardingCheck}},
        {"sendftp=true\n", "<missing>", "false", {kMsgStartDelivery}},
        {"forwardtel=true\n", "<missing>", "<missing>", {kMsgForwardingCheck}},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), "[settings]\nogm=Main\n"));
        ASSERT_TRUE(WriteFile(Mbx(), "[mbx]\nmsgno=" + std::to_string(number) +
                                         "\nforwardattempts=3\nforwardedattempttime=12345\n" +
                                         c.options));
        notify.notices.clear();
        LeaveMessageOf(8000 * 4);
        const std::string ini = Message(number, ".ini");
        EXPECT_EQ(Key(ini, "message", "sentemail"), c.sentemail);
        EXPECT_EQ(Key(ini, "message", "sentftp"), c.sentftp);
        const bool delivers = c.posts.front() == kMsgStartDelivery;
        const bool forwards = c.posts.back() == kMsgForwardingCheck;
        EXPECT_EQ(Key(Mbx(), "mbx", "unsentmessages"), delivers ? "true" : "<missing>");
        EXPECT_EQ(Key(Mbx(), "mbx", "unforwardedmessages"), forwards ? "true" : "<missing>");
        EXPECT_EQ(Key(Mbx(), "mbx", "forwardattempts"), forwards ? "0" : "3");
        EXPECT_EQ(Key(Mbx(), "mbx", "forwardedattempttime"), forwards ? "0" : "12345");
        EXPECT_EQ(Key(Store().SettingsFile(), "state", "unforwardedmessages"),
                  forwards ? "true" : "<missing>");
        std::vector<int> posts;
        for (const RecordingNotify::Notice& notice : notify.notices)
            if (notice.posted)
                posts.push_back(notice.message);
        EXPECT_EQ(posts, c.posts);
        ++number;
    }
}

// The disk fills while the caller speaks: the message is kept, but the
// mailbox file cannot take its "unsentmessages" flag, so nothing would ever
// mail it. That is reported, not passed over.
TEST_F(MailboxTest, DeliveryFlagsThatCannotBeWrittenAreReported) {
    // A mailbox file larger than the room left; the message's ".ini" fits.
    ASSERT_TRUE(WriteFile(Mbx(), "[mbx]\nsendemail=true\n; " + std::string(300, 'x') + "\n"));
    StartMessage();
    ASSERT_TRUE(line.FeedRecording(8000 * 4, 1000));
    DiagnosticsCapture events;
    {
        ScopedFileSizeLimit full(200);
        line.HangUpCall();
    }
    EXPECT_TRUE(FileExists(Message(0, ".wav")));
    EXPECT_EQ(Key(Message(0, ".ini"), "message", "sentemail"), "false");
    EXPECT_EQ(Key(Mbx(), "mbx", "unsentmessages"), "<missing>");
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "engine",
                           {"Sales ICM000000.wav", "delivery flags", "not be mailed"}))
        << events.AllText();
}

TEST_F(MailboxTest, KeysAreIgnoredWhileGreetingToneAndRecordingRun) {
    ASSERT_TRUE(line.Answer());
    Keys("1");
    Ops();
    for (int step = 0; step < 3; ++step) {
        Keys("9#*1");
        EXPECT_THAT(Ops(), IsEmpty());
        line.FinishPlay();
        Ops();
    }
    EXPECT_EQ(line.CurrentActivity(), TestLine::Activity::Recording);
}

TEST_F(MailboxTest, MailboxNameThatWouldLeaveTheFolderIsNotHandled) {
    Ogm("Main", "press1mbx", "%cid%");
    for (const char* caller : {"../Outside", "..", "a/b"}) {
        SCOPED_TRACE(caller);
        ASSERT_TRUE(line.Answer(5, caller));
        Keys("1");
        EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main")));
        line.HangUpCall();
    }
    // A harmless caller value names a mailbox inside the folder.
    ASSERT_TRUE(line.Answer(5, "0123"));
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), PromptOf("LeaveMessage")));
    line.FinishPlay();
    line.FinishPlay();
    EXPECT_TRUE(FileExists(Store().MailBoxes() + "0123.mbx"));
    EXPECT_FALSE(FileExists(dir.Path() + "Outside.mbx"));
}

TEST_F(MailboxTest, MessageDeletedWhileRecordedStaysDeleted) {
    ASSERT_TRUE(WriteFile(Mbx(), "[mbx]\nsendemail=true\nforwardtel=true\n"));
    StartMessage();
    // The owner deletes it on another line while the caller still speaks.
    ASSERT_TRUE(RemoveFileIfPresent(Message(0, ".wav")));
    ASSERT_TRUE(RemoveFileIfPresent(Message(0, ".ini")));
    notify.notices.clear();
    ASSERT_TRUE(line.FeedRecording(8000 * 10, 1000));
    line.HangUpCall();
    EXPECT_FALSE(FileExists(Message(0, ".ini")));
    EXPECT_FALSE(FileExists(Message(0, ".wav")));
    EXPECT_THAT(NoticeMessages(), IsEmpty());
    EXPECT_EQ(Key(Mbx(), "mbx", "unsentmessages"), "<missing>");
}

// The one rule (used by the engine, the delivery and the main window) for
// which files are a mailbox's messages: the mailbox name and " ICM" in any
// letter case, then digits only, then the extension.
TEST_F(MailboxTest, MessageFilesAreTheNameThenICMThenDigits) {
    struct Case {
        const char* file;
        const char* mailbox;
        const char* number;  // empty: not a message file of the mailbox
    };
    const Case cases[] = {
        {"Sales ICM000012.ini", "Sales", "000012"},
        {"SALES icm000012.ini", "Sales", "000012"},
        {"Sales ICM7.ini", "Sales", "7"},
        {"Sales ICMfoo ICM000001.ini", "Sales", ""},
        {"Sales ICM ICM000001.ini", "Sales", ""},
        {"Sales ICM ICM000001.ini", "Sales ICM", "000001"},
        {"Sales ICM2 ICM000001.ini", "Sales", ""},
        {"Sales ICM2 ICM000001.ini", "Sales ICM2", "000001"},
        {"Sales Dept ICM000001.ini", "Sales", ""},
        {"Sales ICM.ini", "Sales", ""},
        {"Sales ICM-1.ini", "Sales", ""},
        {"Sales ICM000012.wav", "Sales", ""},
        {"Sales ICM000012.ini.tmp", "Sales", ""},
        {" ICM000001.ini", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageNumberText(c.file, c.mailbox, ".ini"), c.number)
            << c.file << " of " << c.mailbox;
        EXPECT_EQ(IsMessageFileOf(c.file, c.mailbox, ".ini"), *c.number != '\0');
    }

    for (const char* file :
         {"Sales ICM000002.ini", "SALES ICM000001.ini", "Sales ICM2 ICM000001.ini",
          "Sales ICMfoo ICM000003.ini", "Sales OGM.wav", "Sales.mbx"})
        WriteFile(Store().MailBoxes() + file, "");
    EXPECT_THAT(ListMessageFiles("Sales"),
                ElementsAre(Store().MailBoxes() + "SALES ICM000001.ini",
                            Store().MailBoxes() + "Sales ICM000002.ini"));
    EXPECT_THAT(ListMessageFiles("Sales ICM2"),
                ElementsAre(Store().MailBoxes() + "Sales ICM2 ICM000001.ini"));
}

}  // namespace
}  // namespace orvia::test
