#include "store/settings_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <mutex>

#include "platform/files/text_file.h"
#include "store/profile.h"

namespace orvia {
namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsWritableFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string HomeFolder(const FolderEnvironment& env) {
    if (const char* home = env.getenv("HOME"); home && *home)
        return home;
    if (const struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

// The data folder when neither $ORVIA_DATA nor the folders file names one.
std::string DefaultDataFolder(const FolderEnvironment& env, DataFolderSource* source) {
    if (IsWritableFolder(env.systemDataFolder)) {
        *source = DataFolderSource::SystemFolder;
        return WithoutSlash(env.systemDataFolder);
    }
    *source = DataFolderSource::UserFolder;
    if (const char* xdg = env.getenv("XDG_DATA_HOME"); xdg && *xdg)
        return WithoutSlash(xdg) + "/orvia";
    return HomeFolder(env) + "/.local/share/orvia";
}

}  // namespace

SettingsStore SettingsStore::Resolve(const FolderEnvironment& env) {
    if (const char* data = env.getenv("ORVIA_DATA"); data && *data) {
        // The folder asked for holds everything: a folders file written by an
        // install elsewhere must not send this start to other data.
        SettingsStore store = ForDataFolder(WithoutSlash(data));
        store.source_ = DataFolderSource::Environment;
        store.CreateFolders();
        return store;
    }
    SettingsStore store;
    const char* folders = env.getenv("ORVIA_FOLDERS");
    store.foldersFile_ = (folders && *folders) ? folders : env.defaultFoldersFile;
    auto named = [&](const char* valueName) {
        return ReadProfileString(store.foldersFile_, "Folders", valueName, "");
    };
    // A sub-folder that the folders file does not name lies in the data
    // folder, whether that was named or is the default.
    const std::string dataValue = named(kFolderData);
    store.source_ = DataFolderSource::FoldersFile;
    store.data_ = WithSlash(dataValue.empty() ? DefaultDataFolder(env, &store.source_) : dataValue);
    store.settingsFile_ = store.data_ + "settings.ini";
    auto resolve = [&](const char* valueName) {
        const std::string value = named(valueName);
        return WithSlash(value.empty() ? store.data_ + valueName : value);
    };
    store.prompts_ = resolve(kFolderPrompts);
    store.mailBoxes_ = resolve(kFolderMailBoxes);
    store.ogms_ = resolve(kFolderOgms);
    store.logs_ = resolve(kFolderLogs);
    store.CreateFolders();
    return store;
}

SettingsStore SettingsStore::ForDataFolder(const std::string& dataFolder) {
    SettingsStore store;
    store.data_ = WithSlash(dataFolder);
    store.settingsFile_ = store.data_ + "settings.ini";
    store.prompts_ = store.data_ + kFolderPrompts + "/";
    store.mailBoxes_ = store.data_ + kFolderMailBoxes + "/";
    store.ogms_ = store.data_ + kFolderOgms + "/";
    store.logs_ = store.data_ + kFolderLogs + "/";
    return store;
}

bool SettingsStore::CreateFolders() const {
    bool ok = true;
    for (const std::string* folder : {&data_, &prompts_, &mailBoxes_, &ogms_, &logs_})
        ok = MakeFolders(WithoutSlash(*folder), kDataFolderMode) && ok;
    return ok;
}

namespace {
std::mutex& StoreMutex() {
    static std::mutex mutex;
    return mutex;
}
// Every store ever installed stays alive, so a reference handed out before a
// SetStore never dangles; only start-up and tests install stores.
std::list<SettingsStore>& Installed() {
    static std::list<SettingsStore> installed;
    return installed;
}
}  // namespace

const SettingsStore& Store() {
    std::lock_guard<std::mutex> guard(StoreMutex());
    auto& installed = Installed();
    if (installed.empty())
        installed.push_back(SettingsStore::Resolve());
    return installed.back();
}

void SetStore(const SettingsStore& store) {
    std::lock_guard<std::mutex> guard(StoreMutex());
    Installed().push_back(store);
}

}  // namespace orvia
