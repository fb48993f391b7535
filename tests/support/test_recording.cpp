#include "test_recording.h"

#include <algorithm>
#include <cmath>

#include "audio/pcm_file_sink.h"
#include "audio/wave_source.h"
#include "temp_dir.h"

namespace orvia::test {

bool WriteTone(const std::string& path, int32_t frames, int32_t rate, uint16_t channels) {
    LSoundSink sink = CreatePCMWaveSink(path, rate, channels, 16, 0);
    if (IsInvalid(sink))
        return false;
    std::vector<int32_t> block;
    for (int32_t done = 0; done < frames;) {
        const int32_t n = std::min(frames - done, kMaxBlockFrames);
        block.assign(static_cast<std::size_t>(n) * channels, 0);
        for (int32_t i = 0; i < n; ++i) {
            const double phase = 2.0 * M_PI * 440.0 * (done + i) / rate;
            const auto value = static_cast<int32_t>(std::lround(16384.0 * std::sin(phase))) * 16;
            for (uint16_t c = 0; c < channels; ++c)
                block[static_cast<std::size_t>(i) * channels + c] = value;
        }
        sink->Write(block.data(), n);
        done += n;
    }
    return true;
}

std::optional<std::vector<int32_t>> ReadAllSamples(const std::string& path, uint16_t* channels) {
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return std::nullopt;
    if (channels != nullptr)
        *channels = source->channels;
    std::vector<int32_t> samples;
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * source->channels);
    for (;;) {
        const int32_t before = source->GetPosition();
        source->Read(block.data(), kMaxBlockFrames);
        const int32_t length = source->GetLength();
        const int32_t useful = std::clamp(length - before, 0, kMaxBlockFrames);
        samples.insert(samples.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(useful) * source->channels);
        if (source->GetPosition() >= length)
            return samples;
    }
}

std::optional<WaveFormat> FileFormat(const std::string& path) {
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 20)
        return std::nullopt;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::size_t size = data[16] | data[17] << 8 | data[18] << 16 | data[19] << 24;
    if (bytes.size() < 20 + size)
        return std::nullopt;
    return WaveFormat::FromBytes(data + 20, size);
}

double Rms(const std::vector<int32_t>& samples, uint16_t channels, uint16_t channel,
           std::size_t firstFrame, std::size_t lastFrame) {
    double sum = 0;
    for (std::size_t f = firstFrame; f < lastFrame; ++f) {
        const double v = samples[f * channels + channel];
        sum += v * v;
    }
    return lastFrame > firstFrame ? std::sqrt(sum / static_cast<double>(lastFrame - firstFrame))
                                  : 0.0;
}

}  // namespace orvia::test
