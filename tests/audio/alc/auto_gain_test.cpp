#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "alc_signals.h"
#include "audio/alc/auto_gain.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FromSamples;
using test::MeasureSpeechLevels;
using test::SampleSink;
using test::TempDir;
using test::Tone;

// Runs the level control from samples into a sink of the given format.
LCountedHandle<SampleSink> Level(std::vector<int32_t> samples, int32_t rate, int channels,
                                 uint32_t sinkRate, uint32_t sinkChannels,
                                 const LAutoGainParams& params = kQueueAutoGainParams) {
    auto sink = MakeCounted<SampleSink>(sinkRate, sinkChannels);
    LDPAutoGain gain(FromSamples(std::move(samples), rate, static_cast<uint32_t>(channels)),
                     LSoundSink(sink), params);
    EXPECT_FALSE(gain.Failed());
    while (gain.Step()) {
    }
    EXPECT_FALSE(gain.Failed());
    return sink;
}

int32_t Peak(const std::vector<int32_t>& v, size_t from, size_t to) {
    int32_t peak = 0;
    for (size_t i = from; i < to && i < v.size(); ++i)
        peak = std::max(peak, std::abs(v[i]));
    return peak;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Points TMPDIR at a folder of the test's own for its lifetime.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const std::string& folder) {
        if (const char* old = std::getenv("TMPDIR"))
            old_ = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (old_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", old_.c_str(), 1);
    }

private:
    std::string old_;
};

TEST(AutoGainTest, QuietAndLoudSignalsComeOutAtSpeechLevelZero) {
    struct Case {
        const char* name;
        std::vector<int32_t> samples;
        int tolerance;
    } cases[] = {
        {"tone -30 dB", Tone(4, 1000, 8000, -30), 1},
        {"tone -6 dB", Tone(4, 1000, 8000, -6), 1},
        {"syllables -30 dB", test::Syllables(6, 8000, -30), 2},
        {"syllables -6 dB", test::Syllables(6, 8000, -6), 2},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = MeasureSpeechLevels(c.samples, 8000, 1)[0];
        auto sink = Level(c.samples, 8000, 1, 8000, 1);
        EXPECT_EQ(sink->samples.size(), c.samples.size());
        const int after = MeasureSpeechLevels(sink->samples, 8000, 1)[0];
        EXPECT_NEAR(after, 0, c.tolerance) << "speech level before: " << before;
    }
}

TEST(AutoGainTest, RecordedVoiceAtAnyLevelComesOutAtSpeechLevelZero) {
    TempDir dir;
    int32_t rate = 0;
    const std::vector<int32_t> voice = test::Speech(
        dir.Path(), "Please leave your message after the tone. We will call you back soon.", &rate);
    ASSERT_FALSE(voice.empty()) << "espeak-ng is needed for this test";
    for (double peak : {-30.0, -6.0}) {
        SCOPED_TRACE(peak);
        // The voice arrives at espeak's rate and leaves at 8000 Hz.
        auto sink = Level(test::ScaleToPeak(voice, peak), rate, 1, 8000, 1);
        EXPECT_NEAR(static_cast<double>(sink->samples.size()), voice.size() * 8000.0 / rate, 400);
        EXPECT_NEAR(MeasureSpeechLevels(sink->samples, 8000, 1)[0], 0, 2);
    }
}

TEST(AutoGainTest, SilenceStaysSilent) {
    const std::vector<int32_t> silence(16000, 0);
    EXPECT_EQ(MeasureSpeechLevels(silence, 8000, 1)[0], -127);
    auto sink = Level(silence, 8000, 1, 8000, 1);
    EXPECT_EQ(sink->samples.size(), silence.size());
    EXPECT_EQ(Peak(sink->samples, 0, sink->samples.size()), 0);
}

TEST(AutoGainTest, TheLastBlockFadesToSilence) {
    // 8000 Hz: blocks of 160 frames.
    auto sink = Level(Tone(2, 1000, 8000, -20), 8000, 1, 8000, 1);
    const std::vector<int32_t>& out = sink->samples;
    ASSERT_EQ(out.size(), 16000u);
    const int32_t before = Peak(out, 16000 - 320, 16000 - 160);
    ASSERT_GT(before, 50000);
    // Within the last block the level falls steadily to nothing.
    EXPECT_GT(Peak(out, 16000 - 160, 16000 - 120), 0.7 * before);
    EXPECT_LT(Peak(out, 16000 - 80, 16000 - 40), 0.55 * before);
    EXPECT_LT(Peak(out, 16000 - 8, 16000), 0.06 * before);
}

