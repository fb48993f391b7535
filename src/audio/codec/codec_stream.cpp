#include "audio/codec/codec_stream.h"

#include <algorithm>
#include <cstring>

#include "audio/codec/block_codec_p.h"

namespace orvia {
namespace {

bool IsPcm16For(const WaveFormat& pcm, const WaveFormat& other) {
    return pcm.formatTag == kWaveFormatPcm && pcm.bitsPerSample == 16 &&
           pcm.channels == other.channels && pcm.samplesPerSec == other.samplesPerSec &&
           pcm.blockAlign == 2u * pcm.channels;
}

}  // namespace

std::unique_ptr<WaveCodecStream> WaveCodecStream::Open(const WaveFormat& src,
                                                       const WaveFormat& dst) {
    bool encode = false;
    if (IsPcm16For(dst, src))
        encode = false;
    else if (IsPcm16For(src, dst))
        encode = true;
    else
        return nullptr;
    std::unique_ptr<codec::BlockCodec> codec = codec::OpenBlockCodec(encode ? dst : src);
    if (!codec)
        return nullptr;
    return std::unique_ptr<WaveCodecStream>(new WaveCodecStream(std::move(codec), encode));
}

WaveCodecStream::WaveCodecStream(std::unique_ptr<codec::BlockCodec> codec, bool encode)
    : codec_(std::move(codec)), encode_(encode) {
    const codec::BlockLayout& l = codec_->Layout();
    srcBlock_ = encode_ ? l.PcmBlockBytes() : l.blockBytes;
    dstBlock_ = encode_ ? l.blockBytes : l.PcmBlockBytes();
    frameBytes_ = 2u * l.channels;
    if (encode_)
        padBlock_.resize(srcBlock_);
}

WaveCodecStream::~WaveCodecStream() = default;

std::size_t WaveCodecStream::SourceSizeFor(std::size_t dstBytes) const {
    return dstBytes / dstBlock_ * srcBlock_;
}

std::size_t WaveCodecStream::DestinationSizeFor(std::size_t srcBytes) const {
    if (!encode_)
        return srcBytes / srcBlock_ * dstBlock_;
    // The encoder pads the final partial block of whole frames.
    const std::size_t whole = srcBytes / frameBytes_ * frameBytes_;
    return (whole + srcBlock_ - 1) / srcBlock_ * dstBlock_;
}

WaveCodecStream::Result WaveCodecStream::Convert(const uint8_t* src, std::size_t srcBytes,
                                                 uint8_t* dst, std::size_t dstBytes,
                                                 unsigned flags) {
    if (flags & kCodecStart)
        codec_->Reset();
    if (src == nullptr)
        srcBytes = 0;
    if (dst == nullptr)
        dstBytes = 0;

    Result r;
    const std::size_t blocks = std::min(srcBytes / srcBlock_, dstBytes / dstBlock_);
    if (blocks > 0) {
        if (encode_)
            codec_->Encode(src, blocks, dst);
        else
            codec_->Decode(src, blocks, dst);
        r.srcUsed = blocks * srcBlock_;
        r.dstUsed = blocks * dstBlock_;
    }

    const std::size_t tail = srcBytes - r.srcUsed;
    if (!(flags & kCodecEnd) || tail == 0 || tail >= srcBlock_)
        return r;
    // The final partial block.
    const std::size_t wholeFrames = tail / frameBytes_ * frameBytes_;
    if (encode_ && wholeFrames > 0) {
        if (dstBytes - r.dstUsed < dstBlock_)
            return r;  // no room yet: the caller comes back with more
        std::memcpy(padBlock_.data(), src + r.srcUsed, wholeFrames);
        std::fill(padBlock_.begin() + static_cast<std::ptrdiff_t>(wholeFrames), padBlock_.end(), 0);
        codec_->Encode(padBlock_.data(), 1, dst + r.dstUsed);
        r.dstUsed += dstBlock_;
    }
    // A partial compressed block, or a partial frame, cannot be converted.
    r.srcUsed = srcBytes;
    return r;
}

}  // namespace orvia
