// Whole calls through `orvia simulate`: the real engine, line, player and
// recorder on a simulated line, against OGM, prompt and mailbox files in a
// temporary data folder. Each test reads the call's transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/simulate/simulation.h"
#include "app/simulate/simulation_script.h"
#include "audio/pcm_file_sink.h"
#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

class SimulationTest : public ::testing::Test {
protected:
    SimulationTest() {
        SetStore(SettingsStore::ForDataFolder(dir.Path()));
        for (const char* folder : {"OGMs", "System Prompts", "MailBoxes", "Logs"})
            std::filesystem::create_directories(dir.Path() + folder);
        // The prompts the flows below meet, each half a second long.
        for (const char* prompt :
             {"GoodBye", "InvalidOption", "LeaveMessage", "RecordTone", "TransferQuery",
              "EnterAccessCode", "InvalidAccessCode", "MailBoxMessageMenu", "NoMoreMessagesMenu"})
            Wave(std::string("System Prompts/") + prompt + ".wav", 500);
        Setting("settings", "ogm", "Main");
        Setting("settings", "nrings", "1");
        Ogm("Main", "[ivr]\nwait=6\npress1=mailbox\npress1mbx=Sales\npress9=hangup\n");
        Wave("OGMs/Main.wav", 3000);
    }

    // A WAVE file of 8000 frames a second, one channel, at a steady level.
    void Wave(const std::string& path, int ms, int16_t level = 3000) {
        LSoundSink sink = CreatePCMWaveSink(dir.Path() + path, 8000, 1, 16, 0);
        ASSERT_FALSE(IsInvalid(sink));
        std::vector<int32_t> block(static_cast<std::size_t>(ms) * 8, level * 16);
        sink->Write(block.data(), ms * 8);
    }
    void Setting(const std::string& section, const std::string& key, const std::string& value) {
        ASSERT_TRUE(WriteProfileString(Store().SettingsFile(), section, key, value));
    }
    void Ogm(const std::string& name, const std::string& text) {
        ASSERT_TRUE(test::WriteFile(dir.Path() + "OGMs/" + name + ".ini", text));
    }
    void Mailbox(const std::string& name, const std::string& text) {
        ASSERT_TRUE(test::WriteFile(dir.Path() + "MailBoxes/" + name + ".mbx", text));
    }

    // Runs the script; the transcript, one line an element.
    std::vector<std::string> Run(const std::string& text) {
        SimulationScript script;
        std::string error;
        EXPECT_TRUE(ParseSimulationScript(text, dir.Path(), WaveVoiceLoader(), &script, &error))
            << error;
        std::ostringstream out;
        EXPECT_TRUE(RunSimulation(script, out, &error)) << error;
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    test::TempDir dir;
};

TEST_F(SimulationTest, TheCallIsAnsweredAtTheRingTheSettingsAsk) {
    struct Case {
        const char* key;
        const char* value;
        const char* newMessages;
        int answeredAt;  // 0: never
    };
    const Case cases[] = {
        {"nrings", "3", "false", 3},
        {"tollsaver", "true", "true", 3},
        {"tollsaver", "true", "false", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value + " new=" + c.newMessages);
        Setting("settings", "nrings", "1");
        Setting("settings", "tollsaver", "false");
        Setting("settings", c.key, c.value);
        Setting("state", "newmessages", c.newMessages);
        const auto lines = Run("at 0 hangup\n");
        std::vector<std::string> rings;
        for (int n = 1; n < c.answeredAt; ++n)
            rings.push_back("ring " + std::to_string(n) + " declined");
        rings.push_back("ring " + std::to_string(c.answeredAt) + " answered");
        rings.push_back("T+0000.000 connected");
        ASSERT_GE(lines.size(), rings.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + rings.size()), rings);
    }
}

TEST_F(SimulationTest, ACallerWhoIsNotAnsweredGivesUp) {
    Setting("state", "on", "false");
    const auto lines = Run("rings 2\n");
    EXPECT_THAT(lines, ElementsAre("ring 1 declined", "ring 2 declined", "T+0000.000 hangup caller",
                                   "T+0000.000 end"));
}

