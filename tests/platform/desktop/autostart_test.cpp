#include "platform/desktop/autostart.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "diagnostics_capture.h"
#include "platform/files/user_paths.h"
#include "temp_dir.h"
#include "wait_until.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;

TEST(AutostartEntry, ExactTextWithTheProgramQuotedWhenNeeded) {
    const std::string head =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Orvia\n"
        "Comment=Telephone answering machine\n";
    const std::string tail =
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    struct Case {
        std::string program;
        std::string exec;
    };
    const Case cases[] = {
        {"/usr/bin/orvia", "Exec=/usr/bin/orvia /logon\n"},
        {"/opt/my apps/orvia", "Exec=\"/opt/my apps/orvia\" /logon\n"},
        {"/opt/100%/orvia", "Exec=/opt/100%%/orvia /logon\n"},
        {"/opt/$x/o\\rvia", "Exec=\"/opt/\\\\$x/o\\\\\\\\rvia\" /logon\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutostartEntryText(c.program), head + c.exec + tail) << c.program;
    for (const char* bad : {"", "orvia", "bin/orvia", "/opt/a\nExec=evil"})
        EXPECT_EQ(AutostartEntryText(bad), "") << bad;
}

TEST(AutostartEntry, SetWritesTheEntryAndOffRemovesIt) {
    TempDir config;
    LogonAutostart autostart({config.Path() + "cfg/", "/usr/bin/orvia"});
    const std::string entry = config.Path() + "cfg/autostart/orvia.desktop";
    EXPECT_EQ(autostart.EntryPath(), entry);
    EXPECT_FALSE(autostart.IsRunAtLogon());

    ASSERT_TRUE(autostart.SetRunAtLogon(true));  // creates the missing folders
    EXPECT_TRUE(autostart.IsRunAtLogon());
    EXPECT_EQ(ReadFile(entry), AutostartEntryText("/usr/bin/orvia"));
    ASSERT_TRUE(autostart.SetRunAtLogon(true));  // again: the same single entry
    EXPECT_EQ(ReadFile(entry), AutostartEntryText("/usr/bin/orvia"));
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(config.Path() + "cfg/autostart"))
        names.push_back(item.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"orvia.desktop"});  // no temporary file left

    ASSERT_TRUE(autostart.SetRunAtLogon(false));
    EXPECT_FALSE(autostart.IsRunAtLogon());
    EXPECT_FALSE(FileExists(entry));
    EXPECT_TRUE(autostart.SetRunAtLogon(false));  // nothing left to remove
}

TEST(AutostartEntry, UnusableProgramPathOrNoConfigHomeWritesNothing) {
    TempDir config;
    LogonAutostart relative({config.Path(), "orvia"});
    EXPECT_FALSE(relative.SetRunAtLogon(true));
    EXPECT_FALSE(relative.IsRunAtLogon());
    EXPECT_FALSE(FileExists(config.Path() + "autostart/orvia.desktop"));

    LogonAutostart homeless({"", "/usr/bin/orvia"});
    EXPECT_FALSE(homeless.SetRunAtLogon(true));
    EXPECT_FALSE(homeless.IsRunAtLogon());
}

TEST(AutostartEntry, FromABuildFolderItNamesTheInstalledProgramOrIsNotWritten) {
    // This test runs from the build folder: the entry must not name it.
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", (dir.Path() + "cfg").c_str());
    ScopedEnv path("PATH", (dir.Path() + "bin").c_str());
    const std::string entry = dir.Path() + "cfg/autostart/orvia.desktop";
    {
        DiagnosticsCapture events;
        EXPECT_FALSE(SetRunAtLogon(true));
        EXPECT_FALSE(FileExists(entry));
        EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "program",
                               {"start at logon not set up", "build folder", "make install"}))
            << events.AllText();
    }
    const std::string installed = dir.Path() + "bin/orvia";
    std::filesystem::create_directories(dir.Path() + "bin");
    ASSERT_TRUE(test::WriteFile(installed, "#!/bin/sh\n"));
    ASSERT_EQ(::chmod(installed.c_str(), 0755), 0);
    ASSERT_TRUE(SetRunAtLogon(true));
    EXPECT_TRUE(IsRunAtLogon());
    EXPECT_EQ(ReadFile(entry), AutostartEntryText(installed));
    EXPECT_TRUE(SetRunAtLogon(false));
    EXPECT_FALSE(FileExists(entry));
}

TEST(UserConfigHome, FromXdgConfigHomeElseHome) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/cfg");
        EXPECT_EQ(UserConfigHome(), "/srv/cfg/");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
        ScopedEnv home("HOME", "/home/ann");
        EXPECT_EQ(UserConfigHome(), "/home/ann/.config/");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv home("HOME", "/home/bob/");
        EXPECT_EQ(UserConfigHome(), "/home/bob/.config/");
        EXPECT_EQ(DefaultAutostartPaths().configHome, "/home/bob/.config/");
    }
}

}  // namespace
}  // namespace orvia
