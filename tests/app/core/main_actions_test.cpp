// The main window's lists and its message and mailbox actions, on files in a
// temporary data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/core/mailbox_actions.h"
#include "app/core/main_lists.h"
#include "app/core/message_actions.h"
#include "audio/pcm_file_sink.h"
#include "file_size_limit.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class RecordingPlayback : public DesktopPlayback {
public:
    bool Play(const LSoundSource& source, int device, int db) override {
        plays.push_back({source->GetLength(), device, db});
        return true;
    }
    void Stop() override {}
    bool IsPlaying() const override { return false; }
    void SetPlayingChanged(std::function<void(bool)>) override {}

    struct PlayCall {
        int32_t frames;
        int device;
        int db;
        bool operator==(const PlayCall&) const = default;
    };
    std::vector<PlayCall> plays;
};

class MainActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path() + "data"));
        ASSERT_TRUE(Store().CreateFolders());
    }

    std::string Settings() const { return Store().SettingsFile(); }
    std::string Box(const std::string& file) const { return Store().MailBoxes() + file; }

    // A message of frames frames of 16-bit 8000 Hz audio.
    std::string Message(const std::string& mailbox, int number, int32_t frames = 800) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%.6d", number);
        const std::string base = Box(mailbox + " ICM" + digits);
        {
            LSoundSink sink = CreatePCMWaveSink(base + ".wav", 8000, 1, 16, 0);
            std::vector<int32_t> samples(static_cast<std::size_t>(frames), 1600);
            sink->Write(samples.data(), frames);
        }
        EXPECT_TRUE(WriteProfileString(base + ".ini", "message", "read", "false"));
        return base + ".ini";
    }

    TempDir data_;
};

TEST_F(MainActionsTest, ListsFollowTheFilesAndSettings) {
    const std::string ogms = Store().OGMs();
    ASSERT_TRUE(WriteFile(ogms + "Sales.ini", "[ivr]\n"));
    ASSERT_TRUE(WriteFile(ogms + "Night.ini", "[ivr]\nanswer=TRUE\n"));
    ASSERT_TRUE(WriteFile(ogms + "Sub Menu.ini", "[ivr]\nanswer=false\n"));
    EXPECT_EQ(AnswerOgmNames(), (std::vector<std::string>{"Night", "Sales"}));
    EXPECT_EQ(AnsweringOgmName(), "Default Answering Message");

    EXPECT_EQ(ShownMailboxName(), "");
    ASSERT_TRUE(WriteFile(Box("Support.mbx"), ""));
    ASSERT_TRUE(WriteFile(Box("Accounts.mbx"), ""));
    EXPECT_EQ(ShownMailboxName(), "Accounts");  // "Default" missing: the first
    ASSERT_TRUE(WriteFile(Box("Default.mbx"), ""));
    EXPECT_EQ(ShownMailboxName(), "Default");
    SelectMailbox("Support");
    EXPECT_EQ(ShownMailboxName(), "Support");
    EXPECT_EQ(MailboxNames(), (std::vector<std::string>{"Accounts", "Default", "Support"}));

    ScopedFixedClock clock(MakeLocalSeconds({2024, 3, 9, 14, 5, 7, 0}));
    const std::string first = Message("Support", 3);
    ASSERT_TRUE(WriteProfileDateTime(first, "message", "datetime", LocalNow()));
    ASSERT_TRUE(WriteProfileString(first, "message", "cid", "5551234"));
    ASSERT_TRUE(WriteProfileString(first, "message", "read", "true"));
    const std::string second = Message("Support", 12);
    Message("Support Desk", 1);  // another mailbox whose name starts alike
    const std::vector<MessageItem> items = MessageItems("Support");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].messageIni, second);  // added later: on top
    EXPECT_EQ(items[0].number, "000012");
    EXPECT_EQ(items[0].date, "");
    EXPECT_FALSE(items[0].read);
    EXPECT_EQ(items[1].number, "000003");
    EXPECT_EQ(items[1].time, "14:05:07");
    EXPECT_EQ(items[1].callerId, "5551234");
    EXPECT_TRUE(items[1].read);

    EXPECT_TRUE(MessageBelongsTo(second, "support"));
    EXPECT_FALSE(MessageBelongsTo(second, "Sup"));
    EXPECT_FALSE(MessageBelongsTo(Box("Support Desk ICM000001.ini"), "Support"));
    EXPECT_FALSE(MessageBelongsTo(second, ""));
}

