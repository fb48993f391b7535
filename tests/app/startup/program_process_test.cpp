// The orvia program as a process: headless service mode, the exit signals,
// the single instance and the uninstall's exit request, each run in a data
// folder, runtime folder and config folder of the test's own.
#include <signal.h>
#include <sys/stat.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/startup/installed_data_p.h"
#include "audio/wave_header_p.h"
#include "file_mode_helpers.h"
#include "peer_process.h"
#include "platform/files/text_file.h"
#include "platform/process/process_child.h"
#include "platform/time/clock.h"
#include "program_runner.h"
#include "scoped_environment.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

using test::FileExists;
using test::Program;
using test::ReadFile;
using test::ScopedEnvironment;
using test::TempDir;
using test::WriteFile;

using ProgramProcessTest = test::ProgramFolderTest;

TEST_F(ProgramProcessTest, ServiceRunsWithoutADisplayAndSigtermEndsItCleanly) {
    Program service({"/service"});
    ASSERT_TRUE(service.Started());
    ASSERT_TRUE(service.WaitForOutput("Orvia running")) << service.Output();
    EXPECT_NE(service.Output().find(store_.DataFolder()), std::string::npos);
    // The lines are set up a second after the start, from the telephony
    // configuration.
    ASSERT_TRUE(service.WaitForOutput("Orvia: Line 1 on device 0 (Simulated Line): listening"))
        << service.Output();
    EXPECT_EQ(ReadProfileString(store_.SettingsFile(), "line0", "name", ""), "Line 1");

    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();
    EXPECT_NE(service.Output().find("Orvia: stopped"), std::string::npos);
    const std::string log = TodaysLog();
    ASSERT_NE(log.find("Orvia Run"), std::string::npos) << log;
    ASSERT_NE(log.find("Orvia Exit"), std::string::npos) << log;
    EXPECT_LT(log.find("Orvia Run"), log.find("Orvia Exit"));
}

TEST_F(ProgramProcessTest, WithADisplayTheWindowRunsAndSigtermEndsIt) {
    Set("DISPLAY", ":0");
    Set("QT_QPA_PLATFORM", "offscreen");
    Program window({});
    ASSERT_TRUE(window.WaitForOutput("Orvia running")) << window.Output();
    EXPECT_NE(window.Output().find("Orvia: window on the offscreen display"), std::string::npos)
        << window.Output();
    ASSERT_TRUE(window.WaitForOutput("listening for calls")) << window.Output();
    ASSERT_EQ(::kill(window.Pid(), SIGTERM), 0);
    EXPECT_EQ(window.Finish(), 0) << window.Output();
    EXPECT_NE(window.Output().find("Orvia: stopped"), std::string::npos);
    EXPECT_NE(TodaysLog().find("Orvia Exit"), std::string::npos);
}

TEST_F(ProgramProcessTest, ADisplayThatCannotBeReachedRunsHeadlessAndTheServiceNeverTriesIt) {
    // No X server answers on this display: the start runs without a window
    // instead of ending.
    Set("DISPLAY", ":987");
    Set("QT_QPA_PLATFORM", nullptr);
    Program window({});
    ASSERT_TRUE(window.WaitForOutput("running without a window")) << window.Output();
    ASSERT_TRUE(window.WaitForOutput("listening for calls")) << window.Output();
    ASSERT_EQ(::kill(window.Pid(), SIGTERM), 0);
    EXPECT_EQ(window.Finish(), 0) << window.Output();

    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("listening for calls")) << service.Output();
    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();
    EXPECT_EQ(service.Output().find("display"), std::string::npos) << service.Output();
}

TEST_F(ProgramProcessTest, SecondStartSignalsTheFirstAndEnds) {
    Program first({});
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.WaitForOutput("Orvia running")) << first.Output();

    Program atLogon({"/logon"});
    EXPECT_EQ(atLogon.Finish(), 0);
    EXPECT_NE(atLogon.Output().find("already running for " + store_.DataFolder() + " (pid " +
                                    std::to_string(first.Pid())),
              std::string::npos)
        << atLogon.Output();
    ASSERT_TRUE(first.WaitForOutput("signalled (at logon)")) << first.Output();

    Program again({"--service"});
    EXPECT_EQ(again.Finish(), 0);
    ASSERT_TRUE(first.WaitForOutput("signalled; this instance")) << first.Output();
    EXPECT_EQ(first.Output().find("Orvia running", first.Output().find("signalled")),
              std::string::npos);  // only one instance ran

    ASSERT_EQ(::kill(first.Pid(), SIGINT), 0);
    EXPECT_EQ(first.Finish(), 0) << first.Output();
    EXPECT_NE(TodaysLog().find("Orvia Exit"), std::string::npos);
}

