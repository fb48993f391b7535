// Blind and confirmed transfers, and the "play" and "record" file actions.
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "platform/files/text_file.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TransferTest : public EngineTest {
protected:
    TransferTest() {
        for (const char* prompt : {"TransferQuery", "RecordTone", "LeaveMessage"})
            WriteFile(PromptPath(prompt), "RIFF");
        Setting("settings", "ogm", "Main");
        OgmText("Main",
                "[ivr]\npress1=transfer\npress1transfer=204\n"
                "press2=transferconfirmed\npress2transfer=%number%\n"
                "press2transferfail=go\npress2transferfailgo=Sales\n"
                "press3=transferconfirmed\npress3transfer=300\n"
                "press9=hangup\n");
        Recording("Main");
        EmptyOgm("Sales");
        Recording("Sales");
    }

    // The confirmed transfer of key 2 up to the first question.
    void AskCalledParty() {
        ASSERT_TRUE(line.Answer());
        Keys("2");
        ASSERT_TRUE(line.FinishDial());
        ASSERT_THAT(Ops(), ElementsAre(PlayOf("Main"), "digits:!,", PromptOf("TransferQuery")));
    }
};

TEST_F(TransferTest, BlindTransferDialsPrefixNumberAndSuffixThenHangsUp) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> settings;
        std::vector<std::string> ops;
    } cases[] = {
        {{}, {"digits:!,204"}},
        {{{"blindprefix", "*8"}, {"blindsuffix", "#%cid%"}}, {"digits:*8204#555"}},
        {{{"blindtapi", "true"}}, {"transfer:!,204"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), "[settings]\nogm=Main\n"));
        for (const auto& [key, value] : c.settings)
            Setting("transfer", key, value);
        ASSERT_TRUE(line.Answer(5, "555"));
        Ops();
        Keys("1");
        EXPECT_EQ(Ops(), c.ops);
        // Keys during the transfer are dropped; the digits' end hangs up.
        Keys("9");
        EXPECT_THAT(Ops(), IsEmpty());
        if (line.FinishDial()) {
            EXPECT_THAT(Ops(), ElementsAre("drop"));
        }
        line.HangUpCall();
    }
}

TEST_F(TransferTest, UnansweredQuestionPlaysElevenTimesThenRunsTheFailAction) {
    AskCalledParty();
    int questions = 1;
    while (line.FinishPlay()) {
        std::vector<std::string> ops = Ops();
        if (ops != std::vector<std::string>{PromptOf("TransferQuery")}) {
            EXPECT_THAT(ops, ElementsAre("digits:!,"));
            break;
        }
        ++questions;
    }
    EXPECT_EQ(questions, 11);
    ASSERT_TRUE(line.FinishDial());
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Sales")));
}

TEST_F(TransferTest, AnyKeyButOneRejectsAtOnceAndWithoutFailActionTheOgmStartsAgain) {
    for (char reject : {'2', '#', 'A'}) {
        SCOPED_TRACE(reject);
        AskCalledParty();
        line.OnDigit(reject);
        EXPECT_THAT(Ops(), ElementsAre("digits:!,"));
        ASSERT_TRUE(line.FinishDial());
        EXPECT_THAT(Ops(), ElementsAre(PlayOf("Sales")));
        line.HangUpCall();
    }
    // Key 3 has no fail action: the caller hears the OGM again.
    Setting("transfer", "confirmedreject", "##");
    Setting("transfer", "confirmedrepeat", "0");
    ASSERT_TRUE(line.Answer());
    Keys("3");
    line.FinishDial();
    line.FinishPlay();
    line.FinishDial();
    EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), "digits:!,300", PromptOf("TransferQuery"),
                                   "digits:##", PlayOf("Main")));
}