TEST_F(SimulationTest, AnOgmKeyLeadsToAMailboxWhereTheMessageIsKept) {
    Wave("voice.wav", 5000, 8000);
    const auto lines =
        Run("caller 5551234 Jane\n"
            "clock 2024-01-15 10:00:00\n"
            "at 1 press 1\n"
            "at 2 say voice.wav\n"
            "at 9 hangup\n");
    EXPECT_THAT(
        lines, ElementsAre(
                   "ring 1 answered", "T+0000.000 connected", "T+0000.000 play OGMs/Main.wav",
                   "T+0001.000 key 1", "T+0001.000 play System Prompts/LeaveMessage.wav",
                   "T+0001.500 play System Prompts/RecordTone.wav", "T+0002.000 say voice.wav",
                   "T+0002.000 message-new MailBoxes/Sales ICM000000.ini",
                   "T+0002.000 record MailBoxes/Sales ICM000000.wav", "T+0009.000 hangup caller",
                   "T+0009.000 record-stop MailBoxes/Sales ICM000000.wav 5.100", "T+0009.000 end",
                   "file MailBoxes/Sales ICM000000.ini", "file MailBoxes/Sales ICM000000.wav 5.100",
                   "file MailBoxes/Sales.mbx", "file settings.ini"));
    const std::string ini = dir.Path() + "MailBoxes/Sales ICM000000.ini";
    EXPECT_EQ(ReadProfileString(ini, "message", "cid", ""), "5551234");
    EXPECT_EQ(ReadProfileString(ini, "message", "cidname", ""), "Jane");
    // The clock runs with the call: the recording began 2 s after the ring.
    LocalFields ring;
    ring.year = 2024;
    ring.month = 1;
    ring.day = 15;
    ring.hour = 10;
    EXPECT_EQ(ReadProfileDateTime(ini, "message", "datetime", 0), MakeLocalSeconds(ring) + 2);
}

TEST_F(SimulationTest, AShortMessageIsDiscarded) {
    Wave("voice.wav", 2000, 8000);
    const auto lines = Run("at 0.5 press 1\nat 1.5 say voice.wav\nat 4 hangup\n");
    EXPECT_THAT(lines, Contains("T+0004.000 message-deleted MailBoxes/Sales ICM000000.ini"));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("file MailBoxes/Sales ICM000000"))));
    EXPECT_THAT(lines, Contains("file MailBoxes/Sales.mbx"));
}

TEST_F(SimulationTest, ACallerWhoStaysSilentIsHungUpOn) {
    const auto lines = Run("at 0.5 press 1\n");
    // The recording starts at 1.5 s; 5 s of silence later the line hangs up.
    EXPECT_THAT(
        lines, IsSupersetOf(
                   {"T+0001.500 record MailBoxes/Sales ICM000000.wav", "T+0006.600 hangup system",
                    "T+0006.600 record-stop MailBoxes/Sales ICM000000.wav 0.000",
                    "T+0006.600 message-deleted MailBoxes/Sales ICM000000.ini", "T+0006.600 end"}));
}

TEST_F(SimulationTest, TheOwnerHearsMessagesWithTheAccessCode) {
    Ogm("Main", "[ivr]\nwait=6\npress*=mailboxaccess\n");
    Mailbox("Sales", "[mbx]\nremoteaccess=true\naccesscode=1234\nmsgno=1\n");
    Wave("MailBoxes/Sales ICM000000.wav", 4000);
    ASSERT_TRUE(test::WriteFile(dir.Path() + "MailBoxes/Sales ICM000000.ini",
                                "[message]\nread=false\ncid=5550000\n"));
    const auto lines =
        Run("at 1 press *\n"
            "at 2 press 99#\n"  // a wrong code first
            "at 4 press 1234#\n"
            "at 9 press 9\n");
    EXPECT_THAT(
        lines,
        ElementsAre("ring 1 answered", "T+0000.000 connected", "T+0000.000 play OGMs/Main.wav",
                    "T+0001.000 key *", "T+0001.000 play System Prompts/EnterAccessCode.wav",
                    "T+0001.500 wait 20.000", "T+0002.000 key 9", "T+0002.150 key 9",
                    "T+0002.300 key #", "T+0002.300 play System Prompts/InvalidAccessCode.wav",
                    "T+0002.800 wait 20.000", "T+0004.000 key 1", "T+0004.150 key 2",
                    "T+0004.300 key 3", "T+0004.450 key 4", "T+0004.600 key #",
                    "T+0004.600 message-heard MailBoxes/Sales ICM000000.ini",
                    "T+0004.600 play MailBoxes/Sales ICM000000.wav",
                    "T+0008.600 play System Prompts/MailBoxMessageMenu.wav", "T+0009.000 key 9",
                    "T+0009.000 play System Prompts/GoodBye.wav", "T+0009.500 hangup system",
                    "T+0009.500 end", "file MailBoxes/Sales ICM000000.ini",
                    "file MailBoxes/Sales.mbx", "file settings.ini"));
    EXPECT_EQ(
        ReadProfileString(dir.Path() + "MailBoxes/Sales ICM000000.ini", "message", "read", ""),
        "true");
}

