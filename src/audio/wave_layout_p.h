// Finding the "fmt " and "data" chunks of a RIFF WAVE file. Files are
// untrusted: every size is checked before it is used, and a malformed file is
// rejected rather than guessed at.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/file_handle.h"

namespace orvia {

// Largest "fmt " chunk the opener accepts.
inline constexpr uint32_t kMaxFormatChunk = 8192;

struct WaveLayout {
    // The whole "fmt " chunk, padded with zeros to at least 18 bytes so the
    // fixed fields can always be read.
    std::vector<uint8_t> format;
    uint32_t formatChunkSize = 0;
    int64_t dataStart = 0;   // file offset of the first data byte
    uint32_t dataBytes = 0;  // the "data" chunk's size field

    uint16_t FormatTag() const;
    uint16_t Channels() const;
    uint32_t SampleRate() const;
    uint32_t AvgBytesPerSec() const;
    uint16_t BlockAlign() const;
    uint16_t BitsPerSample() const;
};

// Walks the chunks: steps over leading RIFF forms that are not "WAVE", skips
// every chunk before "fmt " (sizes rounded up to even), reads "fmt " (more
// than 14 and at most kMaxFormatChunk bytes), then skips to "data". False
// when the file is short, a size is impossible or a chunk is missing.
bool ReadWaveLayout(const FileHandle& file, WaveLayout& layout);

// True for the layout of this system's PCM writer: an 18-byte PCM "fmt "
// chunk right after "WAVE" and the "data" chunk right after it, so the
// samples start at byte 46 and run to the end of the file (the writer puts
// nothing after them).
bool IsPcmWriterLayout(const WaveLayout& layout);

// The audio bytes of a file in that layout whose "data" size field says
// dataBytes: every byte up to the end of the file, since a header written
// before a crash understates the audio, unless well-formed chunks follow the
// data and end the file (another program's file in the same layout).
int64_t PcmWriterAudioBytes(const FileHandle& file, int64_t dataStart, uint32_t dataBytes);

}  // namespace orvia