TEST_F(ProgramProcessTest, AStartThatCannotClaimTheDataFolderSaysWhyAndDoesNotRun) {
    // Something that is no lock file sits where the lock must go.
    ASSERT_EQ(::mkdir((store_.DataFolder() + "orvia.lock").c_str(), 0700), 0);
    Program start({"/service"});
    EXPECT_EQ(start.Finish(), 1);
    EXPECT_EQ(start.Output().find("Orvia running"), std::string::npos) << start.Output();
    EXPECT_EQ(TodaysLog().find("Orvia Run"), std::string::npos);
}

TEST_F(ProgramProcessTest, UninstallEndsTheRunningInstanceFirst) {
    if (FileExists("/etc/systemd/system/orvia.service"))
        GTEST_SKIP() << "this machine has an Orvia system unit the uninstall would remove";
    Program running({"/service"});
    ASSERT_TRUE(running.WaitForOutput("Orvia running")) << running.Output();

    Program uninstall({"--uninstall", "--yes"});
    EXPECT_EQ(uninstall.Finish(), 0) << uninstall.Output();
    EXPECT_EQ(running.Finish(), 0) << running.Output();
    EXPECT_NE(running.Output().find("Orvia: stopped"), std::string::npos);
    struct stat st {};
    EXPECT_NE(::stat(store_.DataFolder().c_str(), &st), 0);
}

