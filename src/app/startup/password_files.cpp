#include "app/startup/password_files_p.h"

#include <sys/stat.h>

#include <cstdio>

#include "app/startup/installed_data_p.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/file_modes.h"
#include "platform/files/folder_listing.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"

namespace orvia {
namespace {

// Keys whose non-empty value is a password or an access code.
constexpr const char* kPasswordKeys[] = {"password", "ftppass", "accesscode"};

bool HoldsPassword(const std::string& path) {
    for (const std::string& section : ReadProfileSectionNames(path)) {
        for (const auto& [key, value] : ReadProfileSection(path, section)) {
            if (value.empty())
                continue;
            for (const char* name : kPasswordKeys) {
                if (EqualsNoCase(key, name))
                    return true;
            }
        }
    }
    return false;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

std::vector<ExposedPasswordFile> FindExposedPasswordFiles(const SettingsStore& store) {
    std::vector<std::string> candidates = {store.SettingsFile(),
                                           store.DataFolder() + kTelephonyConfigName};
    for (const std::string& name : ListFolderFiles(store.MailBoxes(), ".mbx"))
        candidates.push_back(store.MailBoxes() + name);
    std::vector<ExposedPasswordFile> exposed;
    for (const std::string& path : candidates) {
        struct stat file {};
        struct stat folder {};
        if (::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
            ::stat(FolderOf(path).c_str(), &folder) != 0)
            continue;
        if (ReadableByOthers(file.st_mode, folder.st_mode) && HoldsPassword(path))
            exposed.push_back({path, static_cast<mode_t>(file.st_mode & 07777)});
    }
    return exposed;
}

int WarnAboutExposedPasswordFiles(const SettingsStore& store) {
    const std::vector<ExposedPasswordFile> exposed = FindExposedPasswordFiles(store);
    for (const ExposedPasswordFile& file : exposed) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(file.mode));
        ReportWarning("app", file.path + " holds a password and other users can read it (mode " +
                                 mode + "); make it private with: chmod 600 '" + file.path + "'");
    }
    return static_cast<int>(exposed.size());
}

}  // namespace orvia
