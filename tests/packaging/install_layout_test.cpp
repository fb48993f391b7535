// The install rules, on this build installed (cmake --install) into a
// folder of the test's own: every file where the desktop, systemd and man
// look for it, the desktop entry, metainfo and manual page clean in their
// checkers, and the installed program running from wherever its tree is
// moved. (The Debian package itself: package_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>

#include "install_checks.h"
#include "scoped_environment.h"
#include "temp_dir.h"

namespace orvia::test {
namespace {

class InstallLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("DESTDIR", nullptr);  // the prefix alone says where
    }

    // Installs this build with the prefix <test folder>/<under>/usr.
    std::string Install(const std::string& under) {
        const std::string prefix = dir_.Path() + under + "/usr";
        const CommandRun run = RunCommand(
            {ORVIA_CMAKE, "--install", ORVIA_BUILD_DIR, "--prefix", prefix}, dir_.Path());
        EXPECT_EQ(run.status, 0) << run.output;
        return prefix;
    }

    TempDir dir_;
    ScopedEnvironment env_;
};

TEST_F(InstallLayoutTest, EveryFileLiesWhereTheDesktopSystemdAndManLook) {
    const std::string prefix = Install("root");
    ASSERT_FALSE(HasFailure());
    CheckInstalledFiles(prefix, prefix);
}

TEST_F(InstallLayoutTest, DesktopEntryMetainfoAndManualPagePassTheirCheckers) {
    for (const char* tool : {"desktop-file-validate", "appstreamcli", "man"}) {
        if (!HaveProgram(tool))
            GTEST_SKIP() << tool << " is missing (Debian packages desktop-file-utils, appstream, "
                         << "man-db; scripts/install-deps installs them)";
    }
    const std::string prefix = Install("root");
    ASSERT_FALSE(HasFailure());

    const CommandRun entry = RunCommand(
        {"desktop-file-validate", prefix + "/share/applications/org.orvia.Orvia.desktop"},
        dir_.Path());
    EXPECT_EQ(entry.status, 0) << entry.output;
    EXPECT_EQ(entry.output, "");  // not even a hint

    const CommandRun metainfo =
        RunCommand({"appstreamcli", "validate", "--no-net",
                    prefix + "/share/metainfo/org.orvia.Orvia.metainfo.xml"},
                   dir_.Path());
    EXPECT_EQ(metainfo.status, 0) << metainfo.output;

    // Rendered as `man` shows it, with troff's warnings on.
    env_.Set("MANWIDTH", "80");
    env_.Set("LC_ALL", "C.UTF-8");
    const CommandRun page =
        RunCommand({"man", "--warnings", "-l", prefix + "/share/man/man1/orvia.1.gz"}, dir_.Path());
    EXPECT_EQ(page.status, 0) << page.output;
    EXPECT_EQ(page.output.find("warning"), std::string::npos) << page.output;
    for (const char* text :
         {"ORVIA(1)", "SYNOPSIS", "--service, /service", "--logon, /logon", "--install, /install",
          "--uninstall [--yes], /uninstall", "simulate SCRIPT", "status [--json]", "EXIT STATUS",
          "ENVIRONMENT", "ORVIA_DATA", "ORVIA_FOLDERS", "XDG_CONFIG_HOME", "FILES"})
        EXPECT_NE(page.output.find(text), std::string::npos) << text;
}

TEST_F(InstallLayoutTest, InstalledProgramRunsAndFindsItsDataWhereverTheTreeIsMoved) {
    const std::string prefix = Install("first");
    ASSERT_FALSE(HasFailure());
    std::filesystem::create_directories(dir_.Path() + "work1");
    CheckInstalledProgramRuns(prefix, dir_.Path() + "work1");

    std::filesystem::rename(dir_.Path() + "first", dir_.Path() + "moved");
    std::filesystem::create_directories(dir_.Path() + "work2");
    CheckInstalledProgramRuns(dir_.Path() + "moved/usr", dir_.Path() + "work2");
}

}  // namespace
}  // namespace orvia::test
