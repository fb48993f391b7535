#include "app/startup/installed_data_p.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "audio/wave_source.h"
#include "engine/ogm_files.h"
#include "file_size_limit.h"
#include "platform/sip/sip_device.h"
#include "store/profile.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct Audio {
    int32_t rate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<int32_t> samples;
};

Audio ReadAudio(const std::string& path) {
    Audio audio;
    const std::string bytes = ReadFile(path);
    if (bytes.size() > 34)
        audio.bits = static_cast<uint8_t>(bytes[34]);
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return audio;
    audio.rate = source->sampleRate;
    audio.channels = source->channels;
    std::vector<int32_t> block(kMaxBlockFrames * source->channels);
    while (source->GetPosition() < source->GetLength()) {
        const int32_t before = source->GetPosition();
        source->Read(block.data(), kMaxBlockFrames);
        const int32_t n = std::min(kMaxBlockFrames, source->GetLength() - before);
        audio.samples.insert(audio.samples.end(), block.begin(), block.begin() + n);
    }
    return audio;
}

int32_t Peak(const std::vector<int32_t>& samples) {
    int32_t peak = 0;
    for (int32_t s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

class InstalledDataTest : public ::testing::Test {
protected:
    TempDir dir_;
    SettingsStore store_ = SettingsStore::ForDataFolder(dir_.Path() + "data");
};

TEST_F(InstalledDataTest, FreshFolderGetsEveryPromptTheOgmAndTheMailbox) {
    const InstalledDataReport report = InstallMissingData(store_);
    EXPECT_TRUE(report.failed.empty()) << report.failed.front();

    ASSERT_EQ(SystemPromptTexts().size(), 12u);
    for (const SystemPromptText& prompt : SystemPromptTexts()) {
        SCOPED_TRACE(prompt.name);
        const Audio audio = ReadAudio(store_.SystemPrompts() + prompt.name + ".wav");
        EXPECT_EQ(audio.rate, 8000);
        EXPECT_EQ(audio.channels, 1);
        EXPECT_EQ(audio.bits, 16);
        EXPECT_GT(Peak(audio.samples), 2000 * 16);  // audible, not silence
        if (*prompt.text == '\0')
            EXPECT_LT(audio.samples.size(), 8000u);  // the tone is short
        else
            EXPECT_GT(audio.samples.size(), 4000u);  // speech of some length
    }

    // The record tone is a beep: a steady tone crosses zero at a fixed rate.
    const Audio tone = ReadAudio(store_.SystemPrompts() + "RecordTone.wav");
    int crossings = 0;
    for (std::size_t i = 1; i < tone.samples.size(); ++i)
        crossings += (tone.samples[i - 1] < 0) != (tone.samples[i] < 0);
    const double seconds = static_cast<double>(tone.samples.size()) / 8000.0;
    EXPECT_NEAR(crossings / seconds / 2.0, 1000.0, 30.0);

    const std::string ogm = store_.OGMs() + kDefaultOgmName + ".ini";
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "playcomplete", ""), "mailbox");
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "playcompletembx", ""), "Default");
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "press*", ""), "mailboxaccess");
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "answer", ""), "true");
    const Audio greeting = ReadAudio(store_.OGMs() + "Default Answering Message.wav");
    EXPECT_EQ(greeting.rate, 8000);
    EXPECT_GT(greeting.samples.size(), 5u * 8000u);
    EXPECT_GT(Peak(greeting.samples), 2000 * 16);
    EXPECT_NE(ReadFile(store_.OGMs() + "Default Answering Message.txt").find("after the tone"),
              std::string::npos);

    const std::string mailbox = store_.MailBoxes() + "Default.mbx";
    EXPECT_EQ(ReadProfileString(mailbox, "mbx", "remoteaccess", "missing"), "false");
    // One line only this computer reaches (no SIP provider in this test).
    EXPECT_EQ(ReadProfileString(store_.DataFolder() + "telephony.ini", "simulated", "type", ""),
              "simulated");
    // 12 prompts, the OGM's recording, notes and definition, the mailbox,
    // the telephony configuration.
    EXPECT_EQ(report.created.size(), 17u);
}

