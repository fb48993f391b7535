#include "app/startup/install_commands_p.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "app/startup/installed_data_p.h"
#include "platform/desktop/autostart.h"
#include "platform/desktop/service_unit.h"
#include "platform/files/file_modes.h"
#include "store/profile.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class FakeRunner : public SystemdRunner {
public:
    bool Run(const std::vector<std::string>& command) override {
        commands.push_back(command);
        return true;
    }
    std::vector<std::vector<std::string>> commands;
};

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class InstallCommandsTest : public ::testing::Test {
protected:
    // A store resolved as the program resolves it, over a data folder and a
    // folders file of the test's own.
    SettingsStore ResolveStore() {
        FolderEnvironment env;
        env.getenv = [this](const char* name) -> const char* {
            auto it = env_.find(name);
            return it == env_.end() ? nullptr : it->second.c_str();
        };
        env.defaultFoldersFile = dir_.Path() + "no-such-folders.ini";
        env.systemDataFolder = systemFolder_;
        return SettingsStore::Resolve(env);
    }

    // Puts stand-ins for the spoken prompts in place, so the tests do not
    // wait for the speech engine.
    void PlacePrompts(const SettingsStore& store) {
        ASSERT_TRUE(store.CreateFolders());
        for (const SystemPromptText& prompt : SystemPromptTexts())
            ASSERT_TRUE(WriteFile(store.SystemPrompts() + prompt.name + ".wav", "stand-in"));
    }

    TempDir dir_;
    std::string systemFolder_ = dir_.Path() + "no-such-system-folder";
    std::map<std::string, std::string> env_ = {
        {"ORVIA_DATA", dir_.Path() + "data"},
        {"ORVIA_FOLDERS", dir_.Path() + "etc/folders.ini"},
    };
};

TEST_F(InstallCommandsTest, InstallNamesTheFoldersOnlyForTheSystemDataFolder) {
    // With ORVIA_DATA the data is installed there and no folders file is
    // written: it would send every later start to this folder.
    const SettingsStore chosen = ResolveStore();
    PlacePrompts(chosen);
    std::ostringstream out;
    EXPECT_EQ(RunInstall(chosen, out), 0) << out.str();
    EXPECT_TRUE(FileExists(chosen.MailBoxes() + "Default.mbx"));
    EXPECT_TRUE(FileExists(chosen.OGMs() + "Default Answering Message.ini"));
    EXPECT_EQ(ReadFile(chosen.SystemPrompts() + "GoodBye.wav"), "stand-in");
    const std::string folders = dir_.Path() + "etc/folders.ini";
    EXPECT_FALSE(FileExists(folders));
    EXPECT_NE(out.str().find("no folders file written: ORVIA_DATA chose this data folder"),
              std::string::npos)
        << out.str();

    // Without it, the system's data folder is installed and named.
    env_.erase("ORVIA_DATA");
    systemFolder_ = dir_.Path() + "var/lib/orvia";
    ASSERT_EQ(::mkdir((dir_.Path() + "var").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir_.Path() + "var/lib").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(systemFolder_.c_str(), 0700), 0);
    const SettingsStore system = ResolveStore();
    ASSERT_EQ(system.DataSource(), DataFolderSource::SystemFolder);
    PlacePrompts(system);
    out.str("");
    EXPECT_EQ(RunInstall(system, out), 0) << out.str();
    EXPECT_NE(out.str().find("folders named in " + folders), std::string::npos) << out.str();
    EXPECT_EQ(ReadProfileString(folders, "Folders", "DataFiles", ""), systemFolder_);
    EXPECT_EQ(ReadProfileString(folders, "Folders", "System Prompts", ""),
              systemFolder_ + "/System Prompts");
    EXPECT_EQ(ReadProfileString(folders, "Folders", "MailBoxes", ""), systemFolder_ + "/MailBoxes");
    EXPECT_EQ(ReadProfileString(folders, "Folders", "OGMs", ""), systemFolder_ + "/OGMs");
    EXPECT_EQ(ReadProfileString(folders, "Folders", "Logs", ""), systemFolder_ + "/Logs");
    // Every user's start reads it: it is not private like the data.
    struct stat st {};
    ASSERT_EQ(::stat(folders.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, NewFileMode(FileAccess::Shared));

    // Later starts follow it, but one with ORVIA_DATA goes where that says.
    systemFolder_ = dir_.Path() + "no-such-system-folder";
    EXPECT_EQ(ResolveStore().MailBoxes(), system.MailBoxes());
    env_["ORVIA_DATA"] = dir_.Path() + "elsewhere";
    EXPECT_EQ(ResolveStore().MailBoxes(), dir_.Path() + "elsewhere/MailBoxes/");

    env_.erase("ORVIA_DATA");
    std::ostringstream again;
    EXPECT_EQ(RunInstall(ResolveStore(), again), 0);
    EXPECT_EQ(again.str().find("created"), std::string::npos) << again.str();
}

TEST_F(InstallCommandsTest, UninstallAsksAndRemovesTheFoldersInOrder) {
    const SettingsStore store = ResolveStore();
    PlacePrompts(store);
    ASSERT_TRUE(WriteFile(store.MailBoxes() + "Sales ICM000001.wav", "x"));
    ASSERT_TRUE(WriteFile(store.SettingsFile(), "[settings]\n"));

    AutostartPaths autostartPaths{dir_.Path() + "config/", "/usr/bin/orvia"};
    LogonAutostart autostart(autostartPaths);
    ASSERT_TRUE(autostart.SetRunAtLogon(true));
    FakeRunner runner;
    ServiceRegistration service({dir_.Path() + "units/", "/usr/bin/orvia", true}, runner);
    ASSERT_TRUE(service.SetService(true));
    runner.commands.clear();

    // "n" and an empty answer keep everything.
    for (const char* answer : {"n\n", "\n", ""}) {
        std::istringstream in(answer);
        std::ostringstream out;
        UninstallContext context{&in, &out, false, "", &autostart, &service, nullptr};
        EXPECT_EQ(RunUninstall(store, context), 1);
        EXPECT_NE(out.str().find(store.MailBoxes().substr(0, store.MailBoxes().size() - 1)),
                  std::string::npos);
        EXPECT_TRUE(FileExists(store.SettingsFile()));
        EXPECT_TRUE(autostart.IsRunAtLogon());
    }

    std::istringstream in("y\n");
    std::ostringstream out;
    UninstallContext context{&in, &out, false, "", &autostart, &service, nullptr};
    EXPECT_EQ(RunUninstall(store, context), 0) << out.str();
    EXPECT_FALSE(IsFolder(store.DataFolder()));
    EXPECT_FALSE(autostart.IsRunAtLogon());
    EXPECT_FALSE(service.IsService());
    ASSERT_FALSE(runner.commands.empty());
    EXPECT_EQ(runner.commands.front(),
              (std::vector<std::string>{"systemctl", "--user", "disable", "orvia.service"}));

    // The order of removal: prompts, mailboxes, OGMs, logs, then the data folder.
    const std::string text = out.str();
    std::vector<std::size_t> at;
    for (const std::string& folder : FoldersToRemove(store))
        at.push_back(text.find("removed " + folder + " "));
    for (std::size_t i = 0; i < at.size(); ++i) {
        ASSERT_NE(at[i], std::string::npos) << i << "\n" << text;
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]);
        }
    }
}

