#include "platform/desktop/service_unit.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include "diagnostics_capture.h"
#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;

using Command = std::vector<std::string>;

// Records the commands instead of running systemctl; fails the verbs it is
// told to.
class FakeRunner : public SystemdRunner {
public:
    bool Run(const Command& command) override {
        commands.push_back(command);
        for (const std::string& word : command) {
            if (failing.count(word))
                return false;
        }
        return true;
    }
    std::vector<Command> commands;
    std::set<std::string> failing;
};

const char* const kUserUnit =
    "[Unit]\n"
    "Description=Orvia telephone answering machine\n"
    "\n"
    "[Service]\n"
    "Type=simple\n"
    "ExecStart=/usr/bin/orvia /service\n"
    "Restart=on-failure\n"
    "\n"
    "[Install]\n"
    "WantedBy=default.target\n";

const char* const kSystemUnit =
    "[Unit]\n"
    "Description=Orvia telephone answering machine\n"
    "Wants=network-online.target\n"
    "After=network-online.target sound.target\n"
    "\n"
    "[Service]\n"
    "Type=simple\n"
    "ExecStart=/usr/bin/orvia /service\n"
    "Restart=on-failure\n"
    "\n"
    "[Install]\n"
    "WantedBy=multi-user.target\n";

TEST(ServiceUnit, ExactTextForUserAndSystemUnits) {
    EXPECT_EQ(ServiceUnitText({"/x/", "/usr/bin/orvia", true}), kUserUnit);
    EXPECT_EQ(ServiceUnitText({"/x/", "/usr/bin/orvia", false}), kSystemUnit);

    const std::string quoted = ServiceUnitText({"/x/", "/opt/my \"apps\"/100%\\orvia", true});
    EXPECT_NE(quoted.find("\nExecStart=\"/opt/my \\\"apps\\\"/100%%\\\\orvia\" /service\n"),
              std::string::npos)
        << quoted;
    for (const char* bad : {"", "orvia", "/opt/$HOME/orvia", "/opt/a\nExecStart=/bin/evil"})
        EXPECT_EQ(ServiceUnitText({"/x/", bad, true}), "") << bad;
}

TEST(ServiceUnit, FromABuildFolderWithoutAnInstalledProgramNothingIsRegistered) {
    // This test runs from the build folder, and no orvia is on PATH: the unit
    // would name a program that the next rebuild replaces.
    TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", (dir.Path() + "cfg").c_str());
    test::ScopedEnv path("PATH", (dir.Path() + "bin").c_str());
    EXPECT_EQ(DefaultServicePaths().programPath, "");
    DiagnosticsCapture events;
    EXPECT_FALSE(SetService(true));
    EXPECT_TRUE(
        events.Has(DiagnosticLevel::Error, "program", {"service not set up", "build folder"}))
        << events.AllText();
    if (::geteuid() != 0) {
        EXPECT_FALSE(FileExists(dir.Path() + "cfg/systemd/user/orvia.service"));
    }
}

class ServiceRegistrationTest : public ::testing::Test {
protected:
    ServiceRegistration Registration(bool userUnit) {
        return ServiceRegistration({folder_.Path() + "systemd/user/", "/usr/bin/orvia", userUnit},
                                   runner_);
    }
    std::string UnitPath() const { return folder_.Path() + "systemd/user/orvia.service"; }

    TempDir folder_;
    FakeRunner runner_;
};

TEST_F(ServiceRegistrationTest, OnWritesReloadsAndEnablesOffDisablesRemovesAndReloads) {
    ServiceRegistration service = Registration(true);
    EXPECT_EQ(service.UnitPath(), UnitPath());
    EXPECT_FALSE(service.IsService());

    ASSERT_TRUE(service.SetService(true));
    EXPECT_TRUE(service.IsService());
    EXPECT_EQ(ReadFile(UnitPath()), kUserUnit);
    EXPECT_EQ(runner_.commands, (std::vector<Command>{
                                    {"systemctl", "--user", "daemon-reload"},
                                    {"systemctl", "--user", "enable", "orvia.service"},
                                }));

    runner_.commands.clear();
    ASSERT_TRUE(service.SetService(true));  // already registered: nothing to do
    EXPECT_TRUE(runner_.commands.empty());

    ASSERT_TRUE(service.SetService(false));
    EXPECT_FALSE(service.IsService());
    EXPECT_FALSE(FileExists(UnitPath()));
    EXPECT_EQ(runner_.commands, (std::vector<Command>{
                                    {"systemctl", "--user", "disable", "orvia.service"},
                                    {"systemctl", "--user", "daemon-reload"},
                                }));

    runner_.commands.clear();
    ASSERT_TRUE(service.SetService(false));  // already gone: nothing to do
    EXPECT_TRUE(runner_.commands.empty());
}

TEST_F(ServiceRegistrationTest, SystemUnitTalksToTheSystemManager) {
    ServiceRegistration service = Registration(false);
    ASSERT_TRUE(service.SetService(true));
    EXPECT_EQ(ReadFile(UnitPath()), kSystemUnit);
    ASSERT_TRUE(service.SetService(false));
    EXPECT_EQ(runner_.commands, (std::vector<Command>{
                                    {"systemctl", "daemon-reload"},
                                    {"systemctl", "enable", "orvia.service"},
                                    {"systemctl", "disable", "orvia.service"},
                                    {"systemctl", "daemon-reload"},
                                }));
}

TEST_F(ServiceRegistrationTest, FailedEnableLeavesNothingRegistered) {
    ServiceRegistration service = Registration(true);
    runner_.failing = {"enable"};
    EXPECT_FALSE(service.SetService(true));
    EXPECT_FALSE(service.IsService());
    EXPECT_FALSE(FileExists(UnitPath()));
    EXPECT_EQ(runner_.commands, (std::vector<Command>{
                                    {"systemctl", "--user", "daemon-reload"},
                                    {"systemctl", "--user", "enable", "orvia.service"},
                                    {"systemctl", "--user", "daemon-reload"},
                                }));
}

TEST_F(ServiceRegistrationTest, FailedDisableStillRemovesTheUnitButReportsFalse) {
    ServiceRegistration service = Registration(true);
    ASSERT_TRUE(service.SetService(true));
    runner_.commands.clear();
    runner_.failing = {"disable"};
    EXPECT_FALSE(service.SetService(false));
    EXPECT_FALSE(service.IsService());
    EXPECT_EQ(runner_.commands.size(), 2u);
}

TEST_F(ServiceRegistrationTest, UnusablePathsRegisterNothing) {
    ServiceRegistration dollar({folder_.Path(), "/opt/$x/orvia", true}, runner_);
    EXPECT_FALSE(dollar.SetService(true));
    EXPECT_FALSE(dollar.IsService());
    ServiceRegistration nowhere({"", "/usr/bin/orvia", true}, runner_);
    EXPECT_FALSE(nowhere.SetService(true));
    EXPECT_FALSE(nowhere.IsService());
    EXPECT_TRUE(runner_.commands.empty());
}

TEST(ProcessSystemdRunner, TrueOnlyForACommandThatRanAndSucceeded) {
    ProcessSystemdRunner runner(10000);
    EXPECT_TRUE(runner.Run({"true"}));
    EXPECT_FALSE(runner.Run({"false"}));
    EXPECT_FALSE(runner.Run({"orvia-no-such-systemctl"}));
    EXPECT_FALSE(runner.Run({}));
}

}  // namespace
}  // namespace orvia
