// The orvia program as a process: headless service mode, the exit signals,
// the single instance and the uninstall's exit request, each run in a data
// folder, runtime folder and config folder of the test's own.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>

#include "app/startup/installed_data_p.h"
#include "file_mode_helpers.h"
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

}  // namespace
}  // namespace orvia
