// The one directory lister: what a folder holds, sorted by name. A Linux
// directory comes in no useful order; sorted, numbered messages come oldest
// first, as their owners expect to hear them, and every list is the same on
// every run.
//
// Any thread: each call reads the folder afresh.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvia {

struct FolderEntry {
    std::string name;       // without folder
    bool isFolder = false;  // a folder itself, not a symbolic link to one
    bool isFile = false;    // a regular file, or a symbolic link to one
};

// Every entry of folder except "." and "..", sorted by name. False (with
// errno set) when the folder cannot be read.
bool ReadFolderEntries(const std::string& folder, std::vector<FolderEntry>* entries);

// The names of the regular files of folder (ending in "/") whose names end in
// suffix, leaving out names that begin with "."; sorted by name. An
// unreadable folder gives none.
std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view suffix = {});

}  // namespace orvia