TEST_F(InstallCommandsTest, ForeignSubFolderAndRunningInstanceAreRespected) {
    const SettingsStore store = ResolveStore();
    PlacePrompts(store);
    ASSERT_EQ(::mkdir((store.MailBoxes() + "keep").c_str(), 0700), 0);
    ASSERT_TRUE(WriteFile(store.MailBoxes() + "keep/mine.txt", "someone's"));

    std::ostringstream out;
    UninstallContext stillRunning{nullptr, &out, true, "", nullptr, nullptr, [] { return false; }};
    EXPECT_EQ(RunUninstall(store, stillRunning), 1);
    EXPECT_TRUE(FileExists(store.SystemPrompts() + "GoodBye.wav"));

    bool asked = false;
    UninstallContext context{nullptr, &out, true, "", nullptr, nullptr, [&] {
                                 asked = true;
                                 return true;
                             }};
    EXPECT_EQ(RunUninstall(store, context), 2);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(IsFolder(store.SystemPrompts()));
    EXPECT_EQ(ReadFile(store.MailBoxes() + "keep/mine.txt"), "someone's");
    EXPECT_TRUE(IsFolder(store.DataFolder()));  // still holds MailBoxes
}

TEST(RemovalRefusal, GuardsAgainstMistakenFolders) {
    TempDir dir;
    ASSERT_EQ(::mkdir((dir.Path() + "home").c_str(), 0700), 0);
    EXPECT_NE(RemovalRefusal("/", ""), "");
    EXPECT_NE(RemovalRefusal("/etc/", ""), "");
    EXPECT_NE(RemovalRefusal("relative/folder", ""), "");
    EXPECT_NE(RemovalRefusal(dir.Path() + "home", dir.Path() + "home/"), "");
    EXPECT_NE(RemovalRefusal(dir.Path() + "home/../home", dir.Path() + "home"), "");
    EXPECT_EQ(RemovalRefusal(dir.Path() + "home/orvia", dir.Path() + "home"), "");
    EXPECT_EQ(RemovalRefusal("/srv/phone", "/root"), "");
}

}  // namespace
}  // namespace orvia