TEST(AutoGainTest, ConvertsToTheSinksChannelsAndRate) {
    // Stereo 16000 Hz, the tone on the left only, into mono 8000 Hz: the
    // left channel is kept and the output is half as long.
    std::vector<int32_t> stereo;
    for (int32_t s : Tone(3, 500, 16000, -24)) {
        stereo.push_back(s);
        stereo.push_back(0);
    }
    auto mono = Level(stereo, 16000, 2, 8000, 1);
    EXPECT_NEAR(static_cast<double>(mono->samples.size()), 24000, 160);
    EXPECT_NEAR(MeasureSpeechLevels(mono->samples, 8000, 1)[0], 0, 1);

    // Mono 8000 Hz into stereo 16000 Hz: converted after levelling.
    auto wide = Level(Tone(3, 500, 8000, -24), 8000, 1, 16000, 2);
    ASSERT_NEAR(static_cast<double>(wide->samples.size()), 2 * 48000, 2 * 320);
    const std::vector<int> levels = MeasureSpeechLevels(wide->samples, 16000, 2);
    EXPECT_NEAR(levels[0], 0, 1);
    EXPECT_EQ(levels[0], levels[1]);
}

TEST(AutoGainTest, TrimmingSilenceDropsTheQuietEndsButOneBlock) {
    std::vector<int32_t> samples(8000, 0);
    const std::vector<int32_t> tone = Tone(2, 800, 8000, -20);
    samples.insert(samples.end(), tone.begin(), tone.end());
    samples.insert(samples.end(), 8000, 0);
    LAutoGainParams params;
    params.trimSilence = true;
    auto sink = Level(samples, 8000, 1, 8000, 1, params);
    // The 2 s of tone and the one silent block kept before it; after it at
    // most the block that the measuring filter still hears ringing.
    EXPECT_GE(sink->samples.size(), 16000u + 160u);
    EXPECT_LE(sink->samples.size(), 16000u + 320u);
    // It starts with the kept block of silence, then the tone from its start.
    EXPECT_EQ(Peak(sink->samples, 0, 161), 0);
    EXPECT_NE(sink->samples[161], 0);
    EXPECT_GT(Peak(sink->samples, 4000, 8000), 50000);
}

TEST(AutoGainTest, TemporaryFilesLiveInTheTemporaryFolderUntilTheEnd) {
    TempDir tmp;
    ScopedTmpDir scoped(tmp.Path());
    {
        auto sink = MakeCounted<SampleSink>(8000, 1);
        LDPAutoGain gain(FromSamples(Tone(1, 1000, 8000, -20), 8000), LSoundSink(sink));
        ASSERT_TRUE(gain.Step());
        const std::vector<std::string> names = FilesIn(tmp.Path());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0].substr(0, 3), "lca");
        EXPECT_EQ(names[1].substr(0, 3), "lcp");
        while (gain.Step()) {
        }
    }
    EXPECT_TRUE(FilesIn(tmp.Path()).empty());
}

TEST(AutoGainTest, FailsAtOnceWithoutUsableHandlesOrTemporaryFolder) {
    auto sink = MakeCounted<SampleSink>(8000, 1);
    const LSoundSource tone = FromSamples(Tone(1, 1000, 8000, -20), 8000);
    {
        LDPAutoGain noSource{LSoundSource(), LSoundSink(sink)};
        EXPECT_TRUE(noSource.Failed());
        EXPECT_FALSE(noSource.Step());
        LDPAutoGain noSink(tone, LSoundSink());
        EXPECT_FALSE(noSink.Step());
    }
    {
        TempDir tmp;
        ScopedTmpDir scoped(tmp.Path() + "missing/");
        LDPAutoGain noFolder(tone, LSoundSink(sink));
        EXPECT_TRUE(noFolder.Failed());
        EXPECT_FALSE(noFolder.Step());
    }
    EXPECT_EQ(sink->position, 0);
}

}  // namespace
}  // namespace orvia
