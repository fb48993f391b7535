// Compression of message audio into the format of the format-choice file.
#include "delivery/message_compression.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "diagnostics_capture.h"
#include "file_size_limit.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"
#include "test_recording.h"

namespace orvia {
namespace {

using test::ReadFile;

class CompressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
    }

    std::string Ini() const { return Store().MailBoxes() + "Box ICM000001.ini"; }
    std::string Wav() const { return Store().MailBoxes() + "Box ICM000001.wav"; }

    void Choose(const WaveFormat& format) {
        ASSERT_TRUE(WriteFormatChoice(FormatChoicePath(Store().SettingsFile()), format));
    }

    // Names in the MailBoxes folder other than the message's two files.
    std::vector<std::string> StrayFiles() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(Store().MailBoxes().c_str());
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != "Box ICM000001.ini" &&
                name != "Box ICM000001.wav")
                names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    test::TempDir data_;
};

// The tone's level in the middle of the recording, away from the codecs'
// start-up and the rate converter's edges.
double MiddleRms(const std::vector<int32_t>& samples, uint16_t channels, uint16_t channel) {
    const std::size_t frames = samples.size() / channels;
    return test::Rms(samples, channels, channel, frames / 4, frames * 3 / 4);
}

TEST_F(CompressionTest, EveryEncodableFormatThroughTheChoiceFile) {
    constexpr int32_t kFrames = 12000;  // 1.5 s at 8000 Hz: more than one block
    ASSERT_TRUE(test::WriteTone(Wav(), kFrames));
    const std::string original = ReadFile(Wav());
    uint16_t inChannels = 0;
    const double toneRms = MiddleRms(*test::ReadAllSamples(Wav(), &inChannels), 1, 0);

    for (const EncodableFormat& choice : ListEncodableFormats()) {
        SCOPED_TRACE(choice.name);
        ASSERT_TRUE(test::WriteFile(Wav(), original));
        ASSERT_TRUE(DeleteProfileKey(Ini(), "message", "compressed"));
        Choose(choice.format);

        CompressMessage(Ini());

        EXPECT_EQ(ReadProfileString(Ini(), "message", "compressed", ""), "true");
        EXPECT_EQ(test::FileFormat(Wav()), choice.format);
        uint16_t channels = 0;
        const auto samples = test::ReadAllSamples(Wav(), &channels);
        ASSERT_TRUE(samples);
        ASSERT_EQ(channels, choice.format.channels);
        // The whole recording, in the new rate; a block codec may pad its
        // last block with silence.
        const double expected = kFrames * double(choice.format.samplesPerSec) / 8000.0;
        const double frames = double(samples->size()) / channels;
        EXPECT_GE(frames, expected - 2);
        EXPECT_LE(frames, expected + 2048);
        for (uint16_t c = 0; c < channels; ++c) {
            const double ratio = MiddleRms(*samples, channels, c) / toneRms;
            EXPECT_NEAR(20 * std::log10(ratio), 0.0, 1.5) << "channel " << c;
        }
        EXPECT_TRUE(StrayFiles().empty());
    }
}

TEST_F(CompressionTest, MissingChoiceFileMeansEightBitPcm) {
    ASSERT_TRUE(test::WriteTone(Wav(), 4000));
    CompressMessage(Ini());
    EXPECT_EQ(test::FileFormat(Wav()), Pcm8Format(1, 8000));
    EXPECT_EQ(test::ReadAllSamples(Wav())->size(), 4000u);
}

TEST_F(CompressionTest, ExactMultipleOfTheBlockKeepsItsLastBlock) {
    constexpr int32_t kFrames = 2 * 8192;
    ASSERT_TRUE(test::WriteTone(Wav(), kFrames));
    const std::vector<int32_t> tone = *test::ReadAllSamples(Wav());
    const std::string original = ReadFile(Wav());
    const struct {
        const char* what;
        WaveFormat format;
    } cases[] = {{"16-bit PCM", WaveFormat::Pcm16(1, 8000)},
                 {"8-bit PCM", Pcm8Format(1, 8000)},
                 {"A-law", ALawFormat(1, 8000)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test::WriteFile(Wav(), original));
        ASSERT_TRUE(ConvertAudioFile(c.format, Wav()));
        const std::vector<int32_t> out = *test::ReadAllSamples(Wav());
        ASSERT_EQ(out.size(), static_cast<std::size_t>(kFrames));
        EXPECT_NEAR(test::Rms(out, 1, 0, 8192, kFrames), test::Rms(tone, 1, 0, 8192, kFrames),
                    test::Rms(tone, 1, 0, 8192, kFrames) * 0.05);
    }
    // Same format: the copy is sample for sample.
    ASSERT_TRUE(test::WriteFile(Wav(), original));
    ASSERT_TRUE(ConvertAudioFile(WaveFormat::Pcm16(1, 8000), Wav()));
    EXPECT_EQ(*test::ReadAllSamples(Wav()), tone);
}

