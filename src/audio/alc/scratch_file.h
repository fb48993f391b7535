// A temporary file of the level control in the temporary folder ($TMPDIR,
// else /tmp): created with a unique name from a prefix (never an existing
// file), opened for reading and writing, and deleted when the object goes.
// Not thread-safe.
#pragma once

#include <memory>
#include <string>

#include "audio/file_handle.h"

namespace orvia {

class ScratchFile {
public:
    // An empty pointer when the temporary folder is missing or not writable.
    static std::unique_ptr<ScratchFile> Create(const std::string& prefix);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return path_; }
    const FileHandle& File() const { return file_; }

private:
    ScratchFile(std::string path, int fd) : path_(std::move(path)), file_(fd) {}

    std::string path_;
    FileHandle file_;
};

// The temporary folder, ending in "/".
std::string TemporaryFolder();

}  // namespace orvia
