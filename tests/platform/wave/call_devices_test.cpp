#include "platform/wave/call_devices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/wave_registry.h"
#include "wave_test_buffers.h"

namespace orvia {
namespace {

using test::Concat;
using test::EmptyBuffer;
using test::MakeBuffer;
using test::Ramp;
using ::testing::ElementsAre;

constexpr PcmFormat kLineFormat{1, 8000};

class CallDevicesTest : public ::testing::Test {
protected:
    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher current_{&dispatcher_};
};

TEST_F(CallDevicesTest, EachCallGetsItsOwnIdentifierFromTheCallRange) {
    auto first = CallDevicePair::Register(kLineFormat);
    auto second = CallDevicePair::Register(kLineFormat);
    ASSERT_TRUE(first && second);
    EXPECT_GE(first->OutputId(), kFirstCallWaveDevice);
    EXPECT_LE(first->OutputId(), kLastWaveDevice);
    EXPECT_NE(first->OutputId(), second->OutputId());
    EXPECT_EQ(first->InputId(), first->OutputId());
    EXPECT_EQ(WaveOutProductName(first->OutputId()).empty(), false);
    // Calls are not among the machine's devices.
    EXPECT_EQ(WaveOutDeviceCount(), 0);

    const int id = first->OutputId();
    first.reset();
    std::unique_ptr<WaveOutDevice> device;
    EXPECT_EQ(OpenWaveOut({id, kLineFormat, false, nullptr}, &device), WaveResult::BadDevice);
    EXPECT_EQ(CallDevicePair::Register({0, 8000}), nullptr);
}

TEST_F(CallDevicesTest, OpensOnlyInTheCallsFormatAndOnlyOnce) {
    auto call = CallDevicePair::Register(kLineFormat);
    ASSERT_TRUE(call);
    std::unique_ptr<WaveOutDevice> device;
    EXPECT_EQ(OpenWaveOut({call->OutputId(), {2, 8000}, false, nullptr}, &device),
              WaveResult::BadFormat);
    EXPECT_EQ(OpenWaveOut({call->OutputId(), {1, 16000}, true, nullptr}, &device),
              WaveResult::BadFormat);
    ASSERT_EQ(OpenWaveOut({call->OutputId(), kLineFormat, false, nullptr}, &device),
              WaveResult::Ok);
    std::unique_ptr<WaveOutDevice> second;
    EXPECT_EQ(OpenWaveOut({call->OutputId(), kLineFormat, false, nullptr}, &second),
              WaveResult::Allocated);
    device.reset();  // closing frees it for the next play
    EXPECT_EQ(OpenWaveOut({call->OutputId(), kLineFormat, false, nullptr}, &second),
              WaveResult::Ok);
}

TEST_F(CallDevicesTest, ProviderPullsWhatTheLinePlaysThenSilence) {
    auto call = CallDevicePair::Register(kLineFormat);
    ASSERT_TRUE(call);
    std::vector<WaveBuffer*> done;
    std::unique_ptr<WaveOutDevice> device;
    ASSERT_EQ(OpenWaveOut(
                  {call->OutputId(), kLineFormat, false, [&](WaveBuffer* b) { done.push_back(b); }},
                  &device),
              WaveResult::Ok);
    auto a = MakeBuffer(Ramp(1, 5));
    auto b = MakeBuffer(Ramp(50, 5));
    ASSERT_EQ(device->Write(&a->header), WaveResult::Ok);
    ASSERT_EQ(device->Write(&b->header), WaveResult::Ok);

    std::vector<int16_t> frames(8, -1);
    EXPECT_EQ(call->PullOutput(frames.data(), 8), 8u);
    EXPECT_EQ(frames, Concat({Ramp(1, 5), Ramp(50, 3)}));
    EXPECT_EQ(call->PullOutput(frames.data(), 8), 2u);
    EXPECT_EQ(frames, Concat({Ramp(53, 2), std::vector<int16_t>(6, 0)}));
    EXPECT_EQ(device->GetPosition(), 10u);
    dispatcher_.RunPending();
    EXPECT_THAT(done, ElementsAre(&a->header, &b->header));

    // Nothing open: the provider still gets silence.
    device.reset();
    std::fill(frames.begin(), frames.end(), int16_t{7});
    EXPECT_EQ(call->PullOutput(frames.data(), 8), 0u);
    EXPECT_EQ(frames, std::vector<int16_t>(8, 0));
}

TEST_F(CallDevicesTest, ProviderPushesWhatTheCallerSaysIntoTheLinesBuffers) {
    auto call = CallDevicePair::Register(kLineFormat);
    ASSERT_TRUE(call);
    std::vector<WaveBuffer*> full;
    std::unique_ptr<WaveInDevice> device;
    ASSERT_EQ(
        OpenWaveIn({call->InputId(), kLineFormat, false, [&](WaveBuffer* b) { full.push_back(b); }},
                   &device),
        WaveResult::Ok);
    auto a = EmptyBuffer(4);
    auto b = EmptyBuffer(4);
    ASSERT_EQ(device->AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(device->AddBuffer(&b->header), WaveResult::Ok);

    const std::vector<int16_t> early = Ramp(90, 3);
    EXPECT_EQ(call->PushInput(early.data(), 3), 0u);  // the line has not started
    ASSERT_EQ(device->Start(), WaveResult::Ok);
    const std::vector<int16_t> speech = Ramp(1, 6);
    EXPECT_EQ(call->PushInput(speech.data(), 6), 6u);
    dispatcher_.RunPending();
    EXPECT_THAT(full, ElementsAre(&a->header));
    EXPECT_EQ(a->Recorded(), Ramp(1, 4));

    ASSERT_EQ(device->Reset(), WaveResult::Ok);
    dispatcher_.RunPending();
    EXPECT_THAT(full, ElementsAre(&a->header, &b->header));
    EXPECT_EQ(b->Recorded(), Ramp(5, 2));
}

TEST_F(CallDevicesTest, WhenTheCallEndsAnOpenOutputReturnsItsBuffersAtOnce) {
    auto call = CallDevicePair::Register(kLineFormat);
    ASSERT_TRUE(call);
    std::unique_ptr<WaveOutDevice> output;
    std::unique_ptr<WaveInDevice> input;
    ASSERT_EQ(OpenWaveOut({call->OutputId(), kLineFormat, false, nullptr}, &output),
              WaveResult::Ok);
    ASSERT_EQ(OpenWaveIn({call->InputId(), kLineFormat, false, nullptr}, &input), WaveResult::Ok);
    auto queued = MakeBuffer(Ramp(1, 4));
    ASSERT_EQ(output->Write(&queued->header), WaveResult::Ok);

    call.reset();
    EXPECT_TRUE(queued->header.IsDone());
    auto later = MakeBuffer(Ramp(1, 4));
    ASSERT_EQ(output->Write(&later->header), WaveResult::Ok);
    EXPECT_TRUE(later->header.IsDone());
    auto record = EmptyBuffer(4);
    EXPECT_EQ(input->AddBuffer(&record->header), WaveResult::Ok);
    EXPECT_EQ(input->Start(), WaveResult::Ok);
    EXPECT_FALSE(record->header.IsDone());
    input.reset();  // closed before its buffer is freed
    EXPECT_TRUE(record->header.IsDone());
}

}  // namespace
}  // namespace orvia
