#include "speech/speech_file.h"

#include <dirent.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "audio/wave_source.h"
#include "file_size_limit.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

uint16_t LittleEndian16(const std::string& bytes, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

struct FileAudio {
    int32_t rate = 0;
    int channels = 0;
    int32_t frames = 0;
    int32_t peak = 0;
};

FileAudio ReadAudio(const std::string& path) {
    FileAudio audio;
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return audio;
    audio.rate = source->sampleRate;
    audio.channels = source->channels;
    audio.frames = source->GetLength();
    std::vector<int32_t> block(kMaxBlockFrames * source->channels);
    while (source->GetPosition() < source->GetLength()) {
        source->Read(block.data(), kMaxBlockFrames);
        for (int32_t s : block)
            audio.peak = std::max(audio.peak, std::abs(s));
    }
    return audio;
}

TEST(SpeechFile, ShortTextGivesAnAudible8kHzMono16BitFile) {
    TempDir dir;
    const std::string path = dir.Path() + "Prompt.wav";
    SpeechRequest request;
    request.text = "Goodbye.";
    ASSERT_EQ(SynthesizeToFile(request, path, 8000), SpeechResult::Ok);

    const std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(LittleEndian16(bytes, 20), 1);   // PCM
    EXPECT_EQ(LittleEndian16(bytes, 34), 16);  // bits per sample
    const FileAudio audio = ReadAudio(path);
    EXPECT_EQ(audio.rate, 8000);
    EXPECT_EQ(audio.channels, 1);
    // A spoken word: a few tenths of a second at least, well above the noise.
    EXPECT_GT(audio.frames, 8000 / 5);
    EXPECT_LT(audio.frames, 8000 * 5);
    EXPECT_GT(audio.peak, 2000 * 16);
    // Only the file itself is left in the folder.
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Prompt.wav"});
}

TEST(SpeechFile, EngineRateByIndex) {
    TempDir dir;
    const std::string path = dir.Path() + "Synthesized.wav";
    ASSERT_EQ(SynthesizeToFile("one two three", CountEngines() + 3, path), SpeechResult::Ok);
    const FileAudio audio = ReadAudio(path);
    EXPECT_EQ(audio.rate, SpeechSampleRate());
    EXPECT_GT(audio.peak, 1000 * 16);
}

TEST(SpeechFile, FailuresLeaveNoFileAndKeepAnExistingOne) {
    TempDir dir;
    const std::string path = dir.Path() + "Keep.wav";
    ASSERT_TRUE(WriteFile(path, "old content"));

    SpeechRequest unknown;
    unknown.text = "hello";
    unknown.voiceName = "no such voice";
    EXPECT_EQ(SynthesizeToFile(unknown, path, 8000), SpeechResult::NoVoice);

    SpeechRequest cancelled;
    cancelled.text = "This text is long enough to be spoken in several pieces of audio.";
    cancelled.cancelled = [] { return true; };
    EXPECT_EQ(SynthesizeToFile(cancelled, path, 8000), SpeechResult::Cancelled);

    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Keep.wav"});

    SpeechRequest ok;
    ok.text = "hello";
    EXPECT_EQ(SynthesizeToFile(ok, dir.Path() + "missing folder/x.wav", 8000),
              SpeechResult::Failed);
    EXPECT_EQ(SynthesizeToFile(ok, dir.Path() + "x.wav", -1), SpeechResult::Failed);
    EXPECT_FALSE(FileExists(dir.Path() + "x.wav"));

    // The disk fills up part-way, at the engine's rate and at 8000 Hz: the
    // existing file stays as it was.
    SpeechRequest longer;
    longer.text = "Please leave your name and number after the tone.";  // about 3 s
    for (const int rate : {0, 8000}) {
        bool full = false;
        {
            test::ScopedFileSizeLimit limit(4000);
            full = SynthesizeToFile(longer, path, rate) == SpeechResult::Failed;
        }
        EXPECT_TRUE(full) << rate;
        EXPECT_EQ(ReadFile(path), "old content") << rate;
    }
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Keep.wav"});
}

}  // namespace
}  // namespace orvia
