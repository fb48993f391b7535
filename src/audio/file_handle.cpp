#include "audio/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"

namespace orvia {

FileHandle::~FileHandle() {
    Close();
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle FileHandle::OpenForReading(const std::string& path) {
    // Only regular files: a FIFO or device would block or never end.
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd >= 0)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return FileHandle(fd);
}

FileHandle FileHandle::OpenForWriting(const std::string& path, bool truncate) {
    // Recordings hold callers' messages: a new file is private, an existing
    // one keeps its mode. Only a regular file is opened, without blocking.
    return FileHandle(OpenRegularFile(path, O_WRONLY | O_CREAT | (truncate ? O_TRUNC : 0),
                                      CreationMode(FileAccess::Private)));
}

void FileHandle::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

size_t FileHandle::ReadAt(int64_t offset, void* data, size_t size) const {
    if (fd_ < 0 || offset < 0)
        return 0;
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd_, out + done, size - done, offset + static_cast<int64_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool FileHandle::WriteAt(int64_t offset, const void* data, size_t size) const {
    if (fd_ < 0 || offset < 0)
        return false;
    const auto* in = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(fd_, in + done, size - done, offset + static_cast<int64_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool FileHandle::Write(const void* data, size_t size) const {
    if (fd_ < 0)
        return false;
    const auto* in = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, in + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool FileHandle::SeekTo(int64_t offset) const {
    return fd_ >= 0 && ::lseek(fd_, offset, SEEK_SET) == offset;
}

bool FileHandle::Resize(int64_t size) const {
    if (fd_ < 0 || size < 0)
        return false;
    int rc;
    do {
        rc = ::ftruncate(fd_, size);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

int64_t FileHandle::Size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return st.st_size;
}

}  // namespace orvia
