#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/paced_test_device.h"
#include "platform/wave/wave_input_source.h"
#include "platform/wave/wave_registry.h"
#include "wave_test_buffers.h"

namespace orvia {
namespace {

using test::Concat;
using test::EmptyBuffer;
using test::MakeBuffer;
using test::Ramp;
using ::testing::ElementsAre;

constexpr int kWaitMs = 10000;  // bound for device threads; never reached when correct
constexpr int kDevice = 3;

class TestDevicesTest : public ::testing::Test {
protected:
    bool WaitForDone(const std::vector<std::unique_ptr<test::TestBuffer>>& buffers) {
        return dispatcher_.RunUntil(
            [&] {
                for (const auto& b : buffers) {
                    if (!b->header.IsDone())
                        return false;
                }
                return true;
            },
            kWaitMs);
    }

    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher current_{&dispatcher_};
};

TEST_F(TestDevicesTest, FastDevicePlaysEveryBufferInOrderAndKeepsWhatItPlayed) {
    auto fast = std::make_shared<FastTestDevice>();
    ScopedWaveDevice registered(WaveDirection::Output, kDevice, fast);
    std::vector<WaveBuffer*> done;
    std::unique_ptr<WaveOutDevice> device;
    ASSERT_EQ(OpenWaveOut({kDevice,
                           {2, 8000},
                           false,
                           [&](WaveBuffer* b) {
                               EXPECT_TRUE(dispatcher_.IsDispatchThread());
                               done.push_back(b);
                           }},
                          &device),
              WaveResult::Ok);
    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    for (int i = 0; i < 5; ++i)
        buffers.push_back(MakeBuffer(Ramp(static_cast<int16_t>(1000 * i), 3000)));
    for (auto& b : buffers)
        ASSERT_EQ(device->Write(&b->header), WaveResult::Ok);

    ASSERT_TRUE(dispatcher_.RunUntil([&] { return done.size() == 5; }, kWaitMs));
    for (size_t i = 0; i < buffers.size(); ++i)
        EXPECT_EQ(done[i], &buffers[i]->header);
    std::vector<int16_t> expected;
    for (auto& b : buffers)
        expected.insert(expected.end(), b->storage.begin(), b->storage.end());
    const std::vector<int16_t> played = fast->CapturedOutput();
    ASSERT_EQ(played.size(), expected.size());
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], expected[i]) << i;
    EXPECT_EQ(device->GetPosition(), 5u * 1500);
}

TEST_F(TestDevicesTest, FastDeviceHoldsAnEndlessLoopUntilItIsBroken) {
    auto fast = std::make_shared<FastTestDevice>();
    ScopedWaveDevice registered(WaveDirection::Output, kDevice, fast);
    std::unique_ptr<WaveOutDevice> device;
    ASSERT_EQ(OpenWaveOut({kDevice, {1, 8000}, false, nullptr}, &device), WaveResult::Ok);
    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    buffers.push_back(
        MakeBuffer(Ramp(1, 200), WaveBuffer::kBeginLoop | WaveBuffer::kEndLoop, 2147483647));
    buffers.push_back(MakeBuffer(Ramp(500, 100)));
    for (auto& b : buffers)
        ASSERT_EQ(device->Write(&b->header), WaveResult::Ok);

    // The loop plays over and over; nothing comes back while it does.
    ASSERT_TRUE(dispatcher_.RunUntil([&] { return fast->PlayedSamples() >= 600; }, kWaitMs));
    EXPECT_FALSE(buffers[0]->header.IsDone());
    EXPECT_FALSE(buffers[1]->header.IsDone());

    ASSERT_EQ(device->BreakLoop(), WaveResult::Ok);
    ASSERT_TRUE(WaitForDone(buffers));
    const std::vector<int16_t> played = fast->CapturedOutput();
    ASSERT_EQ(played.size() % 200, 100u);  // whole passes, then the next buffer
    EXPECT_EQ(std::vector<int16_t>(played.end() - 100, played.end()), Ramp(500, 100));
}

