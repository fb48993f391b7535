#include "audio/pcm_file_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "audio/wave_header_p.h"
#include "platform/diagnostics/diagnostics.h"

namespace orvia {
LSNKPCMFileBase::LSNKPCMFileBase(const std::string& path, int32_t rate, uint32_t channelCount,
                                 int bytesPerSample, uint32_t maxSampleValue, int32_t startFrame)
    : LSoundSinkBase(static_cast<uint32_t>(std::max(rate, 0)), maxSampleValue, channelCount),
      path_(path),
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
    if (!WriteHeader() || !file_.SeekTo(DataEnd()) || !file_.Resize(DataEnd()))
        Fail(errno);
}

LSNKPCMFileBase::~LSNKPCMFileBase() {
    if (file_.IsOpen())
        WriteHeader();
}

int64_t LSNKPCMFileBase::DataEnd() const {
    return static_cast<int64_t>(kPcmWaveHeaderSize) + static_cast<int64_t>(position) * BlockAlign();
}

bool LSNKPCMFileBase::WriteHeader() {
    const uint32_t dataBytes =
        static_cast<uint32_t>(position) * static_cast<uint32_t>(BlockAlign());
    const auto header = MakePcmWaveHeader(channels, sampleRate, bytesPerSample_, dataBytes);
    headerCountdown_ = 4 * static_cast<int64_t>(sampleRate);
    return file_.WriteAt(0, header.data(), header.size());
}

void LSNKPCMFileBase::WriteData(const uint8_t* data, int32_t frames) {
    if (!file_.Write(data, static_cast<size_t>(frames) * BlockAlign())) {
        Fail(errno);
        return;
    }
    headerCountdown_ -= frames;
    if (headerCountdown_ < 0 && !WriteHeader())
        Fail(errno);
}

void LSNKPCMFileBase::Fail(int error) {
    // Whole frames that reached the file stay; the header is rewritten in
    // place (it needs no new room on the disk) to count exactly those.
    const int64_t size = file_.Size();
    const int64_t held = size > static_cast<int64_t>(kPcmWaveHeaderSize)
                             ? (size - static_cast<int64_t>(kPcmWaveHeaderSize)) / BlockAlign()
                             : 0;
    position = static_cast<int32_t>(std::clamp<int64_t>(held, 0, position));
    WriteHeader();
    file_.Resize(DataEnd());
    file_.Close();
    failed_ = true;
    flags |= kSoundInvalid;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  sampleRate ? static_cast<double>(position) / sampleRate : 0.0);
    ReportError("audio", "Writing " + path_ + " failed (" +
                             std::error_code(error, std::generic_category()).message() +
                             "); the file ends with the " + seconds + " s written");
}

void LSNKPCMFileBase::Truncate(int32_t frames) {
    if (failed_ || frames > position)
        return;
    position = std::max(frames, 0);
    if (IsInvalid())
        return;
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
    if (frames <= 0 || Failed())
        return;
    position += frames;
    if (IsInvalid())
        return;
    while (frames > 0 && !Failed()) {
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