TEST_F(ProgramProcessTest, AStartWritesSettingsAndLogsPrivatelyWhateverTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        std::optional<test::ScopedUmask> scoped(std::in_place, mask);  // the program inherits it
        ASSERT_TRUE(RemoveFileIfPresent(store_.SettingsFile()));
        for (int64_t day = -1; day <= 1; ++day)
            ASSERT_TRUE(RemoveFileIfPresent(DailyLogPath(LocalNow() + day * 86400)));
        {
            Program service({"/service"});
            ASSERT_TRUE(service.WaitForOutput("listening")) << service.Output();
            ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
            EXPECT_EQ(service.Finish(), 0) << service.Output();
        }
        scoped.reset();
        struct stat st {};
        ASSERT_EQ(::stat(store_.SettingsFile().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        bool logged = false;
        for (int64_t day = -1; day <= 1; ++day) {
            if (::stat(DailyLogPath(LocalNow() + day * 86400).c_str(), &st) == 0) {
                logged = true;
                EXPECT_EQ(st.st_mode & 0777, 0600u);
            }
        }
        EXPECT_TRUE(logged);
        EXPECT_EQ(::stat(store_.DataFolder().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
}

TEST_F(ProgramProcessTest, InstallIntoOrviaDataNamesNoFoldersForOtherStarts) {
    Program install({"--install"});
    EXPECT_EQ(install.Finish(), 0) << install.Output();
    EXPECT_NE(install.Output().find("no folders file written: ORVIA_DATA chose this data folder"),
              std::string::npos)
        << install.Output();
    EXPECT_FALSE(FileExists(dir_.Path() + "folders.ini"));
}

TEST_F(ProgramProcessTest, HelpAndUnknownSwitches) {
    Program help({"--help"});
    EXPECT_EQ(help.Finish(), 0);
    EXPECT_NE(help.Output().find("--service"), std::string::npos);
    EXPECT_NE(help.Output().find("simulate"), std::string::npos);

    Program bad({"--frobnicate"});
    EXPECT_EQ(bad.Finish(), 2);
    EXPECT_EQ(TodaysLog().find("Orvia Run"), std::string::npos);
}

// A message that a crash cut short (its header last written 4 s into 7.65 s
// of audio) counts all of its audio again once the program has started, and
// the program says so.
TEST_F(ProgramProcessTest, StartUpRepairsRecordingsACrashCutShort) {
    const auto stale = MakePcmWaveHeader(1, 8000, 2, 2 * 32000);
    const std::string audio(2 * 61200, '\x11');
    const std::string message = store_.MailBoxes() + "Default ICM000007.wav";
    ASSERT_TRUE(WriteFile(message, std::string(stale.begin(), stale.end()) + audio));
    ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Default ICM000007.ini", "[message]\nread=false\n"));

    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("Orvia running")) << service.Output();
    EXPECT_NE(service.Output().find("Orvia: repaired Default ICM000007.wav (its header counted "
                                    "4.00 s of the 7.65 s it holds)"),
              std::string::npos)
        << service.Output();
    const auto repaired = MakePcmWaveHeader(1, 8000, 2, 2 * 61200);
    EXPECT_EQ(ReadFile(message), std::string(repaired.begin(), repaired.end()) + audio);
    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();
}

// Two OGMs that go to each other with nothing to play: the simulated call
// ends with the goodbye prompt within a bounded number of steps, instead of
// printing for ever.
TEST_F(ProgramProcessTest, SimulateEndsACallFlowThatLoopsWithoutAudio) {
    ASSERT_TRUE(WriteFile(store_.SettingsFile(), "[settings]\nogm=A\nnrings=1\n"));
    ASSERT_TRUE(
        WriteFile(store_.OGMs() + "A.ini", "[ivr]\nwait=0\nplaycomplete=go\nplaycompletego=B\n"));
    ASSERT_TRUE(
        WriteFile(store_.OGMs() + "B.ini", "[ivr]\nwait=0\nplaycomplete=go\nplaycompletego=A\n"));
    ASSERT_TRUE(WriteFile(dir_.Path() + "call.txt", "caller 5551234\nlimit 60\n"));
    Program simulate({"simulate", dir_.Path() + "call.txt"});
    EXPECT_EQ(simulate.Finish(20000), 0) << simulate.Output().substr(0, 2000);
    const std::string& out = simulate.Output();
    EXPECT_NE(out.find("play (missing) System Prompts/GoodBye.wav\nT+0000.000 hangup system"),
              std::string::npos)
        << out.substr(0, 2000);
    EXPECT_LT(out.size(), 10000u);
}

// Callers that stay on the line, talking, until they are sent BYE.
std::string StayingCallers() {
    return R"(<?xml version="1.0" encoding="ISO-8859-1" ?>
<scenario name="stay">
  <nop><action><setdest host="127.0.0.1" port="[field0]" protocol="udp"/></action></nop>
  <send retrans="500"><![CDATA[
      INVITE sip:orvia@127.0.0.1:[field0] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Caller" <sip:555[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@127.0.0.1:[field0]>
      Call-ID: [call_id]
      CSeq: 1 INVITE
      Contact: <sip:caller@[local_ip]:[local_port]>
      Max-Forwards: 70
      Content-Type: application/sdp
      Content-Length: [len]

      v=0
      o=caller 1 1 IN IP4 [local_ip]
      s=-
      c=IN IP4 [media_ip]
      t=0 0
      m=audio [media_port] RTP/AVP 8
      a=rtpmap:8 PCMA/8000
    ]]></send>
  <recv response="100" optional="true"/>
  <recv response="180"/>
  <recv response="200" rrs="true"/>
  <send><![CDATA[
      ACK [next_url] SIP/2.0
      Via: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]
      From: "Caller" <sip:555[call_number]@[local_ip]:[local_port]>;tag=[pid]SIPpTag00[call_number]
      To: <sip:orvia@127.0.0.1:[field0]>[peer_tag_param]
      Call-ID: [call_id]
      CSeq: 1 ACK
      Max-Forwards: 70
      Content-Length: 0
    ]]></send>
  <nop><action><exec play_pcap_audio="/usr/share/sip-tester/g711a.pcap"/></action></nop>
  <recv request="BYE"/>
  <send><![CDATA[
      SIP/2.0 200 OK
      [last_Via:]
      [last_From:]
      [last_To:]
      [last_Call-ID:]
      [last_CSeq:]
      Content-Length: 0
    ]]></send>
</scenario>
)";
}

// What a WAVE file's header claims against what the file holds.
struct WaveCheck {
    bool header = false;  // "RIFF" ... "WAVE" with a data chunk at 36
    uint32_t dataBytes = 0;
    int64_t fileData = 0;  // bytes after the 46-byte header
};

WaveCheck CheckWave(const std::string& path) {
    const std::string bytes = ReadFile(path);
    WaveCheck check;
    if (bytes.size() < 46)
        return check;
    auto u32 = [&](std::size_t at) {
        return uint32_t{static_cast<uint8_t>(bytes[at])} |
               uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 8 |
               uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 16 |
               uint32_t{static_cast<uint8_t>(bytes[at + 3])} << 24;
    };
    check.header = bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0 &&
                   bytes.compare(38, 4, "data") == 0 && u32(4) == u32(42) + 38;
    check.dataBytes = u32(42);
    check.fileData = static_cast<int64_t>(bytes.size()) - 46;
    return check;
}

// SIGTERM while sixteen SIP callers are leaving messages: every caller gets
// BYE, the program ends within five seconds and says so in the log, and
// every message is closed with a header that counts all of its audio.
TEST_F(ProgramProcessTest, SigtermWithSixteenCallsUpEndsEveryCallAndKeepsEveryMessage) {
    if (std::system("command -v sipp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sipp (sip-tester) is not installed";
    constexpr int kCalls = 16;
    std::string telephony;
    std::string targets = "SEQUENTIAL\n";
    for (int i = 0; i < kCalls; ++i) {
        const int port = sip::test::FreePort();
        ASSERT_GT(port, 0);
        telephony += "[sip" + std::to_string(i) +
                     "]\ntype=sip\nlisten=127.0.0.1:" + std::to_string(port) +
                     "\nringinterval=0.2\n";
        targets += std::to_string(port) + ";\n";
    }
    ASSERT_TRUE(WriteFile(store_.DataFolder() + "telephony.ini", telephony));
    ASSERT_TRUE(WriteFile(store_.SettingsFile(), "[settings]\nogm=Main\nnrings=1\n"));
    // Straight to the mailbox: the prompts are stand-ins that do not play.
    ASSERT_TRUE(WriteFile(store_.OGMs() + "Main.ini",
                          "[ivr]\nwait=0\nplaycomplete=mailbox\nplaycompletembx=Default\n"));
    ASSERT_TRUE(WriteFile(dir_.Path() + "callers.csv", targets));
    ASSERT_TRUE(WriteFile(dir_.Path() + "callers.xml", StayingCallers()));

    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("Orvia: Line " + std::to_string(kCalls) + " on device"))
        << service.Output();
    ChildProcess sipp;
    ASSERT_EQ(sipp.Start({"sipp",
                          "-sf",
                          dir_.Path() + "callers.xml",
                          "-inf",
                          dir_.Path() + "callers.csv",
                          "-m",
                          std::to_string(kCalls),
                          "-l",
                          std::to_string(kCalls),
                          "-r",
                          std::to_string(kCalls),
                          "-rp",
                          "1000",
                          "-i",
                          "127.0.0.1",
                          "-mi",
                          "127.0.0.1",
                          "-p",
                          std::to_string(sip::test::FreePort()),
                          "-mp",
                          std::to_string(sip::test::FreePort()),
                          "-nostdin",
                          "-timeout",
                          "90s",
                          "-timeout_error",
                          "127.0.0.1"},
                         ChildOptions{false, false}),
              ProcessStartResult::Started);

    // Every caller is recording a message longer than the 3 s kept at least.
    std::vector<std::string> messages;
    for (int i = 0; i < kCalls; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Default ICM%.6d.wav", i);
        messages.push_back(store_.MailBoxes() + name);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto allLong = [&] {
        for (const std::string& message : messages) {
            struct stat st {};
            if (::stat(message.c_str(), &st) != 0 || st.st_size < 46 + 4 * 16000)
                return false;
        }
        return true;
    };
    while (!allLong() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(allLong()) << service.Output();

    const auto stop = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::seconds(5));
    int sippStatus = -1;
    if (!sipp.WaitForExit(30000, &sippStatus))
        ::kill(sipp.Pid(), SIGKILL);
    EXPECT_EQ(sippStatus, 0) << "not every caller got BYE";
    EXPECT_NE(TodaysLog().find("Orvia Exit"), std::string::npos);
    for (const std::string& message : messages) {
        SCOPED_TRACE(message);
        const WaveCheck wave = CheckWave(message);
        EXPECT_TRUE(wave.header);
        EXPECT_EQ(wave.dataBytes, wave.fileData);
        EXPECT_GT(wave.fileData, 3 * 16000);
        EXPECT_TRUE(FileExists(message.substr(0, message.size() - 4) + ".ini"));  // kept
    }
}

}  // namespace
}  // namespace orvia
