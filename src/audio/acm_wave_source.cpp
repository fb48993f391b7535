#include "audio/acm_wave_source_p.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "audio/sample_format.h"

namespace orvia {

LSRCACMWave::LSRCACMWave(FileHandle file, const WaveFormat& format, int64_t dataStart,
                         uint32_t dataBytes)
    : LSoundSourceBase(static_cast<int32_t>(std::min<uint32_t>(
                           format.samplesPerSec, std::numeric_limits<int32_t>::max())),
                       kFullScale16, format.channels),
      file_(std::move(file)),
      dataBytes_(dataBytes),
      dataStart_(dataStart),
      sourceRate_(format.samplesPerSec),
      sourceBytesPerSec_(format.avgBytesPerSec),
      sourceBlockAlign_(format.blockAlign) {
    if (!file_.IsOpen())
        flags |= kSoundInvalid;
    if (IsInvalid())
        return;
    // Never more data than the file holds behind the data start.
    const int64_t available = std::max<int64_t>(file_.Size() - dataStart_, 0);
    dataBytes_ = static_cast<uint32_t>(std::min<int64_t>(dataBytes_, available));
    stream_ = WaveCodecStream::Open(format, WaveFormat::Pcm16(channels, sourceRate_));
    const size_t dstBytes = static_cast<size_t>(kMaxBlockFrames) * channels * 2;
    const size_t srcBytes = stream_ ? stream_->SourceSizeFor(dstBytes) : 0;
    if (srcBytes == 0) {
        flags |= kSoundInvalid;
        stream_.reset();
        return;
    }
    src_.resize(srcBytes);
    dst_.resize(dstBytes);
    SetLength(FramesForBytes(dataBytes_));
}

int64_t LSRCACMWave::FramesForBytes(int64_t bytes) const {
    if (sourceBytesPerSec_ == 0)
        return bytes;
    return bytes * sourceRate_ / sourceBytesPerSec_;
}

int64_t LSRCACMWave::BytesForFrames(int64_t frames) const {
    if (sourceBytesPerSec_ == 0 || sourceRate_ == 0)
        return frames;
    return frames * sourceBytesPerSec_ / sourceRate_;
}

void LSRCACMWave::SetLength(int64_t frames) {
    length_ =
        static_cast<int32_t>(std::clamp<int64_t>(frames, 0, std::numeric_limits<int32_t>::max()));
}

void LSRCACMWave::Convert(size_t neededBytes) {
    // Fill the free part of the source buffer, never past the data.
    const size_t room = src_.size() - srcFill_;
    const size_t left = dataBytes_ - consumed_;
    const size_t want = std::min(room, left);
    const size_t got =
        want ? file_.ReadAt(dataStart_ + consumed_, src_.data() + srcFill_, want) : 0;
    consumed_ += static_cast<uint32_t>(got);
    srcFill_ += got;
    if (got < want)  // the file ended early: what is missing will never come
        dataBytes_ = consumed_;
    const bool full = srcFill_ == src_.size();
    unsigned flagsForCodec = full ? kCodecBlockAlign : kCodecEnd;
    if (restart_)
        flagsForCodec |= kCodecStart;
    restart_ = false;
    const WaveCodecStream::Result r =
        stream_->Convert(src_.data(), srcFill_, dst_.data(), dst_.size(), flagsForCodec);
    const size_t used = std::min(r.srcUsed, srcFill_);
    std::memmove(src_.data(), src_.data() + used, srcFill_ - used);
    srcFill_ -= used;
    const size_t frameBytes = static_cast<size_t>(channels) * 2;
    dstUsed_ = std::min(r.dstUsed, dst_.size()) / frameBytes * frameBytes;
    dstNext_ = 0;
    decodedEnd_ += static_cast<int64_t>(dstUsed_ / frameBytes);
    const bool stuck = used == 0 && dstUsed_ == 0;
    if ((!full && dstUsed_ < neededBytes && dstUsed_ < dst_.size()) || stuck) {
        drained_ = true;
        SetLength(decodedEnd_);
    } else {
        // Decoded so far, plus an estimate for the bytes the codec has not had.
        const int64_t pending = static_cast<int64_t>(dataBytes_) - consumed_ + srcFill_;
        SetLength(decodedEnd_ + FramesForBytes(pending));
    }
}

void LSRCACMWave::Deliver(int32_t* out, int32_t frames) {
    const size_t ch = channels;
    const size_t frameBytes = ch * 2;
    size_t remaining = static_cast<size_t>(frames);
    while (remaining > 0) {
        if (dstNext_ >= dstUsed_) {
            if (drained_)
                break;
            Convert(remaining * frameBytes);
            continue;
        }
        const size_t n = std::min(remaining, (dstUsed_ - dstNext_) / frameBytes);
        if (out) {
            const uint8_t* p = dst_.data() + dstNext_;
            for (size_t i = 0; i < n * ch; ++i, p += 2)
                out[i] = LSF16::ToInternal(p);
            out += n * ch;
        }
        dstNext_ += n * frameBytes;
        remaining -= n;
    }
    if (out)
        std::fill(out, out + remaining * ch, 0);
}

void LSRCACMWave::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const size_t ch = channels;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * ch, 0);
        return;
    }
    const int64_t start = position_;
    position_ = static_cast<int32_t>(
        std::min<int64_t>(start + frames, std::numeric_limits<int32_t>::max()));
    // Frames before 0 are silence.
    const int32_t lead = static_cast<int32_t>(std::clamp<int64_t>(-start, 0, frames));
    std::fill(buffer, buffer + static_cast<size_t>(lead) * ch, 0);
    Deliver(buffer + static_cast<size_t>(lead) * ch, frames - lead);
}

void LSRCACMWave::ResetStream() {
    restart_ = true;
    srcFill_ = 0;
    dstUsed_ = dstNext_ = 0;
    drained_ = false;
}

void LSRCACMWave::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    ResetStream();
    if (frame < 1) {
        consumed_ = 0;
        decodedEnd_ = 0;
    } else if (frame < length_) {
        // The byte offset for the frame, on a block boundary, then decode and
        // drop the frames between that block's start and the frame.
        int64_t offset = std::min<int64_t>(BytesForFrames(frame), dataBytes_);
        if (sourceBlockAlign_ > 0)
            offset -= offset % sourceBlockAlign_;
        consumed_ = static_cast<uint32_t>(offset);
        decodedEnd_ = FramesForBytes(offset);
        const int64_t skip = frame - decodedEnd_;
        if (skip >= 1 && skip <= kMaxBlockFrames)
            Deliver(nullptr, static_cast<int32_t>(skip));
    } else {
        consumed_ = dataBytes_;
        drained_ = true;
    }
    position_ = frame;
}

}  // namespace orvia
