#include "engine/folder_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace orvia {
namespace {

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Closes the directory stream on every path out.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::vector<std::string> SearchFolder(const std::string& folder, std::string_view prefix,
                                      std::string_view suffix) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.' || name.size() < prefix.size() + suffix.size())
            continue;
        if (name.substr(0, prefix.size()) != prefix ||
            name.substr(name.size() - suffix.size()) != suffix)
            continue;
        if (IsRegularFile(folder + std::string(name)))
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace orvia