TEST_F(MainActionsTest, PlaySaveAndDeleteMessages) {
    const std::string message = Message("Default", 7, 1234);
    ASSERT_TRUE(WriteProfileBool(Settings(), "state", "newmessages", true));
    ASSERT_TRUE(WriteProfileInt(Settings(), "settings", "playdevice", 2));
    ASSERT_TRUE(WriteProfileDb(Settings(), "settings", "playvolume", 4));

    RecordingPlayback playback;
    ASSERT_TRUE(PlayMessage(playback, message));
    EXPECT_EQ(playback.plays, (std::vector<RecordingPlayback::PlayCall>{{1234, 2, 4}}));
    EXPECT_EQ(ReadProfileString(message, "message", "read", ""), "true");
    EXPECT_EQ(ReadProfileString(Settings(), "state", "newmessages", ""), "false");

    const std::string other = Message("Default", 8);
    ASSERT_TRUE(::unlink(Box("Default ICM000008.wav").c_str()) == 0);
    EXPECT_FALSE(PlayMessage(playback, other));
    EXPECT_EQ(ReadProfileString(other, "message", "read", ""), "false");

    // Save as: the dialog starts in the last folder with the file's name.
    EXPECT_EQ(SaveDialogStart(message), "Default ICM000007.wav");
    const std::string saved = data_.Path() + "saved.wav";
    ASSERT_TRUE(WriteFile(saved, "older file"));
    ASSERT_TRUE(SaveMessageAs(message, saved));
    EXPECT_EQ(ReadFile(saved), ReadFile(Box("Default ICM000007.wav")));
    EXPECT_EQ(ReadProfileString(Settings(), "settings", "saveaspath", ""), data_.Path());
    EXPECT_EQ(SaveDialogStart(message), data_.Path() + "Default ICM000007.wav");
    EXPECT_FALSE(SaveMessageAs(message, data_.Path() + "no folder/x.wav"));
    EXPECT_FALSE(SaveMessageAs(other, saved));  // its recording is gone
    EXPECT_EQ(ReadFile(saved), ReadFile(Box("Default ICM000007.wav")));

    EXPECT_TRUE(DeleteMessage(message));
    EXPECT_FALSE(FileExists(message));
    EXPECT_FALSE(FileExists(Box("Default ICM000007.wav")));
    EXPECT_TRUE(DeleteMessage(other));  // recording already gone
    EXPECT_FALSE(FileExists(other));
}

TEST_F(MainActionsTest, NewRenameAndDeleteMailbox) {
    EXPECT_EQ(ProposeNewMailboxName(), "Mailbox 1");
    ASSERT_TRUE(CreateMailbox("Mailbox 1"));
    EXPECT_EQ(ReadProfileString(Box("Mailbox 1.mbx"), "mbx", "remoteaccess", ""), "false");
    EXPECT_FALSE(CreateMailbox("Mailbox 1"));  // exists
    EXPECT_EQ(ProposeNewMailboxName(), "Mailbox 2");
    for (const char* bad : {"", "..", ".hidden", "a/b", "../Outside", "Trailing "})
        EXPECT_FALSE(CreateMailbox(bad)) << bad;

    ASSERT_TRUE(CreateMailbox("Sales"));
    const std::string first = Message("Sales", 1);
    Message("Sales", 2);
    ASSERT_TRUE(WriteFile(Box("Sales OGM.wav"), "greeting"));
    Message("Sales Dept", 1);
    ASSERT_TRUE(CreateMailbox("Sales Dept"));

    EXPECT_FALSE(RenameMailbox("Sales", "Sales Dept"));  // taken
    EXPECT_FALSE(RenameMailbox("Nobody", "Anyone"));
    EXPECT_FALSE(RenameMailbox("Sales", "../Sales"));
    ASSERT_TRUE(RenameMailbox("Sales", "Orders"));
    EXPECT_EQ(ShownMailboxName(), "Orders");
    for (const char* file :
         {"Orders.mbx", "Orders ICM000001.ini", "Orders ICM000001.wav", "Orders ICM000002.ini",
          "Orders ICM000002.wav", "Orders OGM.wav", "Sales Dept ICM000001.ini", "Sales Dept.mbx"})
        EXPECT_TRUE(FileExists(Box(file))) << file;
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(Box("Sales.mbx")));
    EXPECT_EQ(ReadFile(Box("Orders OGM.wav")), "greeting");

    ASSERT_TRUE(DeleteMailbox("Orders"));
    EXPECT_TRUE(MessageItems("Orders").empty());
    EXPECT_FALSE(FileExists(Box("Orders.mbx")));
    EXPECT_FALSE(FileExists(Box("Orders OGM.wav")));
    EXPECT_FALSE(FileExists(Box("Orders ICM000002.wav")));
    EXPECT_TRUE(FileExists(Box("Sales Dept ICM000001.wav")));
    EXPECT_FALSE(DeleteMailbox("Orders"));
}