TEST_F(TransferTest, AcceptDialsTheCompletionDigitsAndHangsUp) {
    Setting("transfer", "confirmedprefix", "&");
    Setting("transfer", "confirmedcomplete", "%cid%");
    ASSERT_TRUE(line.Answer(5, "777"));
    Ops();
    Keys("2");
    line.FinishDial();
    Keys("1");
    // The completion digits are not expanded.
    ASSERT_TRUE(line.FinishDial());
    EXPECT_THAT(Ops(), ElementsAre("digits:&", PromptOf("TransferQuery"), "digits:%cid%", "drop"));
}

TEST_F(TransferTest, NumberEnteredBeforeTheTransferIsDialled) {
    OgmText("Entry",
            "[ivr]\ntype=enternumber\nmaxdigits=3\npress#=transferconfirmed\n"
            "press#transfer=%number%\npress#transferfail=transferconfirmed\n"
            "press#transferfailtransfer=0\n");
    Recording("Entry");
    Setting("settings", "ogm", "Entry");
    Setting("transfer", "confirmedrepeat", "0");
    ASSERT_TRUE(line.Answer());
    Keys("204");
    line.FinishDial();
    line.FinishPlay();
    line.FinishDial();
    // The fail action is itself a confirmed transfer with its own fail key.
    line.FinishDial();
    Keys("2");
    line.FinishDial();
    EXPECT_THAT(Ops(),
                ElementsAre(PlayOf("Entry"), "digits:!,204", PromptOf("TransferQuery"), "digits:!,",
                            "digits:!,0", PromptOf("TransferQuery"), "digits:!,", PlayOf("Entry")));
}

TEST_F(TransferTest, PlayActionPlaysTheFileThenTheOgmAgain) {
    ASSERT_TRUE(WriteFile(dir.Path() + "tune.wav", "RIFF"));
    ASSERT_TRUE(WriteFile(dir.Path() + "song.mp3", "ID3"));
    struct Case {
        std::string file;
        std::string played;
    } cases[] = {
        {dir.Path() + "tune.wav", "play:tune.wav"},
        {dir.Path() + "song.mp3", "play:song.mp3"},
        {dir.Path() + "missing.wav", "play:none"},
        // A caller value may not bend the path.
        {dir.Path() + "%cid%.wav", "play:none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Ogm("Main", "press4", "play");
        Ogm("Main", "press4playfile", c.file);
        ASSERT_TRUE(line.Answer(5, "../tune"));
        Keys("4");
        // A file that cannot be opened ends at once.
        if (c.played != "play:none") {
            EXPECT_TRUE(line.FinishPlay());
        }
        EXPECT_THAT(Ops(), ElementsAre(PlayOf("Main"), c.played, PlayOf("Main")));
        line.HangUpCall();
    }
}

TEST_F(TransferTest, RecordActionRecordsAfterTheToneAndHandsTheFileToLevelControl) {
    const std::string first = dir.Path() + "first.wav";
    const std::string second = dir.Path() + "second.wav";
    Ogm("Main", "press4", "record");
    Ogm("Main", "press4recfile", first);
    Ogm("Main", "press5", "record");
    Ogm("Main", "press5recfile", dir.Path() + "second.wav");
    Ogm("Main", "press6", "record");
    Ogm("Main", "press6recfile", dir.Path() + "%cid%.wav");
    ASSERT_TRUE(line.Answer(5, "../x"));
    Keys("4");
    line.FinishPlay();
    EXPECT_THAT(Ops(),
                ElementsAre(PlayOf("Main"), PromptOf("RecordTone"), "record:300000,-20,50000"));
    ASSERT_TRUE(line.FeedRecording(4000));
    EXPECT_THAT(levelled.paths, IsEmpty());
    // The OGM's keys stay live; an unsafe path is not handled.
    Keys("6");
    EXPECT_THAT(Ops(), IsEmpty());
    Keys("5");
    EXPECT_THAT(levelled.paths, ElementsAre(first));
    EXPECT_TRUE(FileExists(first));
    line.FinishPlay();
    line.HangUpCall();
    EXPECT_THAT(levelled.paths, ElementsAre(first, second));
    EXPECT_TRUE(FileExists(second));
}

}  // namespace
}  // namespace orvia::test
