// The program's operability as a user meets it, each run as a process: the
// events a bound port produces (on the output and in the events file),
// `orvia status` against a running instance with an idle and a connected
// line, and `orvia check` on a folder with one fault of each kind.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/startup/installed_data_p.h"
#include "peer_process.h"
#include "platform/diagnostics/diagnostic_sinks.h"
#include "program_runner.h"
#include "sipp_scenarios.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

using sip::test::FreePort;
using test::Program;
using test::ReadFile;
using test::RunProgramToEnd;
using test::WriteFile;
using test::WriteTone;

// Holds a UDP port on loopback, as another program would.
class BoundPort {
public:
    BoundPort() : port_(FreePort()), fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port_));
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~BoundPort() { ::close(fd_); }
    BoundPort(const BoundPort&) = delete;
    BoundPort& operator=(const BoundPort&) = delete;

    bool Bound() const { return bound_; }
    int Port() const { return port_; }

private:
    int port_;
    int fd_;
    bool bound_ = false;
};

class OperabilityTest : public test::ProgramFolderTest {
protected:
    std::string EventsFile() const { return store_.Logs() + kEventsFileName; }

    // Asks the running instance for its status until pred holds for the
    // answer (or the bound passes); the last answer.
    test::ProgramRun StatusWhen(const std::function<bool(const std::string&)>& pred) {
        test::ProgramRun run;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do {
            run = RunProgramToEnd({"status", "--json"});
            if (run.status == 0 && pred(run.output))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        return run;
    }
};

TEST_F(OperabilityTest, ABoundPortIsReportedWithItsAddressOnTheOutputAndInTheEventsFile) {
    BoundPort taken;
    ASSERT_TRUE(taken.Bound());
    const std::string address = "127.0.0.1:" + std::to_string(taken.Port());
    ASSERT_TRUE(
        WriteFile(store_.DataFolder() + "telephony.ini",
                  "[desk]\ntype=sip\nname=Desk\nlisten=" + address + "\n[office]\ntype=sipp\n"));

    // Checked before the start: the port is in use, the section misspelt.
    const test::ProgramRun check = RunProgramToEnd({"check"});
    EXPECT_EQ(check.status, 1) << check.output;
    EXPECT_NE(check.output.find("error: telephony.ini [desk] listen: " + address +
                                " (udp) is in use by another program right now"),
              std::string::npos)
        << check.output;
    EXPECT_NE(check.output.find("error: telephony.ini [office] type: \"sipp\" is no device type"),
              std::string::npos)
        << check.output;

    Program service({"/service"});
    const std::string reason = "SIP on " + address + " (udp): Address already in use";
    ASSERT_TRUE(service.WaitForOutput("the device did not open (" + reason + ")"))
        << service.Output();
    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();

    const std::string events = ReadFile(EventsFile());
    EXPECT_NE(events.find("error [line] Line 1 [line0]: device 0 \"Desk\" did not open: " + reason),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("error [line] " + store_.DataFolder() +
                          "telephony.ini [office]: unknown device type \"sipp\""),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("info [program] Orvia stops"), std::string::npos) << events;
    struct stat st {};
    ASSERT_EQ(::stat(EventsFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(OperabilityTest, StatusShowsAnIdleAndAConnectedLineAndNoneWhenStopped) {
    const int sipPort = FreePort();
    ASSERT_TRUE(
        WriteFile(store_.DataFolder() + "telephony.ini",
                  "[desk]\ntype=sip\nname=Desk Phone\nlisten=127.0.0.1:" + std::to_string(sipPort) +
                      "\nringinterval=0.05\n[demo]\ntype=simulated\nname=Demo Line\n"));
    const std::string& settings = store_.SettingsFile();
    for (const auto& [section, name] : {std::pair{"line0", "Desk"}, std::pair{"line1", "Demo"}}) {
        ASSERT_TRUE(WriteProfileBool(settings, section, "use", true));
        ASSERT_TRUE(WriteProfileString(settings, section, "name", name));
    }
    ASSERT_TRUE(WriteProfileInt(settings, "line1", "device", 1));
    // The answered call stays in its OGM's wait while the status is taken.
    ASSERT_TRUE(WriteFile(store_.OGMs() + "Default Answering Message.ini", "[ivr]\nwait=60\n"));
    // A message waits to be mailed, with no SMTP server: the first delivery
    // pass fails, and the status tells.
    ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Default.mbx",
                          "[mbx]\nsendemail=true\nemailaddress=owner@example.com\n"
                          "unsentmessages=true\n"));
    ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Default ICM000000.ini",
                          "[message]\nread=false\nsentemail=false\n"));
    ASSERT_TRUE(WriteTone(store_.MailBoxes() + "Default ICM000000.wav", 4000));