TEST_F(CompressionTest, StopLeavesTheAudioAndAsksForAnotherTry) {
    ASSERT_TRUE(test::WriteTone(Wav(), 40000));
    const std::string original = ReadFile(Wav());
    Choose(ALawFormat(1, 8000));
    // Stops before the third block.
    int checks = 0;
    const StopCheck stop = [&checks] { return ++checks > 2; };

    CompressMessage(Ini(), stop);

    EXPECT_EQ(ReadFile(Wav()), original);
    EXPECT_EQ(ReadProfileString(Ini(), "message", "compressed", ""), "false");
    EXPECT_TRUE(StrayFiles().empty());

    CompressMessage(Ini());
    EXPECT_EQ(test::FileFormat(Wav()), ALawFormat(1, 8000));
    EXPECT_EQ(ReadProfileString(Ini(), "message", "compressed", ""), "true");
}

TEST_F(CompressionTest, OtherFailuresKeepTheAudioAndAreNotRetried) {
    const std::string garbage = "RIFF but not a wave file";
    ASSERT_TRUE(test::WriteFile(Wav(), garbage));
    CompressMessage(Ini());
    EXPECT_EQ(ReadFile(Wav()), garbage);
    EXPECT_EQ(ReadProfileString(Ini(), "message", "compressed", ""), "true");
    EXPECT_TRUE(StrayFiles().empty());

    // Marked: a readable recording is now left alone.
    ASSERT_TRUE(test::WriteTone(Wav(), 4000));
    const std::string tone = ReadFile(Wav());
    CompressMessage(Ini());
    EXPECT_EQ(ReadFile(Wav()), tone);
}

TEST_F(CompressionTest, UnusableFormatFailsWithoutTouchingTheAudio) {
    ASSERT_TRUE(test::WriteTone(Wav(), 4000));
    const std::string original = ReadFile(Wav());
    WaveFormat unknown = ALawFormat(1, 8000);
    unknown.formatTag = 0x55;  // no codec encodes it
    EXPECT_FALSE(ConvertAudioFile(unknown, Wav()));
    EXPECT_EQ(ReadFile(Wav()), original);
    EXPECT_TRUE(StrayFiles().empty());
    EXPECT_FALSE(ConvertAudioFile(ALawFormat(1, 8000), Store().MailBoxes() + "missing.wav"));
}

// The disk fills up while the compressed file is written, after a few
// blocks or before the first byte of audio: the recording stays as it was,
// nothing is left beside it, and the failure names the file.
TEST_F(CompressionTest, AFullDiskLeavesTheRecordingAsItWas) {
    ASSERT_TRUE(test::WriteTone(Wav(), 40000));  // 80 kB of 16-bit PCM
    const std::string original = ReadFile(Wav());
    const struct {
        const char* name;
        WaveFormat format;
        rlim_t limit;
    } cases[] = {{"A-law, cut after 4 kB", ALawFormat(1, 8000), 4000},
                 {"GSM 6.10, cut after 4 kB", Gsm610Format(8000), 4000},
                 {"GSM 6.10, room for the header only", Gsm610Format(8000), 64},
                 {"8-bit PCM, cut after 4 kB", Pcm8Format(1, 8000), 4000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosticsCapture events;
        bool converted = true;
        {
            test::ScopedFileSizeLimit full(c.limit);
            converted = ConvertAudioFile(c.format, Wav());
        }
        EXPECT_FALSE(converted);
        EXPECT_TRUE(ReadFile(Wav()) == original) << ReadFile(Wav()).size() << " bytes";
        EXPECT_TRUE(StrayFiles().empty());
        EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "audio", {"Box ICM000001"}))
            << events.AllText();
    }
    // With room again the same conversion succeeds.
    ASSERT_TRUE(ConvertAudioFile(Gsm610Format(8000), Wav()));
    EXPECT_EQ(test::FileFormat(Wav()), Gsm610Format(8000));
}

TEST_F(CompressionTest, ReplacementKeepsTheFilePermissions) {
    ASSERT_TRUE(test::WriteTone(Wav(), 4000));
    ASSERT_EQ(::chmod(Wav().c_str(), 0640), 0);
    ASSERT_TRUE(ConvertAudioFile(ALawFormat(1, 8000), Wav()));
    struct stat st {};
    ASSERT_EQ(::stat(Wav().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(CompressionTest, ProgressReachesTheLength) {
    ASSERT_TRUE(test::WriteTone(Wav(), 20000));
    std::vector<std::pair<int32_t, int32_t>> reports;
    ASSERT_TRUE(ConvertAudioFile(
        WaveFormat::Pcm16(1, 8000), Wav(), {},
        [&](int32_t done, int32_t length) { reports.emplace_back(done, length); }));
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], std::make_pair(8192, 20000));
    EXPECT_EQ(reports[2], std::make_pair(20000, 20000));
}

}  // namespace
}  // namespace orvia
