#include "audio/mp3/mp3_source.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orvia {
namespace {

constexpr uint32_t kMp3MaxSample = 2097152;

int32_t SaturatingAdd(int32_t a, int32_t b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

LMP3Source::LMP3Source(const std::string& path) : LSoundSourceBase(44100, kMp3MaxSample, 2) {
    if (!file_.Open(path) || !OpenStream()) {
        flags |= kSoundInvalid;
        channels = 1;
        decoder_.reset();
    }
}

bool LMP3Source::OpenStream() {
    auto first = file_.FindHeader(&dataStart_);
    if (!first)
        return false;
    first_ = *first;
    int64_t bitrateSum = first_.bitrate;
    file_.Skip(first_.FrameBytes() - 4);
    for (int i = 1; i < kOpeningHeaders; ++i) {
        auto header = file_.FindHeader();
        if (!header)
            return false;
        bitrateSum += header->bitrate;
        file_.Skip(header->FrameBytes() - 4);
    }
    sampleRate = first_.SampleRate();
    channels = first_.mono ? 1 : 2;
    samplesPerFrame_ = first_.SamplesPerFrame();
    const double bitrate = static_cast<double>(bitrateSum) / kOpeningHeaders;
    frameBytes_ = first_.SizeFactor() * bitrate / sampleRate;
    SetLength(static_cast<int64_t>(static_cast<double>(file_.AudioBytes()) / frameBytes_ + 0.5) *
              samplesPerFrame_);

    decoder_ = std::make_unique<Mp3FrameDecoder>(sampleRate, channels);
    if (!decoder_->Ok())
        return false;
    frame_.assign(static_cast<std::size_t>(samplesPerFrame_) * channels, 0);
    file_.SeekTo(dataStart_);
    return true;
}

void LMP3Source::SetLength(int64_t frames) {
    length_ =
        static_cast<int32_t>(std::clamp<int64_t>(frames, 0, std::numeric_limits<int32_t>::max()));
}

bool LMP3Source::FeedNextFrame() {
    for (int tries = 0; tries < kFrameHeaderTries; ++tries) {
        auto header = file_.FindHeader();
        if (!header || !file_.ReadFrameBody(*header))
            return false;
        if (header->SameStream(first_))
            return decoder_->Feed(file_.Frame(), static_cast<std::size_t>(header->FrameBytes()));
    }
    return false;
}

bool LMP3Source::DecodeFrame() {
    // Each frame fed normally gives one frame out; the bound keeps a decoder
    // that refuses everything from consuming the whole file in one call.
    constexpr int kMaxFeeds = 8;
    for (int feeds = 0; feeds <= kMaxFeeds;) {
        int32_t samples = 0;
        switch (decoder_->Decode(frame_.data(), static_cast<int32_t>(frame_.size()), &samples)) {
            case Mp3FrameDecoder::Result::Frame: {
                // A short frame (never seen from a healthy stream) is padded
                // with silence so positions stay frame-aligned.
                std::fill(frame_.begin() + samples, frame_.end(), 0);
                frameFrames_ = samplesPerFrame_;
                readOffset_ = 0;
                decodedEnd_ += samplesPerFrame_;
                ++decodedFrames_;
                SetLength(
                    decodedEnd_ +
                    static_cast<int64_t>(static_cast<double>(file_.Unread()) / frameBytes_ + 0.5) *
                        samplesPerFrame_);
                return true;
            }
            case Mp3FrameDecoder::Result::NeedMore:
                if (feeds == kMaxFeeds || !FeedNextFrame())
                    return false;
                ++feeds;
                break;
            case Mp3FrameDecoder::Result::Failed:
                return false;
        }
    }
    return false;
}

void LMP3Source::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    const std::size_t ch = channels;
    if (IsInvalid()) {
        std::memset(buffer, 0, sizeof(int32_t) * static_cast<std::size_t>(frames) * ch);
        return;
    }
    const int32_t start = position_;
    position_ = SaturatingAdd(position_, frames);
    int32_t done = 0;
    if (start < 0) {
        done = static_cast<int32_t>(std::min<int64_t>(frames, -static_cast<int64_t>(start)));
        std::memset(buffer, 0, sizeof(int32_t) * static_cast<std::size_t>(done) * ch);
    }
    while (done < frames) {
        if (readOffset_ >= frameFrames_) {
            if (ended_ || !DecodeFrame()) {
                if (!ended_) {
                    ended_ = true;
                    SetLength(decodedEnd_);
                }
                std::memset(buffer + static_cast<std::size_t>(done) * ch, 0,
                            sizeof(int32_t) * static_cast<std::size_t>(frames - done) * ch);
                return;
            }
        }
        const int32_t take = std::min(frames - done, frameFrames_ - readOffset_);
        std::memcpy(buffer + static_cast<std::size_t>(done) * ch,
                    frame_.data() + static_cast<std::size_t>(readOffset_) * ch,
                    sizeof(int32_t) * static_cast<std::size_t>(take) * ch);
        done += take;
        readOffset_ += take;
    }
}

void LMP3Source::Seek(int32_t frame) {
    if (IsInvalid())
        return;
    position_ = frame;
    const int32_t target = std::clamp(frame, 0, length_);
    const int32_t frameIndex = target / samplesPerFrame_;
    const int32_t backOff = std::min(kSeekBackOffFrames, frameIndex);
    // The frame's offset at the average frame size is exact for constant-
    // bitrate files up to the padding bytes, and an estimate otherwise. The
    // search starts half a frame earlier and takes the first confirmed frame,
    // so a guess a byte past the frame's start does not skip the frame.
    const int64_t firstFrame = frameIndex - backOff;
    if (firstFrame == 0) {
        file_.SeekTo(dataStart_);
    } else {
        file_.SeekTo(dataStart_ +
                     static_cast<int64_t>((static_cast<double>(firstFrame) - 0.5) * frameBytes_));
        file_.SyncToFrame(first_);
    }
    decoder_->Reset();
    ended_ = false;
    decodedEnd_ = static_cast<int64_t>(frameIndex - backOff) * samplesPerFrame_;
    frameFrames_ = 0;
    readOffset_ = 0;
    for (int i = 0; i < backOff; ++i) {
        if (!DecodeFrame())
            break;
    }
    if (DecodeFrame()) {
        readOffset_ = target % samplesPerFrame_;
    } else {
        readOffset_ = frameFrames_;  // used up: the next read ends decoding
    }
}

LSoundSource OpenMP3Source(const std::string& path) {
    return MakeCounted<LMP3Source>(path);
}

}  // namespace orvia
