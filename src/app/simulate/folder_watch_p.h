// What changed among the files of a folder tree between two looks: which
// files are new, changed (size or modification time) or gone. `orvia
// simulate` uses it to name the file a recording goes to and to list what a
// call left behind.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvia {

class FolderWatch {
public:
    struct Entry {
        int64_t modified = 0;  // nanoseconds
        uintmax_t size = 0;
        bool operator==(const Entry&) const = default;
    };
    using Snapshot = std::map<std::string, Entry>;

    // Regular files under folder (ending in "/"), by path relative to it; at
    // most kMaxFiles of them.
    static Snapshot Take(const std::string& folder);
    static constexpr std::size_t kMaxFiles = 100000;

    struct Changes {
        std::vector<std::string> added;    // new files
        std::vector<std::string> changed;  // files whose size or time changed
        std::vector<std::string> removed;  // files that are gone
    };
    static Changes Compare(const Snapshot& before, const Snapshot& after);

    // The most recently modified of the paths (relative), by the after
    // snapshot; empty when there are none.
    static std::string Newest(const std::vector<std::string>& paths, const Snapshot& after);
};

}  // namespace orvia
