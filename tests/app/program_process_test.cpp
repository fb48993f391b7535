// The orvia program as a process: headless service mode, the exit signals,
// the single instance and the uninstall's exit request, each run in a data
// folder, runtime folder and config folder of the test's own.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "program_runner.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

using test::FileExists;
using test::Program;
using test::ReadFile;

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
