#include "app/startup/install_commands_p.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <istream>
#include <ostream>

#include "app/startup/installed_data_p.h"
#include "platform/desktop/autostart.h"
#include "platform/desktop/service_unit.h"
#include "platform/files/folder_listing.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"

namespace orvia {
namespace {

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The folder's path with symbolic links, "." and ".." resolved; the path
// itself when it does not exist.
std::string Canonical(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return WithoutSlash(path);
    std::string out = resolved;
    ::free(resolved);
    return out;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Confirmed(const std::vector<std::string>& folders, const UninstallContext& context) {
    std::ostream& out = *context.out;
    out << "This removes these folders and every file in them:\n";
    for (const std::string& folder : folders)
        out << "  " << folder << "\n";
    if (context.assumeYes)
        return true;
    out << "Remove them? [y/N] " << std::flush;
    std::string answer;
    if (context.in == nullptr || !std::getline(*context.in, answer))
        return false;
    answer = AsciiLower(answer);
    return answer == "y" || answer == "yes";
}

FolderRemoval EmptyAndRemove(const std::string& folder, const std::string& home) {
    FolderRemoval removal;
    removal.folder = folder;
    if (std::string refusal = RemovalRefusal(folder, home); !refusal.empty()) {
        removal.problem = refusal;
        return removal;
    }
    if (!IsFolder(folder)) {
        removal.problem = "not there";
        return removal;
    }
    std::vector<FolderEntry> entries;
    if (!ReadFolderEntries(folder, &entries)) {
        removal.problem = std::strerror(errno);
        return removal;
    }
    for (const FolderEntry& entry : entries) {
        if (!entry.isFolder)
            removal.filesRemoved += ::unlink((folder + "/" + entry.name).c_str()) == 0 ? 1 : 0;
    }
    if (::rmdir(folder.c_str()) == 0)
        removal.folderRemoved = true;
    else
        removal.problem = std::strerror(errno);
    return removal;
}

}  // namespace

bool WriteFoldersFile(const SettingsStore& store) {
    const std::string& file = store.FoldersFile();
    if (file.empty())
        return false;
    const std::size_t slash = file.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(file.substr(0, slash)))
        return false;
    // Every user's start reads the folders file: a new one is readable by all
    // (it names folders, nothing secret).
    if (!FileIsPresent(file) && !ReplaceTextFile(file, "", FileAccess::Shared))
        return false;
    const std::pair<const char*, const std::string*> values[] = {
        {kFolderData, &store.DataFolder()},     {kFolderPrompts, &store.SystemPrompts()},
        {kFolderMailBoxes, &store.MailBoxes()}, {kFolderOgms, &store.OGMs()},
        {kFolderLogs, &store.Logs()},
    };
    bool ok = true;
    for (const auto& [name, folder] : values)
        ok = ok && WriteProfileString(file, "Folders", name, WithoutSlash(*folder));
    return ok;
}

int RunInstall(const SettingsStore& store, std::ostream& out) {
    if (!store.CreateFolders()) {
        out << "Cannot create the data folders under " << store.DataFolder() << "\n";
        return 1;
    }
    const InstalledDataReport report = InstallMissingData(store);
    for (const std::string& path : report.created)
        out << "created " << path << "\n";
    for (const std::string& path : report.failed)
        out << "could not create " << path << "\n";
    switch (store.DataSource()) {
        case DataFolderSource::SystemFolder:
        case DataFolderSource::FoldersFile:
            if (WriteFoldersFile(store))
                out << "folders named in " << store.FoldersFile() << "\n";
            else
                out << "note: the folders file " << store.FoldersFile()
                    << " cannot be written; starts find the data folder by default\n";
            break;
        case DataFolderSource::Environment:
            // The folders file names the data every start uses: only the
            // system's data folder belongs there.
            out << "no folders file written: ORVIA_DATA chose this data folder, and only "
                   "starts with ORVIA_DATA set to it use it\n";
            break;
        case DataFolderSource::UserFolder:
        case DataFolderSource::Given:
            out << "no folders file written: this is the user's own data folder, which this "
                   "user's starts find by default\n";
            break;
    }
    out << "Orvia data installed in " << store.DataFolder() << "\n";
    return report.failed.empty() ? 0 : 1;
}

std::vector<std::string> FoldersToRemove(const SettingsStore& store) {
    return {WithoutSlash(store.SystemPrompts()), WithoutSlash(store.MailBoxes()),
            WithoutSlash(store.OGMs()), WithoutSlash(store.Logs()),
            WithoutSlash(store.DataFolder())};
}

std::string RemovalRefusal(const std::string& folder, const std::string& home) {
    const std::string path = Canonical(folder);
    if (path.empty() || path[0] != '/')
        return "not an absolute folder";
    if (path == "/" || path.find('/', 1) == std::string::npos)
        return "refused: a folder at the top of the file system";
    if (!home.empty() && path == Canonical(home))
        return "refused: the home folder";
    return {};
}

std::vector<FolderRemoval> RemoveDataFolders(const SettingsStore& store, const std::string& home) {
    std::vector<FolderRemoval> removals;
    for (const std::string& folder : FoldersToRemove(store))
        removals.push_back(EmptyAndRemove(folder, home));
    return removals;
}

int RunUninstall(const SettingsStore& store, const UninstallContext& context) {
    std::ostream& out = *context.out;
    const std::vector<std::string> folders = FoldersToRemove(store);
    if (!Confirmed(folders, context)) {
        out << "Nothing removed.\n";
        return 1;
    }
    if (context.endRunningInstance && !context.endRunningInstance()) {
        out << "Orvia is still running and did not end when asked; nothing removed.\n";
        return 1;
    }
    bool complete = true;
    if (context.autostart != nullptr && context.autostart->IsRunAtLogon()) {
        const bool ok = context.autostart->SetRunAtLogon(false);
        out << (ok ? "removed " : "could not remove ") << context.autostart->EntryPath() << "\n";
        complete = complete && ok;
    }
    if (context.service != nullptr && context.service->IsService()) {
        const bool ok = context.service->SetService(false);
        out << (ok ? "removed " : "could not fully remove ") << context.service->UnitPath() << "\n";
        complete = complete && ok;
    }
    for (const FolderRemoval& removal : RemoveDataFolders(store, context.home)) {
        if (removal.folderRemoved) {
            out << "removed " << removal.folder << " (" << removal.filesRemoved << " files)\n";
        } else if (removal.problem != "not there") {
            out << "kept " << removal.folder << ": " << removal.problem << "\n";
            complete = false;
        }
    }
    return complete ? 0 : 2;
}

}  // namespace orvia
