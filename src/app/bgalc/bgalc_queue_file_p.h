// The level-control queue file "bgalc.dat": INI section "bgalc" with "count"
// and "file0", "file1", ... holding the full paths of the queued WAVE files,
// oldest first. Not thread-safe: BGALC guards every use with its lock.
#pragma once

#include <string>
#include <vector>

namespace orvia {

inline constexpr const char* kBGALCQueueFileName = "bgalc.dat";

// The queued paths. A missing file or "count" is an empty queue, a negative
// count counts as 0, and the count never runs past the keys present; entries
// that are missing or may have been cut short on reading are left out.
std::vector<std::string> LoadBGALCQueue(const std::string& queueFile);

// Rewrites the whole queue file in one atomic replacement (a temporary file
// beside it, synced, then renamed over it), so a crash leaves either the old
// queue or the new one. False when it cannot be written; the old file then
// stays as it was.
bool SaveBGALCQueue(const std::string& queueFile, const std::vector<std::string>& paths);

// Whether a path can be queued and read back unchanged: absolute, no line
// breaks or control characters, no blanks at either end, and short enough
// not to be cut by the profile layer.
bool IsQueueablePath(const std::string& path);

}  // namespace orvia
