#include "audio/pcm_file_source_p.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "audio/wave_header_p.h"
#include "audio/wave_layout_p.h"

namespace orvia {

LSRCPCMFileBase::LSRCPCMFileBase(FileHandle file, int64_t dataStart, uint32_t dataBytes,
                                 bool toFileEnd, int32_t rate, uint32_t channelCount,
                                 int bytesPerSample, uint32_t maxSampleValue)
    : LSoundSourceBase(rate, maxSampleValue, channelCount),
      file_(std::move(file)),
      dataStart_(dataStart),
      dataSizeOffset_(dataStart - 4),
      toFileEnd_(toFileEnd),
      bytesPerSample_(bytesPerSample) {
    if (!file_.IsOpen())
        flags |= kSoundInvalid;
    length_ = LengthFor(dataBytes);
}

int32_t LSRCPCMFileBase::LengthFor(uint32_t dataBytes) const {
    if (IsInvalid())
        return 0;
    // Never more than the file holds behind the data start.
    const int64_t bytes =
        toFileEnd_ ? PcmWriterAudioBytes(file_, dataStart_, dataBytes)
                   : std::min<int64_t>(dataBytes, std::max<int64_t>(file_.Size() - dataStart_, 0));
    const int64_t frames = bytes / BlockAlign();
    return static_cast<int32_t>(std::min<int64_t>(frames, std::numeric_limits<int32_t>::max()));
}

void LSRCPCMFileBase::RefreshLength() {
    uint8_t size[4];
    if (!IsInvalid() && file_.ReadExactAt(dataSizeOffset_, size, sizeof size))
        length_ = LengthFor(LoadLE32(size));
}

int32_t LSRCPCMFileBase::GetLength() {
    if (position_ >= length_)
        RefreshLength();
    return length_;
}

void LSRCPCMFileBase::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    if (frame > length_)
        RefreshLength();
    position_ = frame;
}

int32_t LSRCPCMFileBase::ReadRaw(uint8_t* raw, int32_t frames, int32_t* lead) {
    *lead = 0;
    if (IsInvalid() || frames <= 0)
        return 0;
    const int64_t start = position_;
    const int64_t end = start + frames;
    position_ = static_cast<int32_t>(std::min<int64_t>(end, std::numeric_limits<int32_t>::max()));
    if (end <= 0)
        return 0;
    const int64_t first = std::max<int64_t>(start, 0);
    if (end > length_)
        RefreshLength();
    const int64_t last = std::min<int64_t>(end, length_);
    if (last <= first)
        return 0;
    *lead = static_cast<int32_t>(first - start);
    const size_t blockAlign = static_cast<size_t>(BlockAlign());
    const size_t want = static_cast<size_t>(last - first) * blockAlign;
    const size_t got =
        file_.ReadAt(dataStart_ + first * static_cast<int64_t>(blockAlign), raw, want);
    return static_cast<int32_t>(got / blockAlign);
}

template <class Format>
LSRCPCMFile<Format>::LSRCPCMFile(FileHandle file, int64_t dataStart, uint32_t dataBytes,
                                 bool toFileEnd, int32_t rate, uint32_t channelCount)
    : LSRCPCMFileBase(std::move(file), dataStart, dataBytes, toFileEnd, rate, channelCount,
                      Format::kBytes, Format::kMaxSample),
      raw_(static_cast<size_t>(kMaxBlockFrames) * Format::kBytes * channels) {}

template <class Format>
void LSRCPCMFile<Format>::Read(int32_t* buffer, int32_t frames) {
    // Blocks are at most kMaxBlockFrames; a larger request is served in pieces.
    while (frames > kMaxBlockFrames) {
        ReadBlock(buffer, kMaxBlockFrames);
        buffer += static_cast<size_t>(kMaxBlockFrames) * channels;
        frames -= kMaxBlockFrames;
    }
    if (frames > 0)
        ReadBlock(buffer, frames);
}

template <class Format>
void LSRCPCMFile<Format>::ReadBlock(int32_t* buffer, int32_t frames) {
    int32_t lead = 0;
    const int32_t got = ReadRaw(raw_.data(), frames, &lead);
    const size_t ch = channels;
    const size_t total = static_cast<size_t>(frames) * ch;
    const size_t from = static_cast<size_t>(lead) * ch;
    const size_t count = static_cast<size_t>(got) * ch;
    std::fill(buffer, buffer + from, 0);
    const uint8_t* p = raw_.data();
    int32_t* out = buffer + from;
    for (size_t i = 0; i < count; ++i, p += Format::kBytes)
        out[i] = Format::ToInternal(p);
    std::fill(buffer + from + count, buffer + total, 0);
}

template class LSRCPCMFile<LSFU8>;
template class LSRCPCMFile<LSF16>;
template class LSRCPCMFile<LSF32>;

}  // namespace orvia
