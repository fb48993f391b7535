// Safe replacement of a recording by a processed copy: the copy is written
// beside the original, checked, synced and renamed over it in one step, so
// the original is either wholly kept or wholly replaced.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>

namespace orvia {

// What tells one state of a file from another: identity, size and
// modification time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    mode_t mode = 0;

    bool SameContent(const FileStamp& other) const;
};

// The stamp of a regular file; nullopt when it is missing or not a regular file.
std::optional<FileStamp> StampOf(const std::string& path);

// True while another open handle (of this or any process) holds the file.
// Asks the kernel for a write lease, which is granted only when no other
// descriptor is open; when it cannot tell (no such file, lease refused for
// another reason) the answer is false.
bool IsFileInUse(const std::string& path);

// A new, empty file with a unique name ("tmp" and six characters) in the
// folder of target; empty when it cannot be made.
std::string CreateFileBeside(const std::string& target);

// Makes replacement durable and renames it over target, giving it target's
// permission bits. False (nothing changed) when the rename fails.
bool ReplaceFile(const std::string& replacement, const std::string& target, mode_t mode);

}  // namespace orvia