    EXPECT_EQ(RunProgramToEnd({"status"}).status, 3);  // nothing runs yet
    Program service({"/service"});
    ASSERT_TRUE(service.WaitForOutput("Demo on device 1 (Demo Line): listening"))
        << service.Output();

    sip::test::PeerProcess caller;
    const std::string scenario = dir_.Path() + "caller.xml";
    namespace sipp = sip::test;
    ASSERT_TRUE(WriteFile(
        scenario,
        sipp::Scenario(sipp::Invite() + sipp::ExpectOptional("100") + sipp::Expect("180") +
                       sipp::Expect("200") + sipp::Ack() + sipp::Pause(20000) + sipp::Bye(2))));
    ASSERT_TRUE(caller.Start({"sipp", "-sf", scenario, "-m", "1", "-l", "1", "-i", "127.0.0.1",
                              "-p", std::to_string(FreePort()), "-timeout", "60s", "-nostdin",
                              "127.0.0.1:" + std::to_string(sipPort)},
                             dir_.Path(), "caller.log"));

    const test::ProgramRun json = StatusWhen([](const std::string& answer) {
        return answer.find("\"state\":\"connected\"") != std::string::npos &&
               answer.find("\"lastFailure\":{") != std::string::npos;
    });
    ASSERT_EQ(json.status, 0) << json.output << caller.Log();
    EXPECT_NE(json.output.find("\"name\":\"Desk\",\"device\":0,\"deviceName\":\"Desk Phone\","
                               "\"address\":\"127.0.0.1:" +
                               std::to_string(sipPort) + " (udp)\",\"state\":\"connected\""),
              std::string::npos)
        << json.output;
    EXPECT_NE(json.output.find("\"callerNumber\":\"5551234\",\"callerName\":\"Test Caller\""),
              std::string::npos)
        << json.output;
    EXPECT_NE(json.output.find("\"name\":\"Demo\",\"device\":1,\"deviceName\":\"Demo Line\","
                               "\"address\":\"\",\"state\":\"idle\""),
              std::string::npos)
        << json.output;
    EXPECT_NE(json.output.find("\"registration\":{\"state\":\"none\""), std::string::npos);
    EXPECT_NE(json.output.find("no SMTP server is configured"), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"dataFolder\":\"" + store_.DataFolder() + "\""),
              std::string::npos);
    // A JSON reader takes it as it is.
    ASSERT_TRUE(WriteFile(dir_.Path() + "status.json", json.output));
    ChildProcess parse;
    ASSERT_EQ(parse.Start({"python3", "-c", "import json,sys; json.load(open(sys.argv[1]))",
                           dir_.Path() + "status.json"}),
              ProcessStartResult::Started);
    int parsed = -1;
    ASSERT_TRUE(parse.WaitForExit(30000, &parsed));
    EXPECT_EQ(parsed, 0) << json.output;

    const test::ProgramRun text = RunProgramToEnd({"status"});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.output.find(
                  "Desk [line0], device 0 \"Desk Phone\" at 127.0.0.1:" + std::to_string(sipPort) +
                  " (udp): connected with 5551234 Test Caller since "),
              std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("Demo [line1], device 1 \"Demo Line\": idle since "),
              std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("Level control: 0 recordings waiting"), std::string::npos);
    EXPECT_EQ(RunProgramToEnd({"status", "--frobnicate"}).status, 2);

    caller.Stop();
    ASSERT_EQ(::kill(service.Pid(), SIGTERM), 0);
    EXPECT_EQ(service.Finish(), 0) << service.Output();
    EXPECT_EQ(RunProgramToEnd({"status", "--json"}).status, 3);
    // The call's end is in the events file.
    EXPECT_NE(ReadFile(EventsFile()).find("call from 5551234 Test Caller answered"),
              std::string::npos)
        << ReadFile(EventsFile());
}

