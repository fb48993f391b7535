#include <gtest/gtest.h>

#include "audio/mp3/mp3_frame_header.h"

namespace orvia {
namespace {

struct HeaderCase {
    uint8_t bytes[4];
    int version;
    int32_t rate;
    int32_t bitrate;
    int32_t frameBytes;
    int32_t samplesPerFrame;
    bool mono;
    bool crc;
};

TEST(Mp3FrameHeaderTest, ParsesLayerThreeHeadersOfEachVersion) {
    const HeaderCase cases[] = {
        // MPEG-1, 128 kbit/s, 44100 Hz, no padding / padding, joint stereo.
        {{0xFF, 0xFB, 0x90, 0x44}, 0, 44100, 128000, 417, 1152, false, false},
        {{0xFF, 0xFB, 0x92, 0x44}, 0, 44100, 128000, 418, 1152, false, false},
        // MPEG-1 with CRC, 320 kbit/s at 32000 Hz: the largest frame.
        {{0xFF, 0xFA, 0xEA, 0xC0}, 0, 32000, 320000, 1441, 1152, true, true},
        // MPEG-2, 32 kbit/s, 16000 Hz, single channel.
        {{0xFF, 0xF3, 0x48, 0xC4}, 1, 16000, 32000, 144, 576, true, false},
        // MPEG-2.5, 16 kbit/s, 8000 Hz, single channel.
        {{0xFF, 0xE3, 0x28, 0xC4}, 2, 8000, 16000, 144, 576, true, false},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.bytes[1]) << " " << int(c.bytes[2]));
        auto h = ParseMp3Header(c.bytes);
        ASSERT_TRUE(h.has_value());
        EXPECT_EQ(h->version, c.version);
        EXPECT_EQ(h->SampleRate(), c.rate);
        EXPECT_EQ(h->bitrate, c.bitrate);
        EXPECT_EQ(h->FrameBytes(), c.frameBytes);
        EXPECT_EQ(h->SamplesPerFrame(), c.samplesPerFrame);
        EXPECT_EQ(h->mono, c.mono);
        EXPECT_EQ(h->hasCrc, c.crc);
    }
}

TEST(Mp3FrameHeaderTest, RefusesWhatIsNotAUsableLayerThreeHeader) {
    const uint8_t cases[][4] = {
        {0xFE, 0xFB, 0x90, 0x44},  // no sync
        {0xFF, 0xDB, 0x90, 0x44},  // second byte below 0xE0
        {0xFF, 0xFD, 0x90, 0x44},  // Layer II
        {0xFF, 0xFF, 0x90, 0x44},  // Layer I
        {0xFF, 0xF9, 0x90, 0x44},  // reserved layer
        {0xFF, 0xFB, 0x00, 0x44},  // free format
        {0xFF, 0xFB, 0xF0, 0x44},  // bitrate index 15
        {0xFF, 0xEB, 0x90, 0x44},  // reserved version
        {0xFF, 0xFB, 0x9C, 0x44},  // reserved sampling frequency
    };
    for (const auto& bytes : cases)
        EXPECT_FALSE(ParseMp3Header(bytes).has_value()) << std::hex << int(bytes[1]);
}

}  // namespace
}  // namespace orvia
