#include "audio/codec/wave_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvia {
namespace {

TEST(WaveFormatTest, BytesAreTheLittleEndianFormatBlock) {
    const std::vector<uint8_t> expected = {0x01, 0x00,              // PCM
                                           0x02, 0x00,              // 2 channels
                                           0x44, 0xAC, 0x00, 0x00,  // 44100 Hz
                                           0x10, 0xB1, 0x02, 0x00,  // 176400 bytes per second
                                           0x04, 0x00,              // block align 4
                                           0x10, 0x00,              // 16 bits
                                           0x00, 0x00};             // no extra bytes
    EXPECT_EQ(WaveFormat::Pcm16(2, 44100).ToBytes(), expected);
}

TEST(WaveFormatTest, ExtraBytesRoundTrip) {
    WaveFormat f;
    f.formatTag = kWaveFormatGsm610;
    f.blockAlign = 65;
    f.avgBytesPerSec = 1625;
    f.bitsPerSample = 0;
    f.extra = {0x40, 0x01};
    const std::vector<uint8_t> bytes = f.ToBytes();
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes[16], 2);  // cbSize
    EXPECT_EQ(bytes[17], 0);
    auto back = WaveFormat::FromBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    // Bytes after the extra bytes (a padded chunk) are ignored.
    std::vector<uint8_t> padded = bytes;
    padded.resize(40, 0xEE);
    back = WaveFormat::FromBytes(padded.data(), padded.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
}

TEST(WaveFormatTest, ShortAndTruncatedChunks) {
    const std::vector<uint8_t> full = WaveFormat::Pcm16(1, 8000).ToBytes();

    // 14 bytes: the old format block without bits per sample.
    auto f = WaveFormat::FromBytes(full.data(), 14);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->samplesPerSec, 8000u);
    EXPECT_EQ(f->blockAlign, 2);
    EXPECT_EQ(f->bitsPerSample, 0);
    // 16 bytes: no cbSize, so no extra bytes.
    f = WaveFormat::FromBytes(full.data(), 16);
    ASSERT_TRUE(f);
    EXPECT_EQ(*f, WaveFormat::Pcm16(1, 8000));

    EXPECT_FALSE(WaveFormat::FromBytes(full.data(), 13));
    EXPECT_FALSE(WaveFormat::FromBytes(nullptr, 0));

    // cbSize claims more bytes than the chunk holds.
    std::vector<uint8_t> lying = full;
    lying[16] = 3;
    lying.push_back(1);
    lying.push_back(2);
    EXPECT_FALSE(WaveFormat::FromBytes(lying.data(), lying.size()));
    lying.push_back(3);
    EXPECT_TRUE(WaveFormat::FromBytes(lying.data(), lying.size()));
}

}  // namespace
}  // namespace orvia
