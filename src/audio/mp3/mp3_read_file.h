// The file side of the MP3 source: a buffered sequential reader over the
// audio part of an MP3 file and the search for Layer III frame headers.
//
// The last 128 bytes of the file are never read (they are taken as a tag,
// whether or not they are one). Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/mp3/mp3_frame_header.h"

namespace orvia {

class MP3ReadFile {
public:
    static constexpr int64_t kTailBytes = 128;
    // Four-byte windows examined by one header search.
    static constexpr int kHeaderSearchTries = 1024;

    MP3ReadFile() = default;
    ~MP3ReadFile();
    MP3ReadFile(const MP3ReadFile&) = delete;
    MP3ReadFile& operator=(const MP3ReadFile&) = delete;

    // Opens a regular file for reading; false when it cannot be opened.
    bool Open(const std::string& path);

    // File length minus the 128 tail bytes (0 for shorter files).
    int64_t AudioBytes() const { return audioBytes_; }
    // Offset of the next byte to read.
    int64_t Offset() const { return offset_; }
    int64_t Unread() const { return audioBytes_ - offset_; }
    // Moves the read offset, limited to 0..AudioBytes().
    void SeekTo(int64_t offset);
    // Skips bytes; false when the audio part ends first.
    bool Skip(int64_t bytes);

    // Finds the next frame header: reads 4 bytes and, while they are not a
    // usable header, drops the first and reads one more, examining at most
    // kHeaderSearchTries windows. On success the read offset is just after
    // the header, Frame() starts with its 4 bytes and *headerOffset (when
    // given) is where it began.
    std::optional<Mp3FrameHeader> FindHeader(int64_t* headerOffset = nullptr);
    // Moves to the next frame start of the given stream whose frame is
    // followed by another header of that stream (or by the end of the audio
    // part), so that a guess landing inside a frame neither skips the next
    // frame nor takes a stray sync pattern in the data for one. False when
    // none is found nearby; the offset is then unchanged.
    bool SyncToFrame(const Mp3FrameHeader& stream);
    // Reads the rest of the frame whose header FindHeader just returned (CRC,
    // side information and main data) behind it in Frame(); false on a short
    // read.
    bool ReadFrameBody(const Mp3FrameHeader& header);
    // The current frame: header and body, FrameBytes() of the header long.
    const uint8_t* Frame() const { return frame_; }

private:
    // Reads up to n bytes of the audio part; returns how many were read.
    std::size_t Read(uint8_t* dst, std::size_t n);
    bool Refill();

    int fd_ = -1;
    int64_t audioBytes_ = 0;
    int64_t offset_ = 0;
    // Buffered bytes cover the file from bufferStart_ for bufferFill_ bytes.
    std::vector<uint8_t> buffer_;
    int64_t bufferStart_ = 0;
    std::size_t bufferFill_ = 0;
    uint8_t frame_[kMaxMp3FrameBytes] = {};
};

}  // namespace orvia
