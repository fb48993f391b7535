#include "audio/mp3/mp3_read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/file_open.h"

namespace orvia {
namespace {

constexpr std::size_t kBufferBytes = 16384;

}  // namespace

MP3ReadFile::~MP3ReadFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool MP3ReadFile::Open(const std::string& path) {
    // Only regular files are read (a FIFO given as a path cannot stall it).
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    audioBytes_ = std::max<int64_t>(0, static_cast<int64_t>(st.st_size) - kTailBytes);
    offset_ = 0;
    buffer_.resize(kBufferBytes);
    bufferStart_ = 0;
    bufferFill_ = 0;
    return true;
}

void MP3ReadFile::SeekTo(int64_t offset) {
    offset_ = std::clamp<int64_t>(offset, 0, audioBytes_);
}

bool MP3ReadFile::Skip(int64_t bytes) {
    const int64_t target = offset_ + bytes;
    SeekTo(target);
    return offset_ == target;
}

bool MP3ReadFile::Refill() {
    bufferStart_ = offset_;
    bufferFill_ = 0;
    const int64_t want = std::min<int64_t>(static_cast<int64_t>(buffer_.size()), Unread());
    while (bufferFill_ < static_cast<std::size_t>(want)) {
        const ssize_t got =
            ::pread(fd_, buffer_.data() + bufferFill_, static_cast<std::size_t>(want) - bufferFill_,
                    bufferStart_ + static_cast<int64_t>(bufferFill_));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bufferFill_ += static_cast<std::size_t>(got);
    }
    return bufferFill_ > 0;
}

std::size_t MP3ReadFile::Read(uint8_t* dst, std::size_t n) {
    if (fd_ < 0)
        return 0;
    std::size_t done = 0;
    while (done < n && offset_ < audioBytes_) {
        if (offset_ < bufferStart_ || offset_ >= bufferStart_ + static_cast<int64_t>(bufferFill_)) {
            if (!Refill())
                break;
        }
        const std::size_t at = static_cast<std::size_t>(offset_ - bufferStart_);
        const std::size_t take = std::min(n - done, bufferFill_ - at);
        std::memcpy(dst + done, buffer_.data() + at, take);
        done += take;
        offset_ += static_cast<int64_t>(take);
    }
    return done;
}

std::optional<Mp3FrameHeader> MP3ReadFile::FindHeader(int64_t* headerOffset) {
    if (Read(frame_, 4) != 4)
        return std::nullopt;
    for (int tries = 1;; ++tries) {
        if (auto header = ParseMp3Header(frame_)) {
            if (headerOffset)
                *headerOffset = offset_ - 4;
            return header;
        }
        if (tries >= kHeaderSearchTries)
            return std::nullopt;
        std::memmove(frame_, frame_ + 1, 3);
        if (Read(frame_ + 3, 1) != 1)
            return std::nullopt;
    }
}

bool MP3ReadFile::SyncToFrame(const Mp3FrameHeader& stream) {
    constexpr int kCandidates = 32;
    const int64_t start = offset_;
    for (int candidate = 0; candidate < kCandidates; ++candidate) {
        int64_t at = 0;
        auto header = FindHeader(&at);
        if (!header)
            break;
        if (header->SameStream(stream)) {
            const int64_t next = at + header->FrameBytes();
            if (next + 4 > audioBytes_) {
                SeekTo(at);
                return true;
            }
            SeekTo(next);
            uint8_t bytes[4];
            if (Read(bytes, 4) == 4) {
                auto following = ParseMp3Header(bytes);
                if (following && following->SameStream(stream)) {
                    SeekTo(at);
                    return true;
                }
            }
        }
        SeekTo(at + 1);
    }
    SeekTo(start);
    return false;
}

bool MP3ReadFile::ReadFrameBody(const Mp3FrameHeader& header) {
    const std::size_t body = static_cast<std::size_t>(header.FrameBytes() - 4);
    return Read(frame_ + 4, body) == body;
}

}  // namespace orvia
