// Remote mailbox access: the access code, the message and set-up menus, the
// greeting, and the forwarding call's menu.
#include <dirent.h>
#include <algorithm>

#include <string>
#include <vector>

#include "engine/ivr_notify.h"
#include "engine_fixture.h"
#include "platform/text_file.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The names in folder ending in suffix, sorted: the order the engine must
// follow whatever order the directory listing gives.
std::vector<std::string> ListingOrder(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return names;
    while (const dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name.substr(0, name.size() - suffix.size()));
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

class RemoteAccessTest : public EngineTest {
protected:
    RemoteAccessTest() {
        for (const char* prompt :
             {"EnterAccessCode", "InvalidAccessCode", "MailBoxMessageMenu", "NoMoreMessagesMenu",
              "MailBoxSetup", "LeaveMessage", "RecordTone"})
            WriteFile(PromptPath(prompt), "RIFF");
        Setting("settings", "ogm", "Main");
        Ogm("Main", "press7", "mailboxaccess");
        Recording("Main");
    }

    std::string Mbx(const std::string& name) const { return Store().MailBoxes() + name + ".mbx"; }
    void Mailbox(const std::string& name, const std::string& code, bool remote = true) {
        ASSERT_TRUE(
            WriteFile(Mbx(name), "[mbx]\nremoteaccess=" + std::string(remote ? "true" : "false") +
                                     "\naccesscode=" + code + "\n"));
    }
    // Message base name "<mailbox> ICM<number>" with both files.
    std::string Message(const std::string& mailbox, int number) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06d", number);
        const std::string base = mailbox + " ICM" + digits;
        WriteFile(Store().MailBoxes() + base + ".wav", "RIFF");
        WriteFile(Store().MailBoxes() + base + ".ini", "[message]\nread=false\ncid=" + base + "\n");
        return base;
    }
    // The messages of a mailbox in the order the engine plays them.
    std::vector<std::string> MessageOrder(const std::string& mailbox) {
        std::vector<std::string> order;
        for (const std::string& base : ListingOrder(Store().MailBoxes(), ".ini"))
            if (base.rfind(mailbox + " ICM", 0) == 0)
                order.push_back(base);
        return order;
    }
    static std::string PlayMessage(const std::string& base) {
        return "play:MailBoxes/" + base + ".wav";
    }
    std::string Ini(const std::string& base) const { return Store().MailBoxes() + base + ".ini"; }
    std::string ReadKey(const std::string& base) {
        return ReadProfileString(Ini(base), "message", "read", "<missing>");
    }
    // Answers and starts access code entry.
    void EnterAccess() {
        ASSERT_TRUE(line.Answer());
        Keys("7");
        ASSERT_THAT(Ops(), ElementsAre(PlayOf("Main"), PromptOf("EnterAccessCode")));
    }
    std::vector<int> Notices(int message) const {
        std::vector<int> found;
        for (const RecordingNotify::Notice& notice : notify.notices)
            if (notice.message == message)
                found.push_back(message);
        return found;
    }
};

TEST_F(RemoteAccessTest, AccessCodeOpensTheMailboxThatAllowsItAndMatchesExactly) {
    Mailbox("Open", "");
    Mailbox("Sales", "1234");
    Mailbox("Locked", "999", false);
    Mailbox("Long", "1234567890123456789");
    const std::string open = Message("Open", 0);
    const std::string sales = Message("Sales", 0);
    Message("Locked", 0);
    const std::string longCode = Message("Long", 0);
    struct Case {
        const char* keys;
        std::string played;
    } cases[] = {
        {"1234#", PlayMessage(sales)},
        {"#", PlayMessage(open)},
        {"99*1234#", PlayMessage(sales)},
        {"999#", PromptOf("InvalidAccessCode")},
        {"123#", PromptOf("InvalidAccessCode")},
        {"12345#", PromptOf("InvalidAccessCode")},
        {"A1234B#", PlayMessage(sales)},
        // A twentieth digit is dropped.
        {"12345678901234567890#", PlayMessage(longCode)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        Setting("state", "newmessages", "true");
        EnterAccess();
        Keys(c.keys);
        EXPECT_THAT(Ops(), ElementsAre(c.played));
        const bool opened = c.played != PromptOf("InvalidAccessCode");
        EXPECT_EQ(ReadProfileString(Store().SettingsFile(), "state", "newmessages", ""),
                  opened ? "false" : "true");
        line.HangUpCall();
    }
}

TEST_F(RemoteAccessTest, MailboxesAreSearchedInFolderOrder) {
    for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"}) {
        Mailbox(name, "55");
        Message(name, 0);
    }
    const std::vector<std::string> order = ListingOrder(Store().MailBoxes(), ".mbx");
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order.front(), "Alpha");
    EnterAccess();
    Keys("55#");
    EXPECT_THAT(Ops(), ElementsAre(PlayMessage("Alpha ICM000000")));
}

