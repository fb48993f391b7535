// Opening files named by the data folder or by the settings.
//
// Such a path may name anything: a FIFO, a device or a socket put where a
// recording, a settings file or a log is expected. A plain open() of a FIFO
// blocks until a peer appears, and a device may never end, so every file of
// that kind is opened here: without blocking, and refused unless it is a
// regular file (or, for OpenFolder, a directory). A path that names something
// else is not even opened when that can be told beforehand, so opening it has
// no side effect.
//
// Any thread.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

namespace orvia {

// open(2) for a regular file: flags and mode as for open (O_CLOEXEC is always
// added). The descriptor is blocking unless flags ask for O_NONBLOCK. -1 with
// errno set when the file cannot be opened; errno is EISDIR for a directory
// and EINVAL for any other kind of file that is not a regular file.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);

// A directory opened for reading (to sync it, say); -1 with errno set, ENOTDIR
// when path is something else.
int OpenFolder(const std::string& path);

// True when path names a regular file (symbolic links followed).
bool IsRegularFile(const std::string& path);

// Up to maxBytes of a regular file, opened as OpenRegularFile opens it;
// nullopt when it cannot be opened or a read fails.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace orvia
