// Encoding and decoding speed of each codec at 8000 Hz mono, moving 8192
// frames per conversion as the file reader and writer do. Items per second
// are frames per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/standard_formats.h"

namespace orvia {
namespace {

constexpr std::size_t kFrames = 8192;
constexpr uint32_t kRate = 8000;

WaveFormat FormatFor(int which) {
    switch (which) {
        case 0:
            return ALawFormat(1, kRate);
        case 1:
            return MuLawFormat(1, kRate);
        case 2:
            return ImaAdpcmFormat(1, kRate);
        case 3:
            return MsAdpcmFormat(1, kRate);
        default:
            return Gsm610Format(kRate);
    }
}

// Two tones: something for the predictors to follow.
std::vector<uint8_t> Signal() {
    std::vector<uint8_t> out(kFrames * 2);
    for (std::size_t i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const auto v = static_cast<int16_t>(9000 * std::sin(2 * std::numbers::pi * 440 * t) +
                                            4000 * std::sin(2 * std::numbers::pi * 1230 * t));
        out[2 * i] = static_cast<uint8_t>(v);
        out[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    }
    return out;
}

void BM_Encode(benchmark::State& state) {
    const WaveFormat format = FormatFor(static_cast<int>(state.range(0)));
    state.SetLabel(WaveFormatName(format));
    auto stream = WaveCodecStream::Open(WaveFormat::Pcm16(1, kRate), format);
    const std::vector<uint8_t> pcm = Signal();
    std::vector<uint8_t> out(stream->DestinationSizeFor(pcm.size()));
    for (auto _ : state) {
        auto r = stream->Convert(pcm.data(), pcm.size(), out.data(), out.size(), kCodecEnd);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kFrames));
}

void BM_Decode(benchmark::State& state) {
    const WaveFormat format = FormatFor(static_cast<int>(state.range(0)));
    state.SetLabel(WaveFormatName(format));
    const WaveFormat pcmFormat = WaveFormat::Pcm16(1, kRate);
    auto encoder = WaveCodecStream::Open(pcmFormat, format);
    const std::vector<uint8_t> pcm = Signal();
    std::vector<uint8_t> coded(encoder->DestinationSizeFor(pcm.size()));
    coded.resize(
        encoder->Convert(pcm.data(), pcm.size(), coded.data(), coded.size(), kCodecEnd).dstUsed);
    auto stream = WaveCodecStream::Open(format, pcmFormat);
    std::vector<uint8_t> out(stream->DestinationSizeFor(coded.size()));
    const int64_t frames = static_cast<int64_t>(out.size() / 2);
    for (auto _ : state) {
        auto r = stream->Convert(coded.data(), coded.size(), out.data(), out.size(), kCodecEnd);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

BENCHMARK(BM_Encode)->DenseRange(0, 4);
BENCHMARK(BM_Decode)->DenseRange(0, 4);

}  // namespace
}  // namespace orvia
