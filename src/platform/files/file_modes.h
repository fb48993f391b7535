// The modes of the files and folders the program writes.
//
// A file holding secrets or messages (INI files, which hold the passwords,
// access codes and message properties; recordings; call logs; the queue of
// recordings) is private: created 0600 less the umask. Any other file (the
// compression choice, the single-instance lock, desktop entries, unit files,
// the folders file, a copy the user saves elsewhere) is shared: 0666 less the
// umask. A file that is replaced keeps the mode it had (and, when root
// replaces it, its owner), so a mode the owner chose survives every rewrite;
// only a new file takes the mode of its kind. Data folders are created 0700.
//
// Any thread.
#pragma once

#include <sys/types.h>

#include <string>

namespace orvia {

enum class FileAccess { Private, Shared };

// 0600 for private files, 0666 for shared ones, before the umask.
mode_t CreationMode(FileAccess access);

// The process's umask (022 when it cannot be read).
mode_t ProcessUmask();

// CreationMode less the umask: the mode a new file of this kind gets.
mode_t NewFileMode(FileAccess access);

// The mode a replacement of path gets: path's present permission bits, or
// NewFileMode when path does not exist.
mode_t ReplacementMode(const std::string& path, FileAccess access);

// Creates the temporary file that is to replace path, as ".<name>.XXXXXX" in
// path's folder, with ReplacementMode and, when the caller is root, path's
// owner and group. Returns its descriptor (close-on-exec) and sets
// *temporaryPath; -1 on failure.
int CreateReplacement(const std::string& path, FileAccess access, std::string* temporaryPath);

// True when mode lets users other than the owner read the file, given the
// mode of the folder it lies in (which must let them through).
bool ReadableByOthers(mode_t fileMode, mode_t folderMode);

}  // namespace orvia
