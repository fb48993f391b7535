// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace orvia::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, ending in "/".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Whole file as bytes; empty when missing.
std::string ReadFile(const std::string& path);
// Replaces a file's content; false on failure.
bool WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

}  // namespace orvia::test
