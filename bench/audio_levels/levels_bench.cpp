// Level-control throughput for 8 kHz mono recordings and MP3 decoding speed.
// "x_realtime" is seconds of audio processed per second of CPU time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "app/bgalc/level_recording.h"
#include "audio/alc/auto_gain.h"
#include "audio/mp3/mp3_source.h"
#include "audio/pcm_file_sink.h"

extern char** environ;

namespace orvia {
namespace {

constexpr int32_t kRate = 8000;
constexpr double kSeconds = 60;

// Syllable-like bursts of a tone with a slowly swelling level.
std::vector<int32_t> SpeechLike(double seconds, int32_t rate) {
    std::vector<int32_t> v(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = double(i) / rate;
        const double level = 30000 * std::pow(10.0, 6 * std::sin(t) / 20);
        v[i] = std::fmod(t, 0.3) < 0.2
                   ? static_cast<int32_t>(level * std::sin(2 * std::numbers::pi * 700 * t))
                   : 0;
    }
    return v;
}

class MemorySource : public LSoundSourceBase {
public:
    explicit MemorySource(const std::vector<int32_t>& samples)
        : LSoundSourceBase(kRate, kFullScale16, 1), samples_(samples) {}
    void Read(int32_t* buffer, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i, ++position_)
            buffer[i] = position_ >= 0 && position_ < GetLength()
                            ? samples_[static_cast<size_t>(position_)]
                            : 0;
    }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override { return static_cast<int32_t>(samples_.size()); }

private:
    const std::vector<int32_t>& samples_;
    int32_t position_ = 0;
};

class NullSink : public LSoundSinkBase {
public:
    NullSink() : LSoundSinkBase(kRate, kFullScale16, 1) {}
    void Write(const int32_t*, int32_t frames) override { position += frames; }
};

void SetRealTime(benchmark::State& state, double audioSecondsPerIteration) {
    state.counters["x_realtime"] =
        benchmark::Counter(audioSecondsPerIteration * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// Both passes of the level control, temporary files included, from memory
// into a sink that discards.
void BM_LevelControl8kMono(benchmark::State& state) {
    const std::vector<int32_t> samples = SpeechLike(kSeconds, kRate);
    for (auto _ : state) {
        LDPAutoGain gain(MakeCounted<MemorySource>(samples), MakeCounted<NullSink>());
        while (gain.Step()) {
        }
        benchmark::DoNotOptimize(gain.GetState());
    }
    SetRealTime(state, kSeconds);
}
BENCHMARK(BM_LevelControl8kMono)->Unit(benchmark::kMillisecond);

// The queue's whole job for one recording: read the WAVE file, level it into
// a new file beside it and put that in its place.
void BM_LevelRecordingFile8kMono(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/orvia-bench-" +
                               std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "message.wav";
    const std::vector<int32_t> samples = SpeechLike(kSeconds, kRate);
    for (auto _ : state) {
        state.PauseTiming();
        {
            LSoundSink sink = CreatePCMWaveSink(path, kRate, 1, 16, 0);
            for (size_t done = 0; done < samples.size(); done += kMaxBlockFrames)
                sink->Write(samples.data() + done, static_cast<int32_t>(std::min<size_t>(
                                                       kMaxBlockFrames, samples.size() - done)));
        }
        state.ResumeTiming();
        if (LevelRecording(path) != LevelOutcome::Replaced)
            state.SkipWithError("levelling failed");
    }
    std::filesystem::remove_all(folder);
    SetRealTime(state, kSeconds);
}
BENCHMARK(BM_LevelRecordingFile8kMono)->Unit(benchmark::kMillisecond);

bool Encode(const std::vector<std::string>& options, const std::string& mp3, int32_t rate,
            int channels, double seconds) {
    const std::string raw = mp3 + ".raw";
    {
        std::FILE* f = std::fopen(raw.c_str(), "wb");
        if (!f)
            return false;
        for (size_t i = 0; i < static_cast<size_t>(seconds * rate); ++i) {
            for (int c = 0; c < channels; ++c) {
                const auto v = static_cast<int16_t>(
                    8000 * std::sin(2 * std::numbers::pi * (440 + 220 * c) * double(i) / rate));
                std::fwrite(&v, 2, 1, f);
            }
        }
        std::fclose(f);
    }
    char rateText[32];
    std::snprintf(rateText, sizeof(rateText), "%g", rate / 1000.0);
    std::vector<std::string> argv = {"lame",
                                     "--quiet",
                                     "-r",
                                     "-s",
                                     rateText,
                                     "--bitwidth",
                                     "16",
                                     "--signed",
                                     "--little-endian",
                                     "-m",
                                     channels == 1 ? "m" : "j"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(raw);
    argv.push_back(mp3);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const bool ok = posix_spawnp(&pid, "lame", &quiet, nullptr, args.data(), environ) == 0 &&
                    waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&quiet);
    std::remove(raw.c_str());
    return ok;
}

// Decoding a whole MP3 file, opening included.
void BM_Mp3Decode(benchmark::State& state, std::vector<std::string> options, int32_t rate,
                  int channels) {
    constexpr double kMp3Seconds = 20;
    const std::string mp3 = std::filesystem::temp_directory_path().string() + "/orvia-bench-" +
                            std::to_string(::getpid()) + ".mp3";
    if (!Encode(options, mp3, rate, channels, kMp3Seconds)) {
        state.SkipWithError("lame is needed to make the test file");
        return;
    }
    std::vector<int32_t> block(static_cast<size_t>(kMaxBlockFrames) * channels);
    double seconds = 0;
    for (auto _ : state) {
        LSoundSource source = OpenMP3Source(mp3);
        while (source->GetPosition() < source->GetLength())
            source->Read(block.data(), kMaxBlockFrames);
        seconds = double(source->GetLength()) / source->sampleRate;
        benchmark::DoNotOptimize(block.data());
    }
    std::remove(mp3.c_str());
    SetRealTime(state, seconds);
}
BENCHMARK_CAPTURE(BM_Mp3Decode, mpeg1_44100_stereo_128k, {"-b", "128"}, 44100, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Mp3Decode, mpeg2_16000_mono_32k, {"-b", "32", "--resample", "16"}, 16000, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Mp3Decode, mpeg25_8000_mono_16k, {"-b", "16", "--resample", "8"}, 8000, 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvia
