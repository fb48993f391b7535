// Where the data lives: settings.ini and the data, System Prompts, MailBoxes,
// OGMs and Logs folders. Every folder path ends in "/"; other code builds file
// paths by concatenation (Store().MailBoxes() + name + ".mbx").
//
// Resolution: $ORVIA_DATA, when set, is the data folder and every sub-folder
// lies in it; the folders file is not read. Otherwise each folder is the value
// of the same name in section "Folders" of the folders file ($ORVIA_FOLDERS,
// else /etc/orvia/folders.ini) when it is there; a data folder it does not
// name is /var/lib/orvia when that exists and is writable, else
// $XDG_DATA_HOME/orvia (by default ~/.local/share/orvia); a sub-folder it
// does not name is the data folder with the sub-folder's name appended.
#pragma once

#include <functional>
#include <string>

namespace orvia {

// The mode (before the umask) of the data folders Orvia creates: they hold
// the messages and the passwords, so only their owner may enter them.
inline constexpr unsigned kDataFolderMode = 0700;

// Value names of the folders file.
inline constexpr const char* kFolderData = "DataFiles";
inline constexpr const char* kFolderPrompts = "System Prompts";
inline constexpr const char* kFolderMailBoxes = "MailBoxes";
inline constexpr const char* kFolderOgms = "OGMs";
inline constexpr const char* kFolderLogs = "Logs";
inline constexpr const char* kFolderProgram = "ProgramFiles";

// What folder resolution looks at, replaceable by tests.
struct FolderEnvironment {
    std::function<const char*(const char*)> getenv = [](const char* name) {
        return ::getenv(name);
    };
    std::string defaultFoldersFile = "/etc/orvia/folders.ini";
    std::string systemDataFolder = "/var/lib/orvia";
};

// What chose the data folder.
enum class DataFolderSource {
    Environment,   // $ORVIA_DATA
    FoldersFile,   // the folders file's "DataFiles"
    SystemFolder,  // /var/lib/orvia
    UserFolder,    // the user's own ($XDG_DATA_HOME/orvia)
    Given,         // ForDataFolder
};

class SettingsStore {
public:
    // Resolves every folder and creates the data folder and its four
    // sub-folders when missing (a failure leaves them missing; each use of a
    // file then fails on its own).
    static SettingsStore Resolve(const FolderEnvironment& env = FolderEnvironment());
    // A store over the given data folder with the default sub-folder names.
    static SettingsStore ForDataFolder(const std::string& dataFolder);

    const std::string& SettingsFile() const { return settingsFile_; }
    const std::string& DataFolder() const { return data_; }
    const std::string& SystemPrompts() const { return prompts_; }
    const std::string& MailBoxes() const { return mailBoxes_; }
    const std::string& OGMs() const { return ogms_; }
    const std::string& Logs() const { return logs_; }
    // The folders file consulted (it need not exist); empty when none was
    // ($ORVIA_DATA is set, or the store was given its folder).
    const std::string& FoldersFile() const { return foldersFile_; }
    DataFolderSource DataSource() const { return source_; }

    // Creates the data folder and the four sub-folders (kDataFolderMode;
    // folders that exist keep their mode); false when one of them cannot be
    // created.
    bool CreateFolders() const;

private:
    std::string settingsFile_;
    std::string data_;
    std::string prompts_;
    std::string mailBoxes_;
    std::string ogms_;
    std::string logs_;
    std::string foldersFile_;
    DataFolderSource source_ = DataFolderSource::Given;
};

// The process-wide store, resolved on first use.
const SettingsStore& Store();
// Replaces the process-wide store (start-up with a chosen folder, tests).
// Not for use while other threads may read it.
void SetStore(const SettingsStore& store);

}  // namespace orvia
