// Small whole-file writes for the files the platform layer owns (autostart
// entries, service units). Any thread may call these.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/files/file_modes.h"

namespace orvia {

// Writes all of data to fd, retrying short writes and interruptions; false
// when the descriptor refuses (disk full, closed pipe).
bool WriteFully(int fd, std::string_view data);

// Creates path and any missing parent folders with mode (before the umask);
// folders that exist keep theirs.
bool MakeFolders(const std::string& path, mode_t mode = 0755);

// Replaces the file's content atomically: a temporary file in the same
// folder is written, synced and renamed over the old one, so a failure leaves
// the old file intact. The parent folders are created when missing. The file
// keeps its mode; a new one gets the mode of its kind (file_modes.h).
bool ReplaceTextFile(const std::string& path, const std::string& content,
                     FileAccess access = FileAccess::Shared);

// Removes the file; true when it is gone afterwards (also when it never was).
bool RemoveFileIfPresent(const std::string& path);

bool FileIsPresent(const std::string& path);

}  // namespace orvia
