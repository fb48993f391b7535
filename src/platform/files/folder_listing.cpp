#include "platform/files/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace orvia {
namespace {

// Closes the directory stream on every path out.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool ReadFolderEntries(const std::string& folder, std::vector<FolderEntry>* entries) {
    entries->clear();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        FolderEntry item;
        item.name = entry->d_name;
        if (item.name == "." || item.name == "..")
            continue;
        // The directory entry's type saves a look at the file itself; a link,
        // or a file system that does not give the type, needs one.
        if (entry->d_type == DT_DIR) {
            item.isFolder = true;
        } else if (entry->d_type == DT_REG) {
            item.isFile = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            const std::string path = InFolder(folder, item.name);
            struct stat st {};
            item.isFolder = entry->d_type == DT_UNKNOWN && ::lstat(path.c_str(), &st) == 0 &&
                            S_ISDIR(st.st_mode);
            item.isFile = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        }
        entries->push_back(std::move(item));
    }
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view suffix) {
    std::vector<std::string> names;
    std::vector<FolderEntry> entries;
    if (!ReadFolderEntries(folder, &entries))
        return names;
    for (FolderEntry& entry : entries) {
        const std::string_view name = entry.name;
        if (!entry.isFile || name.front() == '.' || name.size() < suffix.size() ||
            name.substr(name.size() - suffix.size()) != suffix)
            continue;
        names.push_back(std::move(entry.name));
    }
    return names;
}

}  // namespace orvia