TEST_F(TestDevicesTest, FastDevicePauseStopsPlayingAndResetReturnsEverything) {
    auto fast = std::make_shared<FastTestDevice>();
    ScopedWaveDevice registered(WaveDirection::Output, kDevice, fast);
    std::unique_ptr<WaveOutDevice> device;
    ASSERT_EQ(OpenWaveOut({kDevice, {1, 8000}, false, nullptr}, &device), WaveResult::Ok);
    ASSERT_EQ(device->Pause(), WaveResult::Ok);
    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    buffers.push_back(MakeBuffer(Ramp(1, 100)));
    ASSERT_EQ(device->Write(&buffers[0]->header), WaveResult::Ok);
    EXPECT_FALSE(buffers[0]->header.IsDone());
    ASSERT_EQ(device->Reset(), WaveResult::Ok);
    EXPECT_TRUE(buffers[0]->header.IsDone());
    EXPECT_EQ(fast->PlayedSamples(), 0u);

    // Reset leaves the device running: the next buffer plays.
    buffers.push_back(MakeBuffer(Ramp(7, 10)));
    ASSERT_EQ(device->Write(&buffers[1]->header), WaveResult::Ok);
    ASSERT_TRUE(WaitForDone(buffers));
    EXPECT_EQ(fast->CapturedOutput(), Ramp(7, 10));
}

TEST_F(TestDevicesTest, FastDeviceRecordsItsInputThenSilenceThroughTheDispatcher) {
    auto fast = std::make_shared<FastTestDevice>();
    fast->SetInput(SamplesInput(Ramp(1, 2500)));
    ScopedWaveDevice registered(WaveDirection::Input, kDevice, fast);
    std::vector<WaveBuffer*> full;
    std::unique_ptr<WaveInDevice> device;
    ASSERT_EQ(OpenWaveIn({kDevice,
                          {1, 8000},
                          false,
                          [&](WaveBuffer* b) {
                              EXPECT_TRUE(dispatcher_.IsDispatchThread());
                              full.push_back(b);
                          }},
                         &device),
              WaveResult::Ok);
    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    for (int i = 0; i < 3; ++i) {
        buffers.push_back(EmptyBuffer(1000));
        ASSERT_EQ(device->AddBuffer(&buffers.back()->header), WaveResult::Ok);
    }
    ASSERT_EQ(device->Start(), WaveResult::Ok);
    ASSERT_TRUE(dispatcher_.RunUntil([&] { return full.size() == 3; }, kWaitMs));
    EXPECT_THAT(full, ElementsAre(&buffers[0]->header, &buffers[1]->header, &buffers[2]->header));
    const std::vector<int16_t> recorded =
        Concat({buffers[0]->Recorded(), buffers[1]->Recorded(), buffers[2]->Recorded()});
    EXPECT_EQ(recorded, Concat({Ramp(1, 2500), std::vector<int16_t>(500, 0)}));

    // A device opened later starts the input over.
    device.reset();
    ASSERT_EQ(OpenWaveIn({kDevice, {1, 8000}, false, nullptr}, &device), WaveResult::Ok);
    auto again = EmptyBuffer(10);
    ASSERT_EQ(device->AddBuffer(&again->header), WaveResult::Ok);
    ASSERT_EQ(device->Start(), WaveResult::Ok);
    ASSERT_TRUE(dispatcher_.RunUntil([&] { return again->header.IsDone(); }, kWaitMs));
    EXPECT_EQ(again->Recorded(), Ramp(1, 10));
}

TEST_F(TestDevicesTest, PacedDeviceReturnsPlayedBuffersAndRecordsSilence) {
    auto paced = std::make_shared<PacedTestDevice>();
    ScopedWaveDevice out(WaveDirection::Output, kDevice, paced);
    ScopedWaveDevice in(WaveDirection::Input, kDevice, paced);
    std::unique_ptr<WaveOutDevice> output;
    std::unique_ptr<WaveInDevice> input;
    ASSERT_EQ(OpenWaveOut({kDevice, {1, 8000}, false, nullptr}, &output), WaveResult::Ok);
    ASSERT_EQ(OpenWaveIn({kDevice, {1, 8000}, false, nullptr}, &input), WaveResult::Ok);

    std::vector<std::unique_ptr<test::TestBuffer>> buffers;
    buffers.push_back(MakeBuffer(Ramp(1, 80)));  // 10 ms each
    buffers.push_back(MakeBuffer(Ramp(1, 80)));
    buffers.push_back(MakeBuffer(std::vector<int16_t>(80, 1234)));
    ASSERT_EQ(output->Write(&buffers[0]->header), WaveResult::Ok);
    ASSERT_EQ(output->Write(&buffers[1]->header), WaveResult::Ok);
    ASSERT_EQ(input->AddBuffer(&buffers[2]->header), WaveResult::Ok);
    ASSERT_EQ(input->Start(), WaveResult::Ok);

    ASSERT_TRUE(WaitForDone(buffers));
    EXPECT_EQ(buffers[2]->Recorded(), std::vector<int16_t>(80, 0));
    EXPECT_EQ(output->GetPosition(), 160u);
}

