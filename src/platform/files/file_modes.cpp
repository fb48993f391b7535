#include "platform/files/file_modes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orvia {

mode_t CreationMode(FileAccess access) {
    return access == FileAccess::Private ? 0600 : 0666;
}

mode_t ProcessUmask() {
    // Read, not set: umask() would change it for every thread in between.
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr)
        return 022;
    mode_t mask = 022;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "Umask:", 6) == 0) {
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8)) & 0777;
            break;
        }
    }
    std::fclose(status);
    return mask;
}

mode_t NewFileMode(FileAccess access) {
    return CreationMode(access) & ~ProcessUmask();
}

mode_t ReplacementMode(const std::string& path, FileAccess access) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return NewFileMode(access);
}

int CreateReplacement(const std::string& path, FileAccess access, std::string* temporaryPath) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string pattern = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // Created 0600 less the umask, so nobody else can open it before its
    // mode is set.
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    bool ok = true;
    if (exists && ::geteuid() == 0 && (st.st_uid != 0 || st.st_gid != 0))
        ok = ::fchown(fd, st.st_uid, st.st_gid) == 0;
    ok = ok && ::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode(access)) == 0;
    if (!ok) {
        ::close(fd);
        ::unlink(buffer.data());
        return -1;
    }
    *temporaryPath = buffer.data();
    return fd;
}

bool ReadableByOthers(mode_t fileMode, mode_t folderMode) {
    const bool group = (fileMode & S_IRGRP) != 0 && (folderMode & S_IXGRP) != 0;
    const bool world = (fileMode & S_IROTH) != 0 && (folderMode & S_IXOTH) != 0;
    return group || world;
}

}  // namespace orvia
