// Output frames per second of the signal processes on a steady signal, and
// how many times faster than real time that is (x_realtime).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/compressor.h"
#include "audio/peak_limiter.h"
#include "audio/rate_conversion.h"
#include "audio/sound_source.h"

namespace orvia {
namespace {

// An endless source repeating one second of a tone with some noise.
class LoopSource : public LSoundSourceBase {
public:
    LoopSource(int32_t rate, uint32_t channelCount, double level)
        : LSoundSourceBase(rate, 2097152, channelCount),
          loop_(static_cast<size_t>(rate) * channelCount) {
        uint32_t seed = 1;
        for (size_t i = 0; i < loop_.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double t = static_cast<double>(i / channelCount) / rate;
            const double v = std::sin(2 * std::numbers::pi * 440 * t) * 0.8 +
                             (static_cast<int32_t>(seed >> 16) - 32768) / 32768.0 * 0.2;
            loop_[i] = static_cast<int32_t>(v * level);
        }
    }
    void Read(int32_t* buffer, int32_t frames) override {
        const size_t count = static_cast<size_t>(frames) * channels;
        for (size_t i = 0; i < count; ++i) {
            buffer[i] = loop_[next_];
            if (++next_ == loop_.size())
                next_ = 0;
        }
        position_ += frames;
    }
    void Seek(int32_t frame) override { position_ = frame; }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return INT32_MAX; }

private:
    std::vector<int32_t> loop_;
    size_t next_ = 0;
    int32_t position_ = 0;
};

// Reads 100 ms blocks (the player's buffer size) from the stage.
void Pull(benchmark::State& state, const LSoundSource& stage) {
    const int32_t frames = std::max(stage->sampleRate / 10, 20);
    std::vector<int32_t> block(static_cast<size_t>(frames) * stage->channels);
    for (auto _ : state) {
        stage->Read(block.data(), frames);
        benchmark::DoNotOptimize(block.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) * state.iterations() / stage->sampleRate,
                           benchmark::Counter::kIsRate);
}

void BM_ConvertRate(benchmark::State& state) {
    const auto in = static_cast<int32_t>(state.range(0));
    const auto out = static_cast<int32_t>(state.range(1));
    const auto channels = static_cast<uint32_t>(state.range(2));
    LSoundSource stage;
    LSPConvertRate(out).Apply(stage, MakeCounted<LoopSource>(in, channels, 524272.0));
    Pull(state, stage);
}
BENCHMARK(BM_ConvertRate)
    ->ArgNames({"in", "out", "ch"})
    ->Args({44100, 8000, 1})
    ->Args({8000, 44100, 1})
    ->Args({44100, 8000, 2})
    ->Args({8000, 44100, 2});

void BM_Compressor(benchmark::State& state) {
    const auto rate = static_cast<int32_t>(state.range(0));
    const auto channels = static_cast<uint32_t>(state.range(1));
    LSoundSource stage;
    LSPCompressor(-30, 0.9261187281287935, 500)
        .Apply(stage, MakeCounted<LoopSource>(rate, channels, 100000.0));
    Pull(state, stage);
}
BENCHMARK(BM_Compressor)->ArgNames({"rate", "ch"})->Args({8000, 1})->Args({44100, 2});

void BM_PeakLimiter(benchmark::State& state) {
    const auto rate = static_cast<int32_t>(state.range(0));
    const auto channels = static_cast<uint32_t>(state.range(1));
    LSoundSource stage;
    // Peaks at about twice the limit, so the gain is working all the time.
    LSPPeakLimit(524272).Apply(stage, MakeCounted<LoopSource>(rate, channels, 1048544.0));
    Pull(state, stage);
}
BENCHMARK(BM_PeakLimiter)->ArgNames({"rate", "ch"})->Args({8000, 1})->Args({44100, 2});

}  // namespace
}  // namespace orvia