TEST_F(OperabilityTest, CheckNamesEachFaultOfAFixtureFolderWithItsFileAndKey) {
    const char* source = std::getenv("ORVIA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::filesystem::copy(std::string(source) + "/tests/engine/call_flow_fixture/",
                          store_.DataFolder(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(store_.OGMs() + "Default Answering Message.ini");
    std::filesystem::remove(store_.MailBoxes() + "Default.mbx");
    for (const SystemPromptText& prompt : SystemPromptTexts())
        ASSERT_TRUE(WriteTone(store_.SystemPrompts() + prompt.name + ".wav", 100));
    ASSERT_TRUE(WriteFile(store_.SystemPrompts() + "GoodBye.wav", "not a wave"));
    BoundPort taken;
    ASSERT_TRUE(taken.Bound());
    const std::string used = "127.0.0.1:" + std::to_string(taken.Port());
    const std::string free = "127.0.0.1:" + std::to_string(FreePort());
    ASSERT_TRUE(WriteFile(store_.DataFolder() + "telephony.ini",
                          "[desk]\ntype=sip\nlisten=" + free + "\n[again]\ntype=sip\nlisten=" +
                              free + "\n[taken]\ntype=sip\nlisten=" + used +
                              "\n[fax]\ntype=fax\n[typo]\ntype=sip\nlisten=300.1.1.1\n"
                              "[demo]\ntype=simulated\nvoise=false\n"));
    ASSERT_TRUE(WriteProfileInt(store_.SettingsFile(), "settings", "nrings", 50));
    ASSERT_TRUE(WriteProfileInt(store_.SettingsFile(), "line0", "device", 9));

    const test::ProgramRun check = RunProgramToEnd({"check"});
    EXPECT_EQ(check.status, 1);
    const char* expected[] = {
        // telephony.ini and the lines
        "error: telephony.ini [again] listen: " /* taken by [desk] */,
        "error: telephony.ini [taken] listen: ",
        "error: telephony.ini [fax] type: \"fax\" is no device type",
        "error: telephony.ini [typo] listen: \"300.1.1.1\" is not an IP address and port",
        "warning: telephony.ini [demo] voise: is not a key of a simulated device",
        "error: settings.ini [line0] device: device 9 does not exist",
        // settings
        "warning: settings.ini [settings] nrings: 50 is outside 2 to 20",
        "error: settings.ini [smtp] server: mailbox \"Sales\" sends e-mail, but no SMTP server",
        // the call flow
        "error: OGMs/Main.ini [ivr] press1go: go to \"Salse\": no OGM of that name",
        "error: OGMs/Main.ini [ivr] press2mbx: mailbox \"Support\" does not exist",
        "warning: OGMs/Main.ini [ivr] press3playfile: the file /nonexistent/orvia/tune.wav does "
        "not play (it does not exist)",
        "error: OGMs/Main.ini [ivr] press4transfer: \"transfer\" without a number",
        "warning: OGMs/Main.ini [ivr] press5: \"gp\" is no action",
        "warning: OGMs/Main.ini [ivr] press1goo: is not a key the engine reads",
        "warning: OGMs/Main.ini [ivr] repeat: 300 is outside 0 to 255",
        "error: OGMs/Numbers.ini [ivr] varlimitlistfile: the number list cannot be read",
        "warning: OGMs/Loop A.ini: OGM \"Loop A\" has no recording that plays",
        "error: OGMs/Loop A.ini [ivr] playcomplete: OGMs \"Loop A\", \"Loop B\" lead to each "
        "other",
        "warning: OGMs/Orphan.ini: OGM \"Orphan\" is not reached from any answer OGM",
        "error: settings.ini [line0] ogm: calls start with \"Gone\": no OGM of that name",
        "error: MailBoxes/Sales.mbx [mbx] emailaddress: mailbox \"Sales\" sends e-mail",
        // the prompts
        "warning: System Prompts/GoodBye.wav: the system prompt does not play (it is not a "
        "WAVE file the program reads)",
    };
    const std::string lines = "\n" + check.output;
    for (const char* line : expected)
        EXPECT_NE(lines.find(std::string("\n") + line), std::string::npos) << line << "\n"
                                                                           << check.output;
    EXPECT_NE(check.output.find(used + " (udp) is in use by another program right now"),
              std::string::npos);
    EXPECT_NE(check.output.find("is taken by [desk]"), std::string::npos);
    // Nothing else: only the one broken prompt is said.
    EXPECT_EQ(check.output.find("InvalidOption.wav"), std::string::npos) << check.output;
}

}  // namespace
}  // namespace orvia
