#include "store/settings_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/files/text_file.h"
#include "store/profile.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::TempDir;

// A folder environment over a map of variables, with system paths inside the
// test's own folder.
struct FakeEnvironment {
    explicit FakeEnvironment(const TempDir& dir) {
        env.getenv = [this](const char* name) -> const char* {
            auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second.c_str();
        };
        env.defaultFoldersFile = dir.Path() + "etc/folders.ini";
        env.systemDataFolder = dir.Path() + "var/lib/orvia";
        vars["HOME"] = dir.Path() + "home";
    }
    std::map<std::string, std::string> vars;
    FolderEnvironment env;
};

void ExpectFolders(const SettingsStore& s, const std::string& data) {
    EXPECT_EQ(s.DataFolder(), data);
    EXPECT_EQ(s.SettingsFile(), data + "settings.ini");
    EXPECT_EQ(s.SystemPrompts(), data + "System Prompts/");
    EXPECT_EQ(s.MailBoxes(), data + "MailBoxes/");
    EXPECT_EQ(s.OGMs(), data + "OGMs/");
    EXPECT_EQ(s.Logs(), data + "Logs/");
    for (const std::string* folder :
         {&s.DataFolder(), &s.SystemPrompts(), &s.MailBoxes(), &s.OGMs(), &s.Logs()})
        EXPECT_TRUE(FileExists(*folder)) << *folder;
}

TEST(SettingsStore, DefaultFolderOrder) {
    TempDir dir;
    FakeEnvironment fake(dir);
    // Nothing set: ~/.local/share/orvia, created with its sub-folders.
    ExpectFolders(SettingsStore::Resolve(fake.env), dir.Path() + "home/.local/share/orvia/");

    fake.vars["XDG_DATA_HOME"] = dir.Path() + "xdg/";
    ExpectFolders(SettingsStore::Resolve(fake.env), dir.Path() + "xdg/orvia/");

    // An existing writable system folder wins over the user's.
    ASSERT_TRUE(MakeFolders(fake.env.systemDataFolder));
    ExpectFolders(SettingsStore::Resolve(fake.env), dir.Path() + "var/lib/orvia/");

    fake.vars["ORVIA_DATA"] = dir.Path() + "chosen//";
    ExpectFolders(SettingsStore::Resolve(fake.env), dir.Path() + "chosen/");
}

TEST(SettingsStore, FoldersFileNamesEachFolder) {
    TempDir dir;
    FakeEnvironment fake(dir);
    fake.vars["ORVIA_DATA"] = dir.Path() + "data";
    // The default folders file applies when ORVIA_FOLDERS is not set.
    ASSERT_TRUE(MakeFolders(dir.Path() + "etc"));
    ASSERT_TRUE(WriteProfileString(fake.env.defaultFoldersFile, "Folders", "MailBoxes",
                                   dir.Path() + "boxes"));
    SettingsStore s = SettingsStore::Resolve(fake.env);
    EXPECT_EQ(s.MailBoxes(), dir.Path() + "boxes/");
    EXPECT_EQ(s.OGMs(), dir.Path() + "data/OGMs/");
    EXPECT_TRUE(FileExists(s.MailBoxes()));

    const std::string other = dir.Path() + "other.ini";
    ASSERT_TRUE(WriteProfileString(other, "folders", "DataFiles", dir.Path() + "d2/"));
    ASSERT_TRUE(WriteProfileString(other, "folders", "Logs", dir.Path() + "logs"));
    fake.vars["ORVIA_FOLDERS"] = other;
    s = SettingsStore::Resolve(fake.env);
    EXPECT_EQ(s.FoldersFile(), other);
    EXPECT_EQ(s.DataFolder(), dir.Path() + "d2/");
    EXPECT_EQ(s.SettingsFile(), dir.Path() + "d2/settings.ini");
    EXPECT_EQ(s.Logs(), dir.Path() + "logs/");
    // Sub-folders not named follow the named data folder.
    EXPECT_EQ(s.OGMs(), dir.Path() + "d2/OGMs/");
    EXPECT_TRUE(FileExists(s.OGMs()));
}

TEST(SettingsStore, ProcessWideStoreCanBeReplaced) {
    TempDir dir;
    const SettingsStore& before = Store();
    SetStore(SettingsStore::ForDataFolder(dir.Path() + "x"));
    EXPECT_EQ(Store().OGMs(), dir.Path() + "x/OGMs/");
    EXPECT_FALSE(before.DataFolder().empty());  // earlier references stay usable
    EXPECT_TRUE(Store().CreateFolders());
    EXPECT_TRUE(FileExists(dir.Path() + "x/Logs"));
}

}  // namespace
}  // namespace orvia