TEST_F(SimulationTest, WrongAccessCodesEndTheCallAndLockTheMailbox) {
    Ogm("Main", "[ivr]\nwait=6\npress*=mailboxaccess\n");
    Mailbox("Sales", "[mbx]\nremoteaccess=true\naccesscode=1234\n");
    Wave("MailBoxes/Sales ICM000000.wav", 1000);
    ASSERT_TRUE(
        test::WriteFile(dir.Path() + "MailBoxes/Sales ICM000000.ini", "[message]\nread=false\n"));
    const std::string heard = "message-heard MailBoxes/Sales ICM000000.ini";
    // A caller keying codes without end is sent away after the third.
    std::string flood;
    for (int i = 0; i < 30; ++i)
        flood += std::to_string(i % 10) + "#";
    auto lines = Run("caller 5550123\nclock 2024-01-15 10:00:00\nat 1 press *\nat 2 press " +
                     flood + "\nat 30 press 1234#\n");
    EXPECT_THAT(
        lines,
        IsSupersetOf({"T+0002.150 key #", "T+0002.150 play System Prompts/InvalidAccessCode.wav",
                      "T+0002.750 key #", "T+0003.250 play System Prompts/GoodBye.wav",
                      "T+0003.750 hangup system"}));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("InvalidAccessCode") != std::string::npos;
                            }),
              3);
    EXPECT_THAT(lines, Not(Contains(HasSubstr("message-heard"))));
    EXPECT_THAT(lines, Contains("file MailBoxes/Sales.mbx"));

    // Three more calls of three wrong codes within the hour: the tenth locks
    // the mailbox, and the right code no longer opens it.
    for (const char* clock : {"10:05:00", "10:10:00", "10:15:00"})
        Run(std::string("clock 2024-01-15 ") + clock + "\nat 1 press *\nat 2 press 1#2#3#\n");
    lines = Run("clock 2024-01-15 10:20:00\nat 1 press *\nat 2 press 1234#\n");
    EXPECT_THAT(lines, Contains("T+0002.600 play System Prompts/InvalidAccessCode.wav"));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("message-heard"))));
    // A quarter of an hour after the lock it opens again.
    lines = Run("clock 2024-01-15 10:31:00\nat 1 press *\nat 2 press 1234#\n");
    EXPECT_THAT(lines, Contains("T+0002.600 " + heard));
    std::string log = test::ReadFile(dir.Path() + "Logs/Log 24-01-15.txt");
    EXPECT_THAT(log, HasSubstr("line0 5550123 [Wrong Access Code] Sales"));
}

