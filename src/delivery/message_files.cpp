#include "delivery/message_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "store/settings_store.h"

namespace orvia {
namespace {

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string FileStem(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name);
}

std::string WithExtension(std::string_view path, std::string_view ext) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > nameStart)
        path = path.substr(0, dot);
    return std::string(path) + std::string(ext);
}

std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view suffix) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name.front() == '.' || !EndsWith(name, suffix))
            continue;
        if (IsRegularFile(folder + name))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListMessageFiles(const std::string& mailboxName) {
    const std::string& folder = Store().MailBoxes();
    const std::string prefix = mailboxName + " ICM";
    std::vector<std::string> paths;
    for (const std::string& name : ListFolderFiles(folder, ".ini"))
        if (name.compare(0, prefix.size(), prefix) == 0)
            paths.push_back(folder + name);
    return paths;
}

}  // namespace orvia
