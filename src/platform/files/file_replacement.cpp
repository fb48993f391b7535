#include "platform/files/file_replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/files/file_open.h"
#include "platform/files/path_names.h"

namespace orvia {
namespace {

void SyncPath(const std::string& path, bool folder) {
    const int fd = folder ? OpenFolder(path) : OpenRegularFile(path, O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool FileStamp::SameContent(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileStamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    stamp.mode = st.st_mode & 07777;
    return stamp;
}

bool IsFileInUse(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    // Should another open race with the lease, its break is announced by a
    // signal that is ignored by default instead of SIGIO, which would end
    // the process.
    ::fcntl(fd, F_SETSIG, SIGURG);
    const bool leased = ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
    const bool busy = !leased && (errno == EAGAIN || errno == EBUSY);
    if (leased)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return busy;
}

std::string CreateFileBeside(const std::string& target) {
    std::string pattern = FolderOf(target) + "tmpXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return {};
    ::close(fd);
    return std::string(name.data());
}

bool ReplaceFile(const std::string& replacement, const std::string& target, mode_t mode) {
    ::chmod(replacement.c_str(), mode);
    SyncPath(replacement, false);
    if (::rename(replacement.c_str(), target.c_str()) != 0)
        return false;
    SyncPath(FolderOf(target), true);
    return true;
}

}  // namespace orvia