TEST_F(SimulationTest, AConfirmedTransferIsAcceptedOrRejectedByTheCalledParty) {
    Ogm("Main",
        "[ivr]\nwait=6\npress2=transferconfirmed\npress2transfer=201\n"
        "press2transferfail=goodbye\n");
    Setting("transfer", "confirmedcomplete", "#9");
    // The flash, a pause and three digits take 2.95 s; then the called party
    // hears the question.
    const std::vector<std::string> common = {"T+0000.500 key 2", "T+0000.500 dial !,201",
                                             "T+0003.450 play System Prompts/TransferQuery.wav"};

    auto accepted = Run("at 0.5 press 2\nat 3.6 press 1\n");
    EXPECT_THAT(accepted, IsSupersetOf(common));
    EXPECT_THAT(accepted, IsSupersetOf({"T+0003.600 key 1", "T+0003.600 dial #9",
                                        "T+0003.900 hangup system", "T+0003.900 end"}));

    auto rejected = Run("at 0.5 press 2\nat 3.6 press 2\n");
    EXPECT_THAT(rejected, IsSupersetOf(common));
    EXPECT_THAT(rejected, IsSupersetOf({"T+0003.600 key 2", "T+0003.600 dial !,",
                                        "T+0006.100 play System Prompts/GoodBye.wav",
                                        "T+0006.600 hangup system", "T+0006.600 end"}));
}

TEST_F(SimulationTest, AFaxToneDialsTheFaxDigitsOrIsLeftAlone) {
    Setting("settings", "fax", "true");
    Setting("settings", "faxdial", "55");
    auto dialled = Run("at 1 fax\n");
    EXPECT_THAT(dialled,
                IsSupersetOf({"T+0001.000 fax", "T+0001.000 handoff fax (no target)",
                              "T+0001.000 dial 55", "T+0001.300 hangup system", "T+0001.300 end"}));

    Setting("settings", "fax", "false");
    auto ignored = Run("at 1 fax\nat 2 press 9\n");
    EXPECT_THAT(ignored, IsSupersetOf({"T+0001.000 handoff fax (no target)", "T+0002.000 key 9",
                                       "T+0002.000 hangup system"}));
    EXPECT_THAT(ignored, Not(Contains(HasSubstr("dial"))));
}

TEST_F(SimulationTest, HangUpsAndBusyTonesInBothDisconnectModes) {
    struct Case {
        const char* detect;
        const char* action;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"true", "hangup", {"T+0001.000 hangup caller", "T+0001.000 end"}},
        {"true", "busy", {"T+0001.000 busy", "T+0001.000 end"}},
        // End-of-call detection off: the OGM plays out and waits its 6 s;
        // its end says goodbye to nobody and hangs up.
        {"false",
         "hangup",
         {"T+0001.000 hangup caller", "T+0003.000 wait 6.000",
          "T+0009.000 play System Prompts/GoodBye.wav", "T+0009.500 end"}},
        {"false", "busy", {"T+0001.000 busy", "T+0001.000 end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.detect) + " " + c.action);
        Setting("settings", "detectendofcall", c.detect);
        const auto lines = Run(std::string("at 1 ") + c.action + "\n");
        EXPECT_THAT(lines, IsSupersetOf(c.expected));
        EXPECT_EQ(lines.back(), c.expected.back());
    }
}

TEST_F(SimulationTest, TheCommandReportsBadScriptsAndDataFolders) {
    std::ostringstream out, err;
    EXPECT_EQ(SimulateCommand({}, out, err), 2);
    EXPECT_THAT(err.str(), HasSubstr("usage: orvia simulate SCRIPT"));

    ASSERT_TRUE(test::WriteFile(dir.Path() + "bad.txt", "rings 3\nat 1 whistle\n"));
    err.str("");
    EXPECT_EQ(SimulateCommand({dir.Path() + "bad.txt"}, out, err), 1);
    EXPECT_THAT(err.str(), HasSubstr("bad.txt:2: unknown action \"whistle\""));

    ASSERT_TRUE(test::WriteFile(dir.Path() + "good.txt", "at 1 hangup\n"));
    err.str("");
    EXPECT_EQ(SimulateCommand({dir.Path() + "good.txt"}, out, err), 0);
    EXPECT_THAT(out.str(), HasSubstr("T+0001.000 end"));

    SetStore(SettingsStore::ForDataFolder(dir.Path() + "missing/"));
    err.str("");
    EXPECT_EQ(SimulateCommand({dir.Path() + "good.txt"}, out, err), 1);
    EXPECT_THAT(err.str(), HasSubstr("missing/ does not exist"));
}

}  // namespace
}  // namespace orvia
