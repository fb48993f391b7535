#include "audio/codec/format_choice.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "audio/codec/codec_stream.h"
#include "audio/codec/standard_formats.h"
#include "temp_dir.h"

namespace orvia::test {
namespace {

std::string Bytes(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

TEST(FormatChoiceTest, PathChangesTheExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/var/lib/orvia/settings.ini", "/var/lib/orvia/settings.wff"},
        {"settings.ini", "settings.wff"},
        {"/data/my.folder/settings", "/data/my.folder/settings.wff"},
        {"/data/archive.tar.ini", "/data/archive.tar.wff"},
        {"/data/.hidden", "/data/.hidden.wff"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(FormatChoicePath(in), out) << in;
}

TEST(FormatChoiceTest, MissingOrShortFileIsTheDefault) {
    TempDir dir;
    const WaveFormat def;
    EXPECT_EQ(def.formatTag, kWaveFormatPcm);
    EXPECT_EQ(def.channels, 1);
    EXPECT_EQ(def.samplesPerSec, 8000u);
    EXPECT_EQ(def.avgBytesPerSec, 8000u);
    EXPECT_EQ(def.blockAlign, 1);
    EXPECT_EQ(def.bitsPerSample, 8);
    EXPECT_TRUE(def.extra.empty());

    EXPECT_EQ(ReadFormatChoice(dir.Path() + "missing.wff"), def);
    const std::string path = dir.Path() + "settings.wff";
    ASSERT_TRUE(WriteFile(path, ""));
    EXPECT_EQ(ReadFormatChoice(path), def);
    // Part of a format block only.
    ASSERT_TRUE(WriteFile(path, Bytes(Gsm610Format(8000).ToBytes()).substr(0, 10)));
    EXPECT_EQ(ReadFormatChoice(path), def);
    // cbSize larger than the file.
    std::vector<uint8_t> lying = Gsm610Format(8000).ToBytes();
    lying[16] = 0xFF;
    lying[17] = 0xFF;
    lying.resize(1024, 0);
    ASSERT_TRUE(WriteFile(path, Bytes(lying)));
    EXPECT_EQ(ReadFormatChoice(path), def);
    // A format block without cbSize (16 bytes) has no extra bytes.
    ASSERT_TRUE(WriteFile(path, Bytes(WaveFormat::Pcm16(2, 22050).ToBytes()).substr(0, 16)));
    EXPECT_EQ(ReadFormatChoice(path), WaveFormat::Pcm16(2, 22050));
}

TEST(FormatChoiceTest, WriteAndReadBack) {
    TempDir dir;
    const std::string path = dir.Path() + "settings.wff";
    for (const WaveFormat& f :
         {MsAdpcmFormat(2, 22050), Gsm610Format(8000), MuLawFormat(1, 8000)}) {
        ASSERT_TRUE(WriteFormatChoice(path, f));
        const std::string content = ReadFile(path);
        ASSERT_EQ(content.size(), kFormatChoiceFileBytes);
        EXPECT_EQ(content.substr(0, 18 + f.extra.size()), Bytes(f.ToBytes()));
        EXPECT_EQ(ReadFormatChoice(path), f);
    }
    // Only the first 1024 bytes count.
    ASSERT_TRUE(WriteFile(path, ReadFile(path) + std::string(5000, 'x')));
    EXPECT_EQ(ReadFormatChoice(path), MuLawFormat(1, 8000));
}

TEST(FormatChoiceTest, FailedWriteLeavesTheOldFile) {
    TempDir dir;
    EXPECT_FALSE(WriteFormatChoice(dir.Path() + "no/such/folder/settings.wff", Gsm610Format(8000)));

    const std::string path = dir.Path() + "settings.wff";
    ASSERT_TRUE(WriteFormatChoice(path, Gsm610Format(8000)));
    WaveFormat huge = Gsm610Format(8000);
    huge.extra.assign(2000, 1);  // cannot fit in the file
    EXPECT_FALSE(WriteFormatChoice(path, huge));
    EXPECT_EQ(ReadFormatChoice(path), Gsm610Format(8000));
    // No temporary files are left behind.
    EXPECT_FALSE(FileExists(dir.Path() + "no"));
}

TEST(FormatChoiceTest, EveryListedFormatConverts) {
    const std::vector<EncodableFormat> list = ListEncodableFormats();
    std::set<std::string> names;
    std::set<uint16_t> tags;
    std::set<uint32_t> rates;
    for (const EncodableFormat& e : list) {
        EXPECT_TRUE(names.insert(e.name).second) << "duplicate " << e.name;
        tags.insert(e.format.formatTag);
        rates.insert(e.format.samplesPerSec);
        EXPECT_TRUE(CanConvertFromPcm16(e.format)) << e.name;
        EXPECT_NE(WaveCodecStream::Open(
                      e.format, WaveFormat::Pcm16(e.format.channels, e.format.samplesPerSec)),
                  nullptr)
            << e.name;
    }
    EXPECT_EQ(tags, (std::set<uint16_t>{kWaveFormatPcm, kWaveFormatMsAdpcm, kWaveFormatALaw,
                                        kWaveFormatMuLaw, kWaveFormatImaAdpcm, kWaveFormatGsm610}));
    EXPECT_EQ(rates, (std::set<uint32_t>{8000, 11025, 16000, 22050, 44100}));
    EXPECT_TRUE(names.count("GSM 6.10, 8000 Hz, mono"));
    EXPECT_TRUE(names.count("IMA ADPCM, 44100 Hz, stereo"));
    EXPECT_TRUE(names.count("PCM 8 bit, 8000 Hz, mono"));
}

TEST(FormatChoiceTest, UnsupportedChoicesDoNotConvert) {
    WaveFormat mp3 = ALawFormat(1, 8000);
    mp3.formatTag = 0x55;
    EXPECT_FALSE(CanConvertFromPcm16(mp3));
    WaveFormat stereoGsm = Gsm610Format(8000);
    stereoGsm.channels = 2;
    EXPECT_FALSE(CanConvertFromPcm16(stereoGsm));
    WaveFormat noChannels = ALawFormat(1, 8000);
    noChannels.channels = 0;
    EXPECT_FALSE(CanConvertFromPcm16(noChannels));
    EXPECT_TRUE(CanConvertFromPcm16(WaveFormat{}));
}

}  // namespace
}  // namespace orvia::test
