// An owned POSIX file descriptor for the WAVE readers and writers. Positioned
// reads and writes (pread/pwrite) leave the shared file offset alone, so a
// header can be rewritten while data is appended at the current offset.
//
// Not thread-safe: one owner at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvia {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // For reading; other processes and objects may go on writing the file.
    static FileHandle OpenForReading(const std::string& path);
    // For writing, created when missing; truncate empties an existing file.
    static FileHandle OpenForWriting(const std::string& path, bool truncate);

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Close();

    // Reads up to size bytes at offset, retrying short reads until end of
    // file or an error; returns the bytes read (0 on error).
    size_t ReadAt(int64_t offset, void* data, size_t size) const;
    // Reads exactly size bytes at offset; false on a short read.
    bool ReadExactAt(int64_t offset, void* data, size_t size) const {
        return ReadAt(offset, data, size) == size;
    }
    // Writes all bytes at offset (or at the current offset with Write);
    // false when the system refused part of them.
    bool WriteAt(int64_t offset, const void* data, size_t size) const;
    bool Write(const void* data, size_t size) const;
    // Moves the current offset; false on error.
    bool SeekTo(int64_t offset) const;
    // Cuts (or extends with zeros) the file to size bytes.
    bool Resize(int64_t size) const;
    // Size of the file in bytes, -1 on error.
    int64_t Size() const;

private:
    int fd_ = -1;
};

}  // namespace orvia
