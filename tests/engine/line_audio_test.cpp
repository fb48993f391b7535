// The line audio chain: the stages the settings ask for, and the engine
// playing real wave files through it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/compressor.h"
#include "audio/gain.h"
#include "audio/high_pass.h"
#include "audio/stub_source.h"
#include "engine/line_audio.h"
#include "engine_fixture.h"
#include "mp3_fixtures.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;

// A mono 16-bit 8000 Hz wave file of silence.
std::string WaveFile(uint32_t frames) {
    auto le16 = [](uint32_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; };
    auto le32 = [&](uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); };
    const std::string fmt = le16(1) + le16(1) + le32(8000) + le32(16000) + le16(2) + le16(16);
    const std::string data(frames * 2, '\0');
    const std::string chunks = "fmt " + le32(16) + fmt + "data" + le32(frames * 2) + data;
    return "RIFF" + le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

// The stages of a chain from the outside in, by name.
std::vector<std::string> Stages(const LSoundSource& chain) {
    std::vector<std::string> names;
    LSoundSourceBase* stage = chain.get();
    while (auto* process = dynamic_cast<LSoundProcessBase*>(stage)) {
        if (dynamic_cast<LSRCGain*>(process))
            names.push_back("gain");
        else if (dynamic_cast<LSRCCompressor*>(process))
            names.push_back("compressor");
        else if (dynamic_cast<LSRCHighPass*>(process))
            names.push_back("highpass");
        else
            names.push_back("other");
        stage = process->Input().get();
    }
    return names;
}

class LineAudioTest : public EngineTest {
protected:
    void Settings(const char* highpass, const char* compressor, const char* gain) {
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), ""));
        if (highpass)
            Setting("settings", "audiohighpass", highpass);
        if (compressor)
            Setting("settings", "audiocompressorthres", compressor);
        if (gain)
            Setting("settings", "audiogain", gain);
    }
};

TEST_F(LineAudioTest, StagesAppearOnlyBeyondTheirThresholds) {
    struct Case {
        const char* highpass;
        const char* compressor;
        const char* gain;
        std::optional<int32_t> highPassHz;
        std::optional<int> compressorDb;
        std::optional<int> gainDb;
    } cases[] = {
        {nullptr, nullptr, nullptr, std::nullopt, std::nullopt, std::nullopt},
        {"20", "-2dB", "1dB", std::nullopt, std::nullopt, std::nullopt},
        {"0", "0dB", "-1dB", std::nullopt, std::nullopt, std::nullopt},
        {"21", "-3dB", "2dB", 21, -3, 2},
        {"1500", "-18dB", "-2dB", 1500, -18, -2},
        {"300", "--dB", "8dB", 300, -127, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.highpass ? c.highpass : "-") + " " +
                     (c.compressor ? c.compressor : "-") + " " + (c.gain ? c.gain : "-"));
        Settings(c.highpass, c.compressor, c.gain);
        const LineAudioStages stages = ReadLineAudioStages();
        EXPECT_EQ(stages.highPassHz, c.highPassHz);
        EXPECT_EQ(stages.compressorThresholdDb, c.compressorDb);
        EXPECT_EQ(stages.gainDb, c.gainDb);
    }
}

TEST_F(LineAudioTest, ChainHasHighPassThenCompressorThenGain) {
    const LSoundSource source = MakeSilence(8000, 8000, 1);

    Settings("20", "-2dB", "1dB");
    EXPECT_EQ(BuildLineAudioChain(source).get(), source.get());

    Settings("100", "-6dB", "-3dB");
    LSoundSource chain = BuildLineAudioChain(source);
    EXPECT_THAT(Stages(chain), ElementsAre("gain", "compressor", "highpass"));
    auto* gain = dynamic_cast<LSRCGain*>(chain.get());
    ASSERT_NE(gain, nullptr);
    auto* compressor = dynamic_cast<LSRCCompressor*>(gain->Input().get());
    ASSERT_NE(compressor, nullptr);
    // 500 ticks at 8000 frames per second are 400 frames.
    EXPECT_EQ(compressor->BlockFrames(), 400);
    // Below the threshold every level gets the constant boost of -2/3 x -6 dB.
    EXPECT_EQ(compressor->CurveAt(-127), compressor->CurveAt(-7));
    EXPECT_GT(compressor->CurveAt(-7), 16777216);

    Settings(nullptr, nullptr, "3dB");
    EXPECT_THAT(Stages(BuildLineAudioChain(source)), ElementsAre("gain"));
    // An empty source stays empty.
    EXPECT_FALSE(BuildLineAudioChain(LSoundSource()));
}

TEST_F(LineAudioTest, EnginePlaysWaveFilesAndPromptsThroughTheChain) {
    TestLine real;
    real.SetOwner(std::make_unique<IVRCMain>(0, nullptr));
    Setting("settings", "ogm", "Main");
    Setting("settings", "audiogain", "6dB");
    EmptyOgm("Main");
    ASSERT_TRUE(WriteFile(Store().OGMs() + "Main.wav", WaveFile(800)));
    ASSERT_TRUE(WriteFile(PromptPath("GoodBye"), WaveFile(400)));

    ASSERT_TRUE(real.Answer());
    ASSERT_FALSE(IsInvalid(real.LastSource()));
    EXPECT_THAT(Stages(real.LastSource()), ElementsAre("gain"));
    EXPECT_EQ(real.LastSource()->GetLength(), 800);
    ASSERT_TRUE(real.FinishPlay());
    ASSERT_TRUE(real.FinishWait());
    EXPECT_EQ(real.LastSource()->GetLength(), 400);
    // A prompt that is not a wave file finishes at once.
    ASSERT_TRUE(real.FinishPlay());
    ASSERT_TRUE(WriteFile(PromptPath("GoodBye"), "RIFF but not a wave"));
    real.HangUpCall();
    ASSERT_TRUE(real.Answer());
    ASSERT_TRUE(real.FinishPlay());
    real.TakeLog();
    ASSERT_TRUE(real.FinishWait());
    EXPECT_THAT(real.TakeLog(), ElementsAre("play:none", "drop"));
}

}  // namespace
}  // namespace orvia::test

namespace orvia::test {
namespace {

TEST_F(LineAudioTest, Mp3FilesOpenAsSourcesAndGarbageDoesNot) {
    const std::string mp3 = dir.Path() + "tune.mp3";
    ToneSpec tone;
    tone.seconds = 1.0;
    ASSERT_TRUE(EncodeMp3(tone, {"-b", "128"}, mp3)) << "lame is needed for this test";
    LSoundSource source = OpenMp3File(mp3);
    ASSERT_FALSE(IsInvalid(source));
    EXPECT_EQ(source->sampleRate, 44100);
    EXPECT_EQ(source->channels, 2);
    EXPECT_NEAR(source->GetLength(), 44100, 4410);

    ASSERT_TRUE(WriteFile(dir.Path() + "junk.mp3", "ID3 but nothing else"));
    EXPECT_FALSE(OpenMp3File(dir.Path() + "junk.mp3"));
    EXPECT_FALSE(OpenMp3File(dir.Path() + "missing.mp3"));
}

}  // namespace
}  // namespace orvia::test