// Message files are matched to their mailbox without regard to letter case,
// so two mailboxes whose names differ only in case would share messages: no
// action makes such a pair. A change of case alone is a rename like others.
TEST_F(MainActionsTest, MailboxNamesDifferOtherwiseThanInLetterCase) {
    ASSERT_TRUE(CreateMailbox("Sales"));
    Message("Sales", 1);
    ASSERT_TRUE(CreateMailbox("Orders"));
    EXPECT_FALSE(CreateMailbox("SALES"));
    EXPECT_FALSE(RenameMailbox("Orders", "sales"));
    EXPECT_FALSE(FileExists(Box("SALES.mbx")));
    EXPECT_TRUE(FileExists(Box("Orders.mbx")));

    ASSERT_TRUE(WriteFile(Box("mailbox 1.mbx"), ""));
    EXPECT_EQ(ProposeNewMailboxName(), "Mailbox 2");

    ASSERT_TRUE(RenameMailbox("Sales", "SALES"));
    EXPECT_TRUE(FileExists(Box("SALES ICM000001.ini")));
    EXPECT_EQ(MessageItems("SALES").size(), 1u);
}

TEST_F(MainActionsTest, EmailByHandConvertsOnceAndStopsAtACancelledConversion) {
    // No mail server is configured: the sender refuses every mail, which the
    // action counts but does not stop for.
    const std::string plain = Message("Default", 1);  // no "compressed": sent as stored
    const std::string waiting = Message("Default", 2);
    ASSERT_TRUE(WriteProfileBool(waiting, "message", "compressed", false));
    const std::string before = ReadFile(Box("Default ICM000002.wav"));

    ManualEmail email;
    email.mailboxName = "Default";
    email.messageInis = {plain, waiting};
    email.address = "owner@example.com";
    email.note = "Please call back";
    int lastPercent = -1;
    email.progress = [&](int percent) { lastPercent = percent; };
    const ManualEmailResult result = EmailMessages(email);
    EXPECT_EQ(result.sent, 2);
    EXPECT_EQ(result.accepted, 0);
    EXPECT_FALSE(result.stopped);
    EXPECT_NE(result.failure.find("no SMTP server is configured"), std::string::npos)
        << result.failure;
    EXPECT_EQ(LastEmailAddress(), "owner@example.com");
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(ReadProfileString(waiting, "message", "compressed", ""), "true");
    const std::string after = ReadFile(Box("Default ICM000002.wav"));
    EXPECT_NE(after, before);  // 8-bit PCM by default: half the data
    EXPECT_EQ(static_cast<uint8_t>(after[34]), 8);

    // A cancelled conversion ends the action: the messages after it are not sent.
    const std::string third = Message("Default", 3);
    ASSERT_TRUE(WriteProfileBool(third, "message", "compressed", false));
    email.messageInis = {plain, third, waiting};
    email.cancelled = [] { return true; };
    const ManualEmailResult cancelled = EmailMessages(email);
    EXPECT_EQ(cancelled.sent, 1);
    EXPECT_TRUE(cancelled.stopped);
    EXPECT_EQ(ReadProfileString(third, "message", "compressed", ""), "false");

    // A conversion that fails on a full disk stops the action too, and says why.
    email.messageInis = {third, plain};
    email.cancelled = nullptr;
    ManualEmailResult full;
    {
        test::ScopedFileSizeLimit limit(400);  // less than the 800 frames
        full = EmailMessages(email);
    }
    EXPECT_EQ(full.sent, 0);
    EXPECT_TRUE(full.stopped);
    EXPECT_NE(full.failure.find("ICM000003.wav could not be compressed"), std::string::npos)
        << full.failure;
    EXPECT_EQ(ReadProfileString(third, "message", "compressed", ""), "false");
}

}  // namespace
}  // namespace orvia
