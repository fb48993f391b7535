#include "alc_signals.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "audio/alc/auto_gain.h"
#include "audio/wave_source.h"

extern char** environ;

namespace orvia::test {

SampleSource::SampleSource(std::vector<int32_t> samples, int32_t rate, uint32_t channelCount)
    : LSoundSourceBase(rate, kFullScale16, channelCount), samples_(std::move(samples)) {}

int32_t SampleSource::GetLength() {
    return static_cast<int32_t>(samples_.size() / channels);
}

void SampleSource::Read(int32_t* buffer, int32_t frames) {
    const int64_t ch = channels;
    for (int64_t f = 0; f < frames; ++f) {
        const int64_t frame = position_ + f;
        for (int64_t c = 0; c < ch; ++c) {
            buffer[f * ch + c] = (frame >= 0 && frame < GetLength())
                                     ? samples_[static_cast<size_t>(frame * ch + c)]
                                     : 0;
        }
    }
    position_ += frames;
}

void SampleSink::Write(const int32_t* buffer, int32_t frames) {
    position += frames;
    samples.insert(samples.end(), buffer, buffer + static_cast<size_t>(frames) * channels);
}

LSoundSource FromSamples(std::vector<int32_t> samples, int32_t rate, uint32_t channels) {
    return MakeCounted<SampleSource>(std::move(samples), rate, channels);
}

std::vector<int32_t> Tone(double seconds, double hz, int32_t rate, double dbfs) {
    const auto frames = static_cast<size_t>(seconds * rate);
    const double amplitude = kFullScale16 * std::pow(10.0, dbfs / 20);
    std::vector<int32_t> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = static_cast<int32_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    return v;
}

std::vector<int32_t> Syllables(double seconds, int32_t rate, double dbfs) {
    std::vector<int32_t> v = Tone(seconds, 700, rate, dbfs);
    for (size_t i = 0; i < v.size(); ++i) {
        const double t = double(i) / rate;
        const bool on = std::fmod(t, 0.3) < 0.2;
        const double swell = std::pow(10.0, 4 * std::sin(2 * std::numbers::pi * t / 3) / 20);
        v[i] = on ? static_cast<int32_t>(std::lround(v[i] * swell)) : 0;
    }
    return v;
}

std::vector<int32_t> ScaleToPeak(std::vector<int32_t> samples, double dbfs) {
    int64_t peak = 1;
    for (int32_t s : samples)
        peak = std::max<int64_t>(peak, std::abs(static_cast<int64_t>(s)));
    const double factor = kFullScale16 * std::pow(10.0, dbfs / 20) / double(peak);
    for (int32_t& s : samples)
        s = static_cast<int32_t>(std::lround(s * factor));
    return samples;
}

std::vector<int32_t> Speech(const std::string& folder, const std::string& text, int32_t* rate) {
    const std::string path = folder + "speech.wav";
    std::vector<std::string> argv = {"espeak-ng", "-w", path, text};
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "espeak-ng", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source) || source->channels != 1)
        return {};
    *rate = source->sampleRate;
    std::vector<int32_t> samples(static_cast<size_t>(source->GetLength()));
    for (size_t done = 0; done < samples.size();) {
        const auto n = static_cast<int32_t>(std::min<size_t>(samples.size() - done, 8192));
        source->Read(samples.data() + done, n);
        done += static_cast<size_t>(n);
    }
    return samples;
}

std::vector<int> MeasureSpeechLevels(std::vector<int32_t> samples, int32_t rate, int channels) {
    auto sink =
        MakeCounted<SampleSink>(static_cast<uint32_t>(rate), static_cast<uint32_t>(channels));
    LDPAutoGain measure(FromSamples(std::move(samples), rate, static_cast<uint32_t>(channels)),
                        LSoundSink(sink));
    while (measure.GetState() == LDPAutoGain::State::Measuring && measure.Step()) {
    }
    return measure.SpeechLevels();
}

}  // namespace orvia::test
