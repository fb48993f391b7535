// What the tests of file and folder modes share: a umask set for a scope, and
// the permission bits of a path.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace orvia::test {

// Sets the process's umask for its lifetime (children started meanwhile
// inherit it).
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// The permission bits of path itself (a link is not followed); 07777 when it
// is missing.
inline mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

}  // namespace orvia::test
