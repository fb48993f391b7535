#include "audio/mp3/mp3_frame_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace orvia {
namespace {

// Decoded values beyond this are cut: far above any real overshoot, and well
// inside the 32-bit range.
constexpr float kSampleLimit = 1073741824.0f;

int32_t ToPipeline(float value) {
    float v = value * kMp3SynthesisScale;
    if (std::isnan(v))
        return 0;
    v = std::clamp(v, -kSampleLimit, kSampleLimit);
    return static_cast<int32_t>(std::lrint(v));
}

}  // namespace

Mp3FrameDecoder::Mp3FrameDecoder(int32_t rate, int channels) : rate_(rate), channels_(channels) {
    // Libraries before 1.27 need one-time set-up; later ones ignore it.
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int err = MPG123_OK;
    handle_ = mpg123_new(nullptr, &err);
    if (!handle_)
        return;
    // Frames arrive whole and already checked, so no look-ahead is needed; the
    // encoder's information frame decodes as an ordinary (silent) frame, and
    // gapless trimming is off, so every frame fed gives one frame out.
    const long flags = MPG123_QUIET | MPG123_NO_READAHEAD | MPG123_IGNORE_INFOFRAME |
                       MPG123_NO_RESYNC | MPG123_SKIP_ID3V2;
    const bool ok = mpg123_param(handle_, MPG123_FLAGS, flags, 0) == MPG123_OK &&
                    mpg123_param(handle_, MPG123_RESYNC_LIMIT, 0, 0) == MPG123_OK &&
                    mpg123_format_none(handle_) == MPG123_OK &&
                    mpg123_format(handle_, rate_, channels_ == 1 ? MPG123_MONO : MPG123_STEREO,
                                  MPG123_ENC_FLOAT_32) == MPG123_OK &&
                    Open();
    if (!ok) {
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
}

Mp3FrameDecoder::~Mp3FrameDecoder() {
    if (handle_)
        mpg123_delete(handle_);
}

bool Mp3FrameDecoder::Open() {
    return mpg123_open_feed(handle_) == MPG123_OK;
}

void Mp3FrameDecoder::Reset() {
    // Closing and reopening the feed clears every buffer of the decoder.
    if (handle_ && !Open()) {
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
}

bool Mp3FrameDecoder::Feed(const uint8_t* frame, std::size_t bytes) {
    return handle_ && mpg123_feed(handle_, frame, bytes) == MPG123_OK;
}

Mp3FrameDecoder::Result Mp3FrameDecoder::Decode(int32_t* out, int32_t maxSamples,
                                                int32_t* samples) {
    *samples = 0;
    if (!handle_)
        return Result::Failed;
    // A new-format notice comes once per opened stream, before its first frame.
    for (int attempt = 0; attempt < 2; ++attempt) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int ret = mpg123_decode_frame(handle_, &frameNumber, &audio, &bytes);
        if (ret == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
                rate != rate_ || channels != channels_ || encoding != MPG123_ENC_FLOAT_32)
                return Result::Failed;
            continue;
        }
        if (ret == MPG123_NEED_MORE)
            return Result::NeedMore;
        if (ret != MPG123_OK)
            return Result::Failed;
        const std::size_t count =
            std::min<std::size_t>(bytes / sizeof(float), static_cast<std::size_t>(maxSamples));
        for (std::size_t i = 0; i < count; ++i) {
            float value;
            std::memcpy(&value, audio + i * sizeof(float), sizeof(float));
            out[i] = ToPipeline(value);
        }
        *samples = static_cast<int32_t>(count);
        return Result::Frame;
    }
    return Result::Failed;
}

}  // namespace orvia
