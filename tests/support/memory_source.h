// A seekable source over samples held in memory, for the process tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/sound_source.h"

namespace orvia::test {

class MemorySource : public LSoundSourceBase {
public:
    MemorySource(std::vector<int32_t> samples, int32_t rate, uint32_t channelCount,
                 uint32_t maxSampleValue = kFullScale16)
        : LSoundSourceBase(rate, maxSampleValue, channelCount), samples_(std::move(samples)) {}
    void Read(int32_t* buffer, int32_t frames) override {
        const int64_t ch = channels;
        const int64_t length = GetLength();
        for (int64_t f = 0; f < frames; ++f) {
            const int64_t frame = position_ + f;
            for (int64_t c = 0; c < ch; ++c)
                buffer[f * ch + c] = (frame >= 0 && frame < length)
                                         ? samples_[static_cast<size_t>(frame * ch + c)]
                                         : 0;
        }
        position_ += frames;
    }
    void Seek(int32_t frame) override { position_ = frame; }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return static_cast<int32_t>(samples_.size() / channels); }

private:
    std::vector<int32_t> samples_;
    int32_t position_ = 0;
};

inline LSoundSource FromSamples(std::vector<int32_t> samples, int32_t rate, uint32_t channels = 1,
                                uint32_t maxSample = kFullScale16) {
    return MakeCounted<MemorySource>(std::move(samples), rate, channels, maxSample);
}

// A mono sine of the given frequency and amplitude, whole 16-bit steps (x16).
inline std::vector<int32_t> Sine(int32_t frames, double hz, int32_t rate, double amplitude16) {
    std::vector<int32_t> v(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i)
        v[static_cast<size_t>(i)] =
            16 * static_cast<int32_t>(
                     std::lround(amplitude16 * std::sin(2.0 * std::numbers::pi * hz * i / rate)));
    return v;
}

inline std::vector<int32_t> ReadAll(const LSoundSource& src, int32_t frames) {
    std::vector<int32_t> v(static_cast<size_t>(frames) * src->channels);
    int32_t done = 0;
    while (done < frames) {
        const int32_t n = std::min(frames - done, kMaxBlockFrames);
        src->Read(v.data() + static_cast<size_t>(done) * src->channels, n);
        done += n;
    }
    return v;
}

inline double Rms(const int32_t* v, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += static_cast<double>(v[i]) * v[i];
    return count ? std::sqrt(sum / count) : 0.0;
}

}  // namespace orvia::test
