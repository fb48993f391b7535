#include "audio/pcm_file_sink.h"

#include <algorithm>

#include "audio/wave_header_p.h"

namespace orvia {
namespace {

// About a second of audio, at most this.
constexpr size_t kMaxHoldBytes = 16384;

}  // namespace

LSNKPCMFileBase::LSNKPCMFileBase(const std::string& path, int32_t rate, uint32_t channelCount,
                                 int bytesPerSample, uint32_t maxSampleValue, int32_t startFrame)
    : LSoundSinkBase(static_cast<uint32_t>(std::max(rate, 0)), maxSampleValue, channelCount),
      bytesPerSample_(bytesPerSample) {
    if (rate < 1)
        flags |= kSoundInvalid;
    if (IsInvalid())
        return;
    file_ = FileHandle::OpenForWriting(path, false);
    if (!file_.IsOpen()) {
        flags |= kSoundInvalid;
        return;
    }
    position = std::max(startFrame, 0);
    const size_t second = static_cast<size_t>(rate) * static_cast<size_t>(BlockAlign());
    holdBytes_ = std::min(kMaxHoldBytes, second / static_cast<size_t>(BlockAlign()) *
                                             static_cast<size_t>(BlockAlign()));
    held_.reserve(holdBytes_);
    WriteHeader();
    file_.SeekTo(DataEnd());
    file_.Resize(DataEnd());
}

LSNKPCMFileBase::~LSNKPCMFileBase() {
    if (file_.IsOpen())
        WriteHeader();
}

void LSNKPCMFileBase::Flush() {
    if (held_.empty())
        return;
    file_.Write(held_.data(), held_.size());
    held_.clear();
}

int64_t LSNKPCMFileBase::DataEnd() const {
    return static_cast<int64_t>(kPcmWaveHeaderSize) + static_cast<int64_t>(position) * BlockAlign();
}

void LSNKPCMFileBase::WriteHeader() {
    // The header never counts samples that are not in the file yet.
    Flush();
    const uint32_t dataBytes =
        static_cast<uint32_t>(position) * static_cast<uint32_t>(BlockAlign());
    const auto header = MakePcmWaveHeader(channels, sampleRate, bytesPerSample_, dataBytes);
    file_.WriteAt(0, header.data(), header.size());
    headerCountdown_ = 4 * static_cast<int64_t>(sampleRate);
}

void LSNKPCMFileBase::WriteData(const uint8_t* data, int32_t frames) {
    const size_t bytes = static_cast<size_t>(frames) * static_cast<size_t>(BlockAlign());
    if (held_.size() + bytes > holdBytes_)
        Flush();
    if (bytes >= holdBytes_)
        file_.Write(data, bytes);
    else
        held_.insert(held_.end(), data, data + bytes);
    headerCountdown_ -= frames;
    if (headerCountdown_ < 0)
        WriteHeader();
}

void LSNKPCMFileBase::Truncate(int32_t frames) {
    if (frames > position)
        return;
    if (IsInvalid()) {
        position = std::max(frames, 0);
        return;
    }
    // What is held is written first, so the cut falls where it should.
    Flush();
    position = std::max(frames, 0);
    WriteHeader();
    file_.SeekTo(DataEnd());
    file_.Resize(DataEnd());
}

template <class Format>
LSNKPCMFile<Format>::LSNKPCMFile(const std::string& path, int32_t rate, uint32_t channelCount,
                                 int32_t startFrame)
    : LSNKPCMFileBase(path, rate, channelCount, Format::kBytes, Format::kMaxSample, startFrame) {
    if (!IsInvalid())
        raw_.resize(static_cast<size_t>(kMaxBlockFrames) * Format::kBytes * channels);
}

template <class Format>
void LSNKPCMFile<Format>::Write(const int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    position += frames;
    if (IsInvalid())
        return;
    while (frames > 0) {
        const int32_t n = std::min(frames, kMaxBlockFrames);
        const size_t count = static_cast<size_t>(n) * channels;
        uint8_t* p = raw_.data();
        for (size_t i = 0; i < count; ++i, p += Format::kBytes)
            Format::FromInternal(buffer[i], p);
        WriteData(raw_.data(), n);
        buffer += count;
        frames -= n;
    }
}

template class LSNKPCMFile<LSFU8>;
template class LSNKPCMFile<LSF16>;
template class LSNKPCMFile<LSF32>;

LSoundSink CreatePCMWaveSink(const std::string& path, int32_t sampleRate, uint32_t channels,
                             int bitsPerSample, int32_t startFrame) {
    if (bitsPerSample < 9)
        return MakeCounted<LSNKPCMFile<LSFU8>>(path, sampleRate, channels, startFrame);
    if (bitsPerSample < 17)
        return MakeCounted<LSNKPCMFile<LSF16>>(path, sampleRate, channels, startFrame);
    return MakeCounted<LSNKPCMFile<LSF32>>(path, sampleRate, channels, startFrame);
}

}  // namespace orvia
