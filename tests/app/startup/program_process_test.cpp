// The orvia program as a process: headless service mode, the exit signals,
// the single instance and the uninstall's exit request, each run in a data
// folder, runtime folder and config folder of the test's own.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "app/startup/installed_data_p.h"
#include "platform/process/process_child.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Bounds against a hung program, not speed checks.
constexpr int kStartBoundMs = 60000;
constexpr int kExitBoundMs = 60000;

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), ORVIA_PROGRAM);
        started_ = child_.Start(args) == ProcessStartResult::Started;
    }

    // A program a failed test left running is ended, so no test leaves a
    // process behind.
    ~Program() {
        if (!started_ || child_.WaitForExit(0))
            return;
        ::kill(child_.Pid(), SIGTERM);
        if (!child_.WaitForExit(kExitBoundMs)) {
            ::kill(child_.Pid(), SIGKILL);
            child_.WaitForExit(kExitBoundMs);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    pid_t Pid() const { return child_.Pid(); }

    // Reads the program's output until it holds text; false when the program
    // ended or the bound passed first.
    bool WaitForOutput(const std::string& text, int boundMs = kStartBoundMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
        while (output_.find(text) == std::string::npos) {
            if (ended_ || std::chrono::steady_clock::now() >= deadline)
                return false;
            const ProcessOutput out = child_.ReadOutput(4096, 200);
            output_ += out.data;
            ended_ = out.status == OutputReadStatus::EndOfOutput;
        }
        return true;
    }

    // The exit status once the program ended (its output read to the end);
    // -1 when it did not end within the bound.
    int Finish(int boundMs = kExitBoundMs) {
        WaitForOutput("\x01 never printed", boundMs);
        int code = -1;
        return child_.WaitForExit(boundMs, &code) ? code : -1;
    }

    const std::string& Output() const { return output_; }

private:
    ChildProcess child_;
    bool started_ = false;
    bool ended_ = false;
    std::string output_;
};

class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Set("ORVIA_DATA", dir_.Path() + "data");
        Set("ORVIA_FOLDERS", dir_.Path() + "folders.ini");
        Set("XDG_RUNTIME_DIR", dir_.Path() + "run");
        Set("XDG_CONFIG_HOME", dir_.Path() + "config");
        Set("DISPLAY", nullptr);
        Set("WAYLAND_DISPLAY", nullptr);
        ASSERT_EQ(::mkdir((dir_.Path() + "run").c_str(), 0700), 0);
        // Stand-ins for the installed data, so the program finds it in place
        // and does not spend its start on speech synthesis.
        store_ = SettingsStore::ForDataFolder(dir_.Path() + "data");
        ASSERT_TRUE(store_.CreateFolders());
        for (const SystemPromptText& prompt : SystemPromptTexts())
            ASSERT_TRUE(WriteFile(store_.SystemPrompts() + prompt.name + ".wav", "stand-in"));
        ASSERT_TRUE(WriteFile(store_.OGMs() + "Default Answering Message.ini", "[ivr]\n"));
        ASSERT_TRUE(WriteFile(store_.MailBoxes() + "Default.mbx", "[mbx]\n"));
        // A simulated line: the default SIP line would need a port of its own.
        ASSERT_TRUE(WriteFile(store_.DataFolder() + "telephony.ini",
                              "[simulated]\ntype=simulated\nname=Simulated Line\n"));
        SetStore(store_);
    }

    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    void Set(const char* name, const std::string& value) { Set(name, value.c_str()); }

    std::string TodaysLog() const {
        for (int64_t day = -1; day <= 1; ++day) {  // the test may run over midnight
            const std::string log = ReadFile(DailyLogPath(LocalNow() + day * 86400));
            if (!log.empty())
                return log;
        }
        return {};
    }

    TempDir dir_;
    SettingsStore store_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

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

TEST_F(ProgramProcessTest, SecondStartSignalsTheFirstAndEnds) {
    Program first({});
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.WaitForOutput("Orvia running")) << first.Output();

    Program atLogon({"/logon"});
    EXPECT_EQ(atLogon.Finish(), 0);
    EXPECT_NE(atLogon.Output().find("already running"), std::string::npos) << atLogon.Output();
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

TEST_F(ProgramProcessTest, HelpAndUnknownSwitches) {
    Program help({"--help"});
    EXPECT_EQ(help.Finish(), 0);
    EXPECT_NE(help.Output().find("--service"), std::string::npos);
    EXPECT_NE(help.Output().find("simulate"), std::string::npos);

    Program bad({"--frobnicate"});
    EXPECT_EQ(bad.Finish(), 2);
    EXPECT_EQ(TodaysLog().find("Orvia Run"), std::string::npos);
}

}  // namespace
}  // namespace orvia
