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
    EXPECT_EQ(SettingsStore::Resolve(fake.env).DataSource(), DataFolderSource::SystemFolder);

    fake.vars["ORVIA_DATA"] = dir.Path() + "chosen//";
    ExpectFolders(SettingsStore::Resolve(fake.env), dir.Path() + "chosen/");
}

TEST(SettingsStore, OrviaDataWinsOverTheFoldersFileForEveryFolder) {
    TempDir dir;
    ASSERT_TRUE(MakeFolders(dir.Path() + "etc"));
    const std::string etc = dir.Path() + "etc/folders.ini";
    const std::string other = dir.Path() + "other.ini";
    // An install elsewhere named every folder in the system's folders file.
    for (const char* name : {"DataFiles", "System Prompts", "MailBoxes", "OGMs", "Logs"})
        ASSERT_TRUE(WriteProfileString(etc, "Folders", name, dir.Path() + "x/" + name));
    ASSERT_TRUE(WriteProfileString(other, "folders", "DataFiles", dir.Path() + "d2/"));
    ASSERT_TRUE(WriteProfileString(other, "folders", "Logs", dir.Path() + "logs"));
    const std::string onlyBoxes = dir.Path() + "boxes.ini";
    ASSERT_TRUE(WriteProfileString(onlyBoxes, "Folders", "MailBoxes", dir.Path() + "boxes"));

    const struct Case {
        const char* orviaData;     // null: not set
        const char* orviaFolders;  // null: not set (the system's file applies)
        std::string data, prompts, mailBoxes, logs, foldersFile;
        DataFolderSource source;
    } cases[] = {
        {"chosen", nullptr, "chosen/", "chosen/System Prompts/", "chosen/MailBoxes/",
         "chosen/Logs/", "", DataFolderSource::Environment},
        {"chosen", "other.ini", "chosen/", "chosen/System Prompts/", "chosen/MailBoxes/",
         "chosen/Logs/", "", DataFolderSource::Environment},
        {nullptr, nullptr, "x/DataFiles/", "x/System Prompts/", "x/MailBoxes/", "x/Logs/",
         "etc/folders.ini", DataFolderSource::FoldersFile},
        // Sub-folders not named follow the named data folder.
        {nullptr, "other.ini", "d2/", "d2/System Prompts/", "d2/MailBoxes/", "logs/", "other.ini",
         DataFolderSource::FoldersFile},
        // A data folder not named is the default one.
        {nullptr, "boxes.ini", "home/.local/share/orvia/",
         "home/.local/share/orvia/System Prompts/", "boxes/", "home/.local/share/orvia/Logs/",
         "boxes.ini", DataFolderSource::UserFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.orviaData ? c.orviaData : "-") + " " +
                     (c.orviaFolders ? c.orviaFolders : "-"));
        FakeEnvironment fake(dir);
        if (c.orviaData)
            fake.vars["ORVIA_DATA"] = dir.Path() + c.orviaData;
        if (c.orviaFolders)
            fake.vars["ORVIA_FOLDERS"] = dir.Path() + c.orviaFolders;
        const SettingsStore s = SettingsStore::Resolve(fake.env);
        EXPECT_EQ(s.DataFolder(), dir.Path() + c.data);
        EXPECT_EQ(s.SettingsFile(), dir.Path() + c.data + "settings.ini");
        EXPECT_EQ(s.SystemPrompts(), dir.Path() + c.prompts);
        EXPECT_EQ(s.MailBoxes(), dir.Path() + c.mailBoxes);
        EXPECT_EQ(s.Logs(), dir.Path() + c.logs);
        EXPECT_EQ(s.FoldersFile(), c.foldersFile.empty() ? "" : dir.Path() + c.foldersFile);
        EXPECT_EQ(s.DataSource(), c.source);
        for (const std::string* folder : {&s.DataFolder(), &s.MailBoxes(), &s.Logs()})
            EXPECT_TRUE(FileExists(*folder)) << *folder;
    }
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
