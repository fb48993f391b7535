#include "audio/acm_file_sink_p.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#include "audio/sample_format.h"
#include "audio/wave_header_p.h"
#include "platform/diagnostics/diagnostics.h"

namespace orvia {

LSNKACMFile::LSNKACMFile(const std::string& path, const WaveFormat& format)
    : LSoundSinkBase(format.samplesPerSec, kFullScale16, format.channels),
      path_(path),
      format_(format.ToBytes()) {
    if (IsInvalid())
        return;
    stream_ =
        WaveCodecStream::Open(WaveFormat::Pcm16(format.channels, format.samplesPerSec), format);
    const size_t srcBytes = static_cast<size_t>(kMaxBlockFrames) * channels * 2;
    const size_t dstBytes = stream_ ? stream_->DestinationSizeFor(srcBytes) : 0;
    if (dstBytes == 0) {
        flags |= kSoundInvalid;
        stream_.reset();
        return;
    }
    file_ = FileHandle::OpenForWriting(path, true);
    if (!file_.IsOpen()) {
        flags |= kSoundInvalid;
        stream_.reset();
        return;
    }
    src_.resize(srcBytes);
    dst_.resize(dstBytes);
    if (!WriteHeader() ||
        !file_.SeekTo(static_cast<int64_t>(MakeCompressedWaveHeader(format_, 0).size())))
        Fail(errno);
}

LSNKACMFile::~LSNKACMFile() {
    if (IsInvalid())
        return;
    Encode(kCodecEnd);
    if (!failed_ && !WriteHeader())
        Fail(errno);
}

bool LSNKACMFile::WriteHeader() {
    const auto header = MakeCompressedWaveHeader(format_, written_);
    return file_.WriteAt(0, header.data(), header.size());
}

void LSNKACMFile::Fail(int error) {
    // Emptying needs no room on the disk, and an empty file is never taken
    // for a finished one.
    file_.Resize(0);
    file_.Close();
    stream_.reset();
    failed_ = true;
    flags |= kSoundInvalid;
    ReportError("audio", "Writing " + path_ + " failed (" +
                             std::error_code(error, std::generic_category()).message() +
                             "); the file was emptied");
}

void LSNKACMFile::Encode(unsigned codecFlags) {
    for (;;) {
        const WaveCodecStream::Result r =
            stream_->Convert(src_.data(), srcFill_, dst_.data(), dst_.size(), codecFlags);
        const size_t produced = std::min(r.dstUsed, dst_.size());
        if (produced > 0) {
            if (!file_.Write(dst_.data(), produced)) {
                Fail(errno);
                return;
            }
            written_ += static_cast<uint32_t>(produced);
        }
        const size_t used = std::min(r.srcUsed, srcFill_);
        std::memmove(src_.data(), src_.data() + used, srcFill_ - used);
        srcFill_ -= used;
        // Block-aligned conversions leave a partial block for later; the
        // final one goes on until everything is used or nothing moves.
        if (!(codecFlags & kCodecEnd) || srcFill_ == 0 || (used == 0 && produced == 0))
            return;
    }
}

void LSNKACMFile::Write(const int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    position += frames;
    if (IsInvalid())
        return;
    const size_t ch = channels;
    const size_t frameBytes = ch * 2;
    size_t remaining = static_cast<size_t>(frames);
    while (remaining > 0) {
        const size_t room = (src_.size() - srcFill_) / frameBytes;
        const size_t n = std::min(remaining, room);
        uint8_t* p = src_.data() + srcFill_;
        for (size_t i = 0; i < n * ch; ++i, p += 2)
            LSF16::FromInternal(buffer[i], p);
        srcFill_ += n * frameBytes;
        buffer += n * ch;
        remaining -= n;
        const size_t before = srcFill_;
        Encode(kCodecBlockAlign);
        if (failed_)
            return;
        if (n == 0 && srcFill_ == before)
            return;  // the codec takes nothing: give up rather than spin
    }
}

}  // namespace orvia
