#include "app/simulate/folder_watch_p.h"

#include <sys/stat.h>

#include "platform/files/folder_listing.h"

namespace orvia {
namespace {

// Adds the regular files under root + relative (a folder path ending in "/"
// or empty) to the snapshot, descending into folders but not into links to
// them; a folder that cannot be read is passed over.
void AddFolder(const std::string& root, const std::string& relative,
               FolderWatch::Snapshot& snapshot) {
    std::vector<FolderEntry> entries;
    if (!ReadFolderEntries(root + relative, &entries))
        return;
    for (const FolderEntry& item : entries) {
        if (snapshot.size() >= FolderWatch::kMaxFiles)
            return;
        const std::string path = relative + item.name;
        struct stat st {};
        if (item.isFolder) {
            AddFolder(root, path + "/", snapshot);
        } else if (item.isFile && ::stat((root + path).c_str(), &st) == 0) {
            FolderWatch::Entry entry;
            entry.size = static_cast<uintmax_t>(st.st_size);
            entry.modified = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
            snapshot[path] = entry;
        }
    }
}

}  // namespace

FolderWatch::Snapshot FolderWatch::Take(const std::string& folder) {
    Snapshot snapshot;
    AddFolder(folder, "", snapshot);
    return snapshot;
}

FolderWatch::Changes FolderWatch::Compare(const Snapshot& before, const Snapshot& after) {
    Changes changes;
    for (const auto& [path, entry] : after) {
        auto it = before.find(path);
        if (it == before.end())
            changes.added.push_back(path);
        else if (!(it->second == entry))
            changes.changed.push_back(path);
    }
    for (const auto& [path, entry] : before) {
        if (after.find(path) == after.end())
            changes.removed.push_back(path);
    }
    return changes;
}

std::string FolderWatch::Newest(const std::vector<std::string>& paths, const Snapshot& after) {
    std::string newest;
    int64_t time = 0;
    for (const std::string& path : paths) {
        auto it = after.find(path);
        if (it == after.end())
            continue;
        if (newest.empty() || it->second.modified > time) {
            newest = path;
            time = it->second.modified;
        }
    }
    return newest;
}

}  // namespace orvia
