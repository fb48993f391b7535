// SIP lines of the running program, each test with real peers on loopback:
// an account with two channels that takes two sipp callers and turns away a
// third, an SRTP caller (baresip) whose message holds its voice, and a
// caller that reaches the program through kamailio as registrar and proxy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "baresip_peer.h"
#include "kamailio_peer.h"
#include "line_harness.h"
#include "peer_process.h"
#include "program_runner.h"
#include "sipp_scenarios.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "wait_until.h"

namespace orvia::sip::test {
namespace {

using orvia::test::Program;
using orvia::test::RunProgramToEnd;
using orvia::test::WriteFile;

// The samples of a 16-bit mono WAVE file (what the program records).
std::vector<int16_t> WaveSamples(const std::string& path) {
    const std::string bytes = orvia::test::ReadFile(path);
    const size_t data = bytes.find("data");
    std::vector<int16_t> samples;
    if (data == std::string::npos || data + 8 > bytes.size())
        return samples;
    samples.resize((bytes.size() - data - 8) / 2);
    std::memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
    return samples;
}

class SipProgramTest : public orvia::test::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        // The installed call flow: the greeting, then a message for "Default".
        ASSERT_TRUE(WriteFile(store_.OGMs() + "Default Answering Message.ini",
                              "[ivr]\ntype=menu\nanswer=true\nwait=0\nrepeat=0\n"
                              "playcomplete=mailbox\nplaycompletembx=Default\n"
                              "playcompletembxmessage=false\n"));
        ASSERT_TRUE(WriteProfileInt(store_.SettingsFile(), "settings", "nrings", 1));
    }
    void WriteTelephony(const std::string& sections) {
        ASSERT_TRUE(WriteFile(store_.DataFolder() + "telephony.ini", sections));
    }
    // The messages kept in "Default", by file name.
    std::vector<std::string> Messages() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(store_.MailBoxes())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Default ICM", 0) == 0 && entry.path().extension() == ".wav")
                found.push_back(entry.path().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    // How many lines the status shows in a state ("connected", "idle").
    int LinesIn(const std::string& state) {
        const orvia::test::ProgramRun run = RunProgramToEnd({"status", "--json"});
        const std::string needle = "\"state\":\"" + state + "\"";
        int count = 0;
        for (size_t at = run.output.find(needle); at != std::string::npos;
             at = run.output.find(needle, at + 1))
            ++count;
        return count;
    }
    // Asks every 200 ms (a question may start the program's status client).
    static bool WaitFor(const std::function<bool()>& done) {
        return orvia::test::WaitUntil(done, 30000, 200);
    }
    // Starts a baresip caller whose voice is half a second of silence, then a
    // 440 Hz tone.
    void StartToneCaller(BaresipPeer& caller, const BaresipOptions& options) {
        std::vector<int16_t> voice;
        AppendSilence(&voice, 500);
        AppendSine(&voice, 440, 9000);
        ASSERT_TRUE(WriteWav(dir_.Path() + "voice.wav", voice));
        ASSERT_TRUE(caller.Start(dir_.Path(), dir_.Path() + "voice.wav", options)) << caller.Log();
    }
    // Lets a connected caller talk into a message for five seconds and hang
    // up; the one message it left (empty when there is not exactly one).
    std::string MessageLeftBy(BaresipPeer& caller) {
        EXPECT_TRUE(WaitFor([&] { return !Messages().empty(); }));
        std::this_thread::sleep_for(std::chrono::seconds(5));
        EXPECT_TRUE(caller.Command("hangup"));
        EXPECT_TRUE(WaitFor([&] { return LinesIn("idle") == 1; }));
        const std::vector<std::string> messages = Messages();
        EXPECT_EQ(messages.size(), 1u);
        return messages.size() == 1 ? messages[0] : std::string();
    }
    void StartSipp(PeerProcess& peer, const std::string& name, const std::string& scenario,
                   int port) {
        ASSERT_TRUE(WriteFile(dir_.Path() + name + ".xml", scenario));
        ASSERT_TRUE(peer.Start(
            {"sipp", "-sf", dir_.Path() + name + ".xml", "-m", "1", "-l", "1", "-i", "127.0.0.1",
             "-p", std::to_string(FreePort()), "-mp", std::to_string(FreePort(true)), "-timeout",
             "60s", "-timeout_error", "-nostdin", "127.0.0.1:" + std::to_string(port)},
            dir_.Path(), name + ".log"));
    }
};

TEST_F(SipProgramTest, TwoChannelsTakeTwoCallersEachIntoItsOwnMessageAndTheThirdHearsBusy) {
    const int port = FreePort();
    WriteTelephony("[office]\ntype=sip\nname=Office\nlisten=127.0.0.1:" + std::to_string(port) +
                   "\nringinterval=0.05\nchannels=2\n");
    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("on device 1 (Office 2): listening for calls"))
        << service.Output();
    EXPECT_NE(service.Output().find("on device 0 (Office 1): listening for calls"),
              std::string::npos);

