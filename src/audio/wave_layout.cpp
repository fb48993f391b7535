#include "audio/wave_layout_p.h"

#include <cstring>

#include "audio/wave_header_p.h"

namespace orvia {
namespace {

bool IdIs(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// A chunk size made even; sizes are taken as 64-bit so 0xFFFFFFFF + 1 does
// not wrap to 0.
int64_t EvenSize(uint32_t size) {
    return static_cast<int64_t>(size) + (size & 1);
}

// Reads chunk headers from offset, skipping chunks until one named id.
// On success offset is just past that chunk's 8-byte header.
bool FindChunk(const FileHandle& file, int64_t& offset, const char* id, uint32_t& size) {
    for (;;) {
        uint8_t header[8];
        if (!file.ReadExactAt(offset, header, sizeof header))
            return false;
        offset += 8;
        size = LoadLE32(header + 4);
        if (IdIs(header, id))
            return true;
        const int64_t skip = EvenSize(size);
        if (skip < 1)
            return false;
        offset += skip;
    }
}

// True when from offset on the file holds only chunks (four printable
// characters and a size) that end at its end.
bool OnlyChunksFollow(const FileHandle& file, int64_t offset, int64_t fileSize) {
    constexpr int kMostChunks = 64;
    bool oddLast = false;
    for (int chunk = 0; offset < fileSize; ++chunk) {
        uint8_t header[8];
        if (chunk == kMostChunks || !file.ReadExactAt(offset, header, sizeof header))
            return false;
        for (int i = 0; i < 4; ++i)
            if (header[i] < 0x20 || header[i] > 0x7E)
                return false;
        const uint32_t size = LoadLE32(header + 4);
        oddLast = (size & 1) != 0;
        offset += 8 + EvenSize(size);
    }
    // The last chunk's pad byte may be missing.
    return offset == fileSize || (oddLast && offset == fileSize + 1);
}

}  // namespace

uint16_t WaveLayout::FormatTag() const {
    return LoadLE16(&format[0]);
}
uint16_t WaveLayout::Channels() const {
    return LoadLE16(&format[2]);
}
uint32_t WaveLayout::SampleRate() const {
    return LoadLE32(&format[4]);
}
uint32_t WaveLayout::AvgBytesPerSec() const {
    return LoadLE32(&format[8]);
}
uint16_t WaveLayout::BlockAlign() const {
    return LoadLE16(&format[12]);
}
uint16_t WaveLayout::BitsPerSample() const {
    return LoadLE16(&format[14]);
}

bool ReadWaveLayout(const FileHandle& file, WaveLayout& layout) {
    const int64_t fileSize = file.Size();
    if (fileSize < 0)
        return false;
    int64_t offset = 0;
    // Step over RIFF forms of other types until the WAVE form.
    for (;;) {
        uint8_t riff[12];
        if (!file.ReadExactAt(offset, riff, sizeof riff))
            return false;
        offset += 12;
        if (IdIs(riff, "RIFF") && IdIs(riff + 8, "WAVE"))
            break;
        const int64_t size = EvenSize(LoadLE32(riff + 4));
        if (size < 5)
            return false;
        offset += size - 4;
        if (offset >= fileSize)
            return false;
    }
    uint32_t fmtSize = 0;
    if (!FindChunk(file, offset, "fmt ", fmtSize))
        return false;
    if (fmtSize <= 14 || fmtSize > kMaxFormatChunk)
        return false;
    layout.format.assign(fmtSize < 18 ? 18 : fmtSize, 0);
    if (!file.ReadExactAt(offset, layout.format.data(), fmtSize))
        return false;
    layout.formatChunkSize = fmtSize;
    offset += fmtSize;
    uint32_t dataSize = 0;
    // An odd-sized "fmt " may or may not be followed by its pad byte (this
    // system's compressed-file writer leaves it out): try both.
    int64_t padded = offset + 1;
    if (!FindChunk(file, offset, "data", dataSize)) {
        if ((fmtSize & 1) == 0 || !FindChunk(file, padded, "data", dataSize))
            return false;
        offset = padded;
    }
    layout.dataStart = offset;
    layout.dataBytes = dataSize;
    return true;
}

bool IsPcmWriterLayout(const WaveLayout& layout) {
    return layout.FormatTag() == 1 && layout.formatChunkSize == 18 &&
           layout.dataStart == static_cast<int64_t>(kPcmWaveHeaderSize);
}

int64_t PcmWriterAudioBytes(const FileHandle& file, int64_t dataStart, uint32_t dataBytes) {
    const int64_t fileSize = file.Size();
    const int64_t available = fileSize > dataStart ? fileSize - dataStart : 0;
    if (dataBytes >= available)
        return available;
    // Chunks after the data (another program's file in the same layout) are
    // not audio.
    if (OnlyChunksFollow(file, dataStart + EvenSize(dataBytes), fileSize))
        return dataBytes;
    return available;
}

}  // namespace orvia