TEST_F(RemoteAccessTest, CallerHasTwentySecondsFromTheEndOfThePrompt) {
    Mailbox("Sales", "1234");
    EnterAccess();
    ASSERT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre("wait:200000"));
    // Digits do not restart the wait.
    Keys("123");
    EXPECT_THAT(Ops(), IsEmpty());
    ASSERT_TRUE(line.FinishWait());
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
    ASSERT_TRUE(line.FinishPlay());
    EXPECT_THAT(Ops(), ElementsAre("drop"));
    line.HangUpCall();

    // A wrong code starts another 20 s after its prompt, without limit.
    EnterAccess();
    for (int attempt = 0; attempt < 3; ++attempt) {
        Keys("9#");
        ASSERT_TRUE(line.FinishPlay());
        EXPECT_THAT(Ops(), ElementsAre(PromptOf("InvalidAccessCode"), "wait:200000"));
    }
    Keys("1234#");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu")));
}

TEST_F(RemoteAccessTest, MessageMenuPlaysRepeatsSkipsAndRunsOut) {
    Mailbox("Sales", "1");
    for (int number : {0, 1, 2})
        Message("Sales", number);
    Message("Other", 0);
    const std::vector<std::string> order = MessageOrder("Sales");
    ASSERT_EQ(order.size(), 3u);
    EnterAccess();
    Keys("1#");
    EXPECT_THAT(Ops(), ElementsAre(PlayMessage(order[0])));
    // Marked read as it starts, and the main window told.
    EXPECT_EQ(ReadKey(order[0]), "true");
    EXPECT_EQ(ReadKey(order[1]), "false");
    ASSERT_FALSE(notify.notices.empty());
    EXPECT_EQ(notify.notices.back().message, kMsgMessageHeard);
    EXPECT_EQ(notify.notices.back().text, Ini(order[0]));

    // The end of a message brings its menu, then 5 s, then the next one.
    line.FinishPlay();
    line.FinishPlay();
    line.FinishWait();
    EXPECT_THAT(Ops(),
                ElementsAre(PromptOf("MailBoxMessageMenu"), "wait:50000", PlayMessage(order[1])));
    Keys("1");
    Keys("2");
    Keys("#");
    EXPECT_THAT(Ops(), ElementsAre(PlayMessage(order[1]), PlayMessage(order[2]),
                                   PromptOf("NoMoreMessagesMenu")));
    Keys("1");
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu"), PromptOf("NoMoreMessagesMenu")));
    line.FinishPlay();
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre("wait:150000", PromptOf("GoodBye")));
    EXPECT_EQ(Notices(kMsgMessageHeard).size(), 4u);
}

TEST_F(RemoteAccessTest, DeleteRemovesOnlyTheCurrentMessage) {
    Mailbox("Sales", "1");
    for (int number : {0, 1, 2})
        Message("Sales", number);
    const std::vector<std::string> order = MessageOrder("Sales");
    EnterAccess();
    Keys("1#");
    Ops();
    const std::string otherIni = ReadFile(Ini(order[2]));
    Keys("5");
    EXPECT_THAT(Ops(), ElementsAre("stop", PlayMessage(order[1])));
    EXPECT_FALSE(FileExists(Ini(order[0])));
    EXPECT_FALSE(FileExists(Store().MailBoxes() + order[0] + ".wav"));
    ASSERT_EQ(notify.notices.back().message, kMsgMessageDeleted);
    EXPECT_EQ(notify.notices.back().text, Ini(order[0]));
    EXPECT_TRUE(FileExists(Store().MailBoxes() + order[1] + ".wav"));
    EXPECT_EQ(ReadFile(Ini(order[2])), otherIni);

    // Files already gone (deleted on another line) are not reported, and the
    // replay does not bring the message back.
    ASSERT_TRUE(RemoveFileIfPresent(Ini(order[1])));
    ASSERT_TRUE(RemoveFileIfPresent(Store().MailBoxes() + order[1] + ".wav"));
    notify.notices.clear();
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre("play:none", PromptOf("MailBoxMessageMenu")));
    EXPECT_FALSE(FileExists(Ini(order[1])));
    Keys("5");
    EXPECT_THAT(Ops(), ElementsAre("stop", PlayMessage(order[2])));
    EXPECT_THAT(Notices(kMsgMessageDeleted), IsEmpty());

    // With no current message nothing is deleted and nothing reported.
    Keys("2");
    Ops();
    notify.notices.clear();
    Keys("5");
    EXPECT_THAT(Ops(), ElementsAre("stop", PromptOf("NoMoreMessagesMenu")));
    EXPECT_THAT(notify.notices, IsEmpty());
    EXPECT_TRUE(FileExists(Ini(order[2])));
}

