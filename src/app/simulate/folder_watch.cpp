#include "app/simulate/folder_watch_p.h"

#include <filesystem>
#include <system_error>

namespace orvia {

FolderWatch::Snapshot FolderWatch::Take(const std::string& folder) {
    namespace fs = std::filesystem;
    Snapshot snapshot;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || entryError)
            continue;
        Entry entry;
        entry.size = it->file_size(entryError);
        const auto time = it->last_write_time(entryError);
        if (entryError)
            continue;
        entry.modified =
            std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
        snapshot[fs::relative(it->path(), folder, entryError).generic_string()] = entry;
        if (snapshot.size() >= kMaxFiles)
            break;
    }
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