TEST_F(InstalledDataTest, NothingThatExistsIsOverwritten) {
    ASSERT_TRUE(store_.CreateFolders());
    const std::string ownGoodbye = store_.SystemPrompts() + "GoodBye.wav";
    ASSERT_TRUE(WriteFile(ownGoodbye, "my own recording"));
    const std::string ownOgm = store_.OGMs() + "Default Answering Message.ini";
    ASSERT_TRUE(WriteFile(ownOgm, "[ivr]\nplaycomplete=hangup\n"));
    const std::string ownMailbox = store_.MailBoxes() + "Default.mbx";
    ASSERT_TRUE(WriteFile(ownMailbox, "[mbx]\nremoteaccess=true\naccesscode=1234\n"));
    const std::string ownLines = store_.DataFolder() + "telephony.ini";
    ASSERT_TRUE(WriteFile(ownLines, "[office]\ntype=sip\n"));

    const InstalledDataReport first = InstallMissingData(store_);
    EXPECT_TRUE(first.failed.empty());
    EXPECT_EQ(first.created.size(), 11u);  // the other eleven prompts
    EXPECT_EQ(ReadFile(ownGoodbye), "my own recording");
    EXPECT_EQ(ReadFile(ownOgm), "[ivr]\nplaycomplete=hangup\n");
    EXPECT_FALSE(FileExists(store_.OGMs() + "Default Answering Message.wav"));
    EXPECT_EQ(ReadFile(ownMailbox), "[mbx]\nremoteaccess=true\naccesscode=1234\n");
    EXPECT_EQ(ReadFile(ownLines), "[office]\ntype=sip\n");

    // A second run finds everything in place and changes nothing.
    std::map<std::string, std::string> before;
    for (const std::string& path : first.created)
        before[path] = ReadFile(path);
    const InstalledDataReport second = InstallMissingData(store_);
    EXPECT_TRUE(second.created.empty());
    EXPECT_TRUE(second.failed.empty());
    for (const auto& [path, content] : before)
        EXPECT_EQ(ReadFile(path), content) << path;
}

// The disk fills (or the program is ended) while the first start writes the
// default OGM and mailbox: no half-written file is left that the next start
// would take for the user's own and keep; the next start makes them whole.
TEST_F(InstalledDataTest, ADefinitionThatCouldNotBeWrittenWholeIsMadeByTheNextStart) {
    const std::string ogm = store_.OGMs() + kDefaultOgmName + ".ini";
    const std::string mailbox = store_.MailBoxes() + "Default.mbx";
    {
        // Room for the first keys of each file, not for all of them.
        test::ScopedFileSizeLimit full(30);
        const InstalledDataReport report = InstallMissingData(store_);
        EXPECT_NE(std::find(report.failed.begin(), report.failed.end(), ogm), report.failed.end());
        EXPECT_NE(std::find(report.failed.begin(), report.failed.end(), mailbox),
                  report.failed.end());
    }
    EXPECT_FALSE(FileExists(ogm));
    EXPECT_FALSE(FileExists(mailbox));

    const InstalledDataReport next = InstallMissingData(store_);
    EXPECT_TRUE(next.failed.empty()) << next.failed.front();
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "playcomplete", ""), "mailbox");
    EXPECT_EQ(ReadProfileString(ogm, "ivr", "press*", ""), "mailboxaccess");
    EXPECT_EQ(ReadProfileString(mailbox, "mbx", "msgno", ""), "0");
    EXPECT_EQ(ReadProfileString(mailbox, "mbx", "remoteaccess", ""), "false");
}

TEST_F(InstalledDataTest, WithTheSipProviderTheLineIsALocalSipLine) {
    RegisterSipProvider();
    ASSERT_TRUE(store_.CreateFolders());
    for (const SystemPromptText& prompt : SystemPromptTexts())
        ASSERT_TRUE(WriteFile(store_.SystemPrompts() + prompt.name + ".wav", "stand-in"));
    ASSERT_TRUE(WriteFile(store_.OGMs() + std::string(kDefaultOgmName) + ".ini", "[ivr]\n"));
    InstallMissingData(store_);
    const std::string config = store_.DataFolder() + "telephony.ini";
    ASSERT_EQ(ReadProfileSectionNames(config).size(), 1u);
    const std::string section = ReadProfileSectionNames(config).front();
    EXPECT_EQ(ReadProfileString(config, section, "type", ""), "sip");
    // The SIP line takes calls from this computer only.
    EXPECT_EQ(ReadProfileString(config, section, "listen", ""), "127.0.0.1:5060");
}

TEST_F(InstalledDataTest, UnwritableFolderIsReportedNotFatal) {
    // The prompts folder is a file here, so nothing can go into it.
    ASSERT_TRUE(store_.CreateFolders());
    const std::string prompts = store_.SystemPrompts();
    ASSERT_EQ(std::system(("rm -rf '" + prompts + "'").c_str()), 0);
    ASSERT_TRUE(WriteFile(prompts.substr(0, prompts.size() - 1), "not a folder"));
    const InstalledDataReport report = InstallMissingData(store_);
    EXPECT_EQ(report.failed.size(), 12u);
    EXPECT_EQ(report.created.size(), 5u);
}

}  // namespace
}  // namespace orvia