TEST_F(RemoteAccessTest, MessagesGoneBeforeTheirTurnAreSkippedAndMissingAudioStillCountsAsHeard) {
    Mailbox("Sales", "1");
    for (int number : {0, 1, 2})
        Message("Sales", number);
    const std::vector<std::string> order = MessageOrder("Sales");
    ASSERT_TRUE(RemoveFileIfPresent(Store().MailBoxes() + order[0] + ".wav"));
    EnterAccess();
    Keys("1#");
    // The first has no audio: its menu follows at once and it reads as heard.
    EXPECT_THAT(Ops(), ElementsAre("play:none", PromptOf("MailBoxMessageMenu")));
    EXPECT_EQ(ReadKey(order[0]), "true");
    // The second is deleted elsewhere before its turn.
    ASSERT_TRUE(RemoveFileIfPresent(Ini(order[1])));
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PlayMessage(order[2])));
    // A message recorded meanwhile waits for the next start of the menu.
    Message("Sales", 7);
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu")));
}

TEST_F(RemoteAccessTest, SetupMenuPlaysAndRecordsTheGreeting) {
    Mailbox("Sales", "1");
    const std::string greeting = Store().MailBoxes() + "Sales OGM.wav";
    EnterAccess();
    Keys("1#");
    Keys("8");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu"), PromptOf("MailBoxSetup")));
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre("wait:200000"));
    // No greeting yet: callers hear "LeaveMessage".
    Keys("1");
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("LeaveMessage"), PromptOf("MailBoxSetup")));
    Keys("3");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("MailBoxSetup")));

    Keys("2");
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("RecordTone"), "record:300000,-20,50000"));
    ASSERT_TRUE(line.FeedRecording(8000, 500));
    // "#" ends the recording and goes back to the menu.
    Keys("#");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("MailBoxSetup")));
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre("wait:200000"));
    EXPECT_GT(ReadFile(greeting).size(), 8000u * 2);

    // The greeting now plays, and a second "MailBoxSetup" follows it.
    Keys("1");
    Keys("8");
    line.FinishPlay();
    EXPECT_THAT(Ops(), ElementsAre("play:MailBoxes/Sales OGM.wav", PromptOf("MailBoxSetup"),
                                   PromptOf("MailBoxSetup")));
    Keys("9");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("GoodBye")));
    line.HangUpCall();
    EXPECT_THAT(levelled.paths, ElementsAre(greeting));
}

TEST_F(RemoteAccessTest, SilenceInTheSetupMenuSaysGoodbyeAndStarOpensAnotherMailbox) {
    Mailbox("Sales", "1");
    Mailbox("Support", "2");
    const std::string support = Message("Support", 0);
    EnterAccess();
    Keys("1#8");
    line.FinishPlay();
    line.FinishWait();
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu"), PromptOf("MailBoxSetup"),
                                   "wait:200000", PromptOf("GoodBye")));
    line.HangUpCall();

    EnterAccess();
    Keys("1#");
    Keys("*");
    Keys("2#");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu"), PromptOf("EnterAccessCode"),
                                   PlayMessage(support)));
    Keys("8*");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("MailBoxSetup"), PromptOf("EnterAccessCode")));
}

TEST_F(RemoteAccessTest, ForwardingCallPlaysSixTimesOrOpensTheMessagesOnKeyOne) {
    ASSERT_TRUE(WriteFile(Mbx("Sales"), "[mbx]\nunforwardedmessages=true\n"));
    const std::string message = Message("Sales", 0);
    notify.forwardingMailbox = Mbx("Sales");
    line.CallConnected();
    int plays = 0;
    while (line.FinishPlay())
        ++plays;
    EXPECT_EQ(plays, 6);
    EXPECT_TRUE(line.Dropped());
    line.HangUpCall();
    Ops();

    Setting("state", "newmessages", "true");
    line.CallConnected();
    line.FinishPlay();
    Keys("3");
    Keys("1");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("ForwardMessage"), PromptOf("ForwardMessage"),
                                   PlayMessage(message)));
    EXPECT_EQ(ReadProfileString(Mbx("Sales"), "mbx", "unforwardedmessages", ""), "false");
    EXPECT_EQ(ReadProfileString(Store().SettingsFile(), "state", "newmessages", ""), "false");
    // The menus apply as after an access code.
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("NoMoreMessagesMenu")));
    line.HangUpCall();

    line.CallConnected();
    Keys("2");
    EXPECT_THAT(Ops(), ElementsAre(PromptOf("ForwardMessage"), "drop"));
}

}  // namespace
}  // namespace orvia::test