    // Two callers talk (sipp's recorded voice) and hang up; the third comes
    // while both are connected.
    auto talking = [](const std::string& number) {
        return Scenario(
            Invite("\"Caller\" <sip:" + number + "@[local_ip]:[local_port]>", "", true) +
            ExpectOptional("100") + Expect("180") + Expect("200") + Ack() + PlayPcap("g711a.pcap") +
            Pause(6000) + Bye(2));
    };
    PeerProcess first, second, third;
    ASSERT_NO_FATAL_FAILURE(StartSipp(first, "first", talking("5550001"), port));
    ASSERT_NO_FATAL_FAILURE(StartSipp(second, "second", talking("5550002"), port));
    ASSERT_TRUE(WaitFor([&] { return LinesIn("connected") == 2; })) << first.Log() << second.Log();
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(third, "third",
                  Scenario(Invite() + ExpectOptional("100") + Expect("486") + Ack(1, 3)), port));
    EXPECT_EQ(third.Wait(30000), 0) << third.Log();
    EXPECT_EQ(first.Wait(30000), 0) << first.Log();
    EXPECT_EQ(second.Wait(30000), 0) << second.Log();

    // Each answered call left a message of its own, with its caller's number
    // and the caller's voice in it.
    ASSERT_TRUE(WaitFor([&] { return LinesIn("idle") == 2; }));
    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 2u) << service.Output();
    std::set<std::string> callers;
    for (const std::string& wave : messages) {
        const std::string ini = wave.substr(0, wave.size() - 4) + ".ini";
        callers.insert(ReadProfileString(ini, "message", "cid", ""));
        EXPECT_GT(WaveSamples(wave).size(), 8000u * 2) << wave;
    }
    EXPECT_EQ(callers, (std::set<std::string>{"5550001", "5550002"}));
}

TEST_F(SipProgramTest, AnSrtpCallersMessageHoldsTheCallersVoice) {
    const int port = FreePort();
    WriteTelephony("[secure]\ntype=sip\nname=Secure\nlisten=127.0.0.1:" + std::to_string(port) +
                   "\nringinterval=0.05\nmediaenc=srtp\n");
    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("(Secure): listening for calls")) << service.Output();

    BaresipPeer caller;
    BaresipOptions options;
    options.mediaEncryption = "srtp-mand";
    ASSERT_NO_FATAL_FAILURE(StartToneCaller(caller, options));
    ASSERT_TRUE(caller.Command("dial", "sip:orvia@127.0.0.1:" + std::to_string(port)))
        << caller.Log();
    ASSERT_TRUE(caller.WaitEvent("CALL_MENC", 15000)) << caller.Log() << service.Output();

    const std::string message = MessageLeftBy(caller);
    ASSERT_FALSE(message.empty()) << service.Output();
    const std::vector<int16_t> recorded = WaveSamples(message);
    ASSERT_GT(recorded.size(), 8000u * 3);
    EXPECT_GT(ToneShare(recorded, 440), 0.8);
}

TEST_F(SipProgramTest, ACallerReachesTheProgramThroughKamailioAndLeavesAMessage) {
    KamailioPeer kamailio;
    ASSERT_TRUE(kamailio.Start(dir_.Path(), {{"orvia", "Orvia-secret"}, {"alice", "Alice-pw"}}, 60))
        << kamailio.Log();
    const int port = FreePort();
    WriteTelephony("[office]\ntype=sip\nname=Office\nlisten=127.0.0.1:" + std::to_string(port) +
                   "\nringinterval=0.05\nregistrar=" + kamailio.Uri() +
                   "\nuser=orvia\npassword=Orvia-secret\n");
    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("(Office): listening for calls")) << service.Output();
    ASSERT_TRUE(WaitFor([&] {
        return RunProgramToEnd({"status", "--json"}).output.find("\"state\":\"registered\"") !=
               std::string::npos;
    })) << kamailio.Log();

    BaresipPeer alice;
    BaresipOptions options;
    options.account = "<sip:alice@127.0.0.1:" + std::to_string(kamailio.Port()) +
                      ">;auth_pass=Alice-pw;regint=600";
    ASSERT_NO_FATAL_FAILURE(StartToneCaller(alice, options));
    // Orvia's number at the registrar: the proxy finds where it registered.
    ASSERT_TRUE(alice.Command("dial", "sip:orvia@127.0.0.1:" + std::to_string(kamailio.Port())))
        << alice.Log();
    ASSERT_TRUE(alice.WaitEvent("CALL_ESTABLISHED", 15000)) << alice.Log() << kamailio.Log();

    const std::string message = MessageLeftBy(alice);
    ASSERT_FALSE(message.empty()) << service.Output();
    const std::string ini = message.substr(0, message.size() - 4) + ".ini";
    EXPECT_EQ(ReadProfileString(ini, "message", "cid", ""), "alice");
    EXPECT_GT(ToneShare(WaveSamples(message), 440), 0.8);
}

}  // namespace
}  // namespace orvia::sip::test