TEST(WaveInputSourceTest, SamplesInputGivesWholeFramesOnceAndEachCopyStartsOver) {
    WaveInputSource source = SamplesInput(Ramp(1, 7));
    const PcmFormat stereo{2, 8000};
    int16_t block[4];
    WaveInputSource copy = source;
    EXPECT_EQ(source(block, 2, stereo), 2u);
    EXPECT_THAT(block, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(source(block, 2, stereo), 1u);  // the seventh sample is half a frame
    EXPECT_EQ(source(block, 2, stereo), 0u);
    EXPECT_EQ(copy(block, 1, stereo), 1u);
    EXPECT_EQ(block[0], 1);
}

// A RIFF file from chunks.
std::string Riff(const std::string& chunks) {
    std::string file = "RIFF";
    const uint32_t size = static_cast<uint32_t>(chunks.size() + 4);
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<char>(size >> (8 * i)));
    return file + "WAVE" + chunks;
}

std::string Chunk(const std::string& id, const std::string& body, int declared = -1) {
    std::string chunk = id;
    const uint32_t size = declared < 0 ? static_cast<uint32_t>(body.size()) : declared;
    for (int i = 0; i < 4; ++i)
        chunk.push_back(static_cast<char>(size >> (8 * i)));
    chunk += body;
    if (body.size() % 2)
        chunk.push_back('\0');
    return chunk;
}

std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    std::string b;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back(static_cast<char>(v >> (8 * i)));
    };
    put(tag, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    return Chunk("fmt ", b);
}

TEST(WaveInputSourceTest, ParsesPcm16WaveDataAndRejectsAnythingElse) {
    const std::string samples("\x01\x00\xff\xff\x00\x80\x10\x00", 8);  // 1, -1, -32768, 16
    struct Case {
        const char* what;
        std::string file;
        bool ok;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        {"plain", Riff(Fmt(1, 1, 8000, 16) + Chunk("data", samples)), true, {1, -1, -32768, 16}},
        {"odd chunk before data is skipped with its pad byte",
         Riff(Fmt(1, 1, 8000, 16) + Chunk("LIST", "abc") + Chunk("data", samples)),
         true,
         {1, -1, -32768, 16}},
        {"stereo drops a trailing partial frame",
         Riff(Fmt(1, 2, 8000, 16) + Chunk("data", samples.substr(0, 6))),
         true,
         {1, -1}},
        {"data running past the end is cut",
         Riff(Fmt(1, 1, 8000, 16) + Chunk("data", samples, 1000)),
         true,
         {1, -1, -32768, 16}},
        {"8-bit", Riff(Fmt(1, 1, 8000, 8) + Chunk("data", samples)), false, {}},
        {"compressed", Riff(Fmt(7, 1, 8000, 16) + Chunk("data", samples)), false, {}},
        {"no channels", Riff(Fmt(1, 0, 8000, 16) + Chunk("data", samples)), false, {}},
        {"data before fmt", Riff(Chunk("data", samples) + Fmt(1, 1, 8000, 16)), false, {}},
        {"chunk larger than the file",
         Riff(Fmt(1, 1, 8000, 16) + Chunk("junk", "xy", 0x7fffffff) + Chunk("data", samples)),
         false,
         {}},
        {"no data", Riff(Fmt(1, 1, 8000, 16)), false, {}},
        {"not RIFF", "RIFX" + Riff("").substr(4), false, {}},
        {"empty", "", false, {}},
    };
    for (const auto& c : cases) {
        PcmFormat format;
        std::vector<int16_t> parsed;
        EXPECT_EQ(ParsePcm16Wave(c.file, &format, &parsed), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(parsed, c.expected) << c.what;
        }
    }
    PcmFormat format;
    std::vector<int16_t> parsed;
    ASSERT_TRUE(
        ParsePcm16Wave(Riff(Fmt(1, 2, 22050, 16) + Chunk("data", samples)), &format, &parsed));
    EXPECT_EQ(format, (PcmFormat{2, 22050}));
}

}  // namespace
}  // namespace orvia
