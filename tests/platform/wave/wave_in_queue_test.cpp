#include "platform/wave/wave_in_queue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "wave_test_buffers.h"

namespace orvia {
namespace {

using test::Concat;
using test::EmptyBuffer;
using test::Ramp;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class WaveInQueueTest : public ::testing::Test {
protected:
    WaveInQueueTest()
        : queue_(PcmFormat{1, 8000}, WaveDoneNotifier(&dispatcher_, [this](WaveBuffer* b) {
                     returned_.push_back(b);
                 })) {}

    size_t Push(const std::vector<int16_t>& samples) {
        return queue_.Push(samples.data(), samples.size());
    }

    std::vector<WaveBuffer*> Returned() {
        dispatcher_.RunPending();
        return returned_;
    }

    StepDispatcher dispatcher_;
    std::vector<WaveBuffer*> returned_;
    WaveInQueue queue_;
};

TEST_F(WaveInQueueTest, FillsBuffersInOrderAndReturnsEachWhenFull) {
    auto a = EmptyBuffer(4);
    auto b = EmptyBuffer(4);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.AddBuffer(&b->header), WaveResult::Ok);

    EXPECT_EQ(Push(Ramp(1, 3)), 0u);  // not started: lost
    queue_.Start();
    EXPECT_EQ(queue_.FreeFrames(), 8u);
    EXPECT_EQ(Push(Ramp(10, 3)), 3u);
    EXPECT_FALSE(a->header.IsDone());
    EXPECT_EQ(Push(Ramp(13, 3)), 3u);
    EXPECT_TRUE(a->header.IsDone());
    EXPECT_EQ(a->Recorded(), Ramp(10, 4));
    EXPECT_EQ(a->header.bytesRecorded.load(), 8u);
    EXPECT_THAT(Returned(), ElementsAre(&a->header));

    // Only as much as the buffers hold is stored; the rest is lost.
    EXPECT_EQ(Push(Ramp(16, 5)), 2u);
    EXPECT_EQ(b->Recorded(), Ramp(14, 4));
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &b->header));
    EXPECT_EQ(queue_.Position(), 8u);
    EXPECT_FALSE(queue_.WaitForWork(0));  // no buffer left
}

// A clock that fills many buffers at once posts their return together: one
// task for the main thread, the buffers in the order they were filled, and a
// queue closed before the task runs still drops its own.
TEST_F(WaveInQueueTest, BuffersFilledInOneBatchAreReturnedInOnePost) {
    StepDispatcher other;
    std::vector<WaveBuffer*> otherReturned;
    WaveInQueue second(PcmFormat{1, 8000}, WaveDoneNotifier(&other, [&](WaveBuffer* b) {
                           otherReturned.push_back(b);
                       }));
    auto a = EmptyBuffer(2);
    auto b = EmptyBuffer(2);
    auto c = EmptyBuffer(2);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.AddBuffer(&b->header), WaveResult::Ok);
    ASSERT_EQ(second.AddBuffer(&c->header), WaveResult::Ok);
    queue_.Start();
    second.Start();
    {
        const WaveDoneBatch batch;
        {
            const WaveDoneBatch inner;  // nested: the outermost one posts
            EXPECT_EQ(Push(Ramp(1, 2)), 2u);
        }
        EXPECT_EQ(dispatcher_.PendingCount(), 0u);
        EXPECT_EQ(Push(Ramp(3, 2)), 2u);
        EXPECT_EQ(second.Push(Ramp(5, 2).data(), 2), 2u);
        EXPECT_EQ(dispatcher_.PendingCount(), 0u);  // held until the batch ends
    }
    EXPECT_EQ(dispatcher_.PendingCount(), 1u);
    EXPECT_EQ(other.PendingCount(), 1u);
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &b->header));
    second.Close();
    other.RunPending();
    EXPECT_THAT(otherReturned, IsEmpty());
}

TEST_F(WaveInQueueTest, StopReturnsThePartlyFilledBufferAndKeepsTheEmptyOnes) {
    auto a = EmptyBuffer(4);
    auto b = EmptyBuffer(4);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.AddBuffer(&b->header), WaveResult::Ok);
    queue_.Start();
    Push(Ramp(1, 2));
    queue_.Stop();
    EXPECT_THAT(Returned(), ElementsAre(&a->header));
    EXPECT_EQ(a->Recorded(), Ramp(1, 2));
    EXPECT_FALSE(b->header.IsDone());

    // Started again, recording goes on into the buffer that waited.
    queue_.Start();
    Push(Ramp(5, 4));
    EXPECT_EQ(b->Recorded(), Ramp(5, 4));
}

TEST_F(WaveInQueueTest, ResetReturnsEveryBufferAtOnceAndStops) {
    auto a = EmptyBuffer(4);
    auto b = EmptyBuffer(4);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.AddBuffer(&b->header), WaveResult::Ok);
    queue_.Start();
    Push(Ramp(1, 1));
    queue_.Reset();
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &b->header));
    EXPECT_EQ(a->header.bytesRecorded.load(), 2u);
    EXPECT_EQ(b->header.bytesRecorded.load(), 0u);
    EXPECT_FALSE(queue_.IsStarted());
    EXPECT_EQ(queue_.Position(), 0u);
}

TEST_F(WaveInQueueTest, RejectsBuffersThatCannotTakeAFrameOrAreQueued) {
    EXPECT_EQ(queue_.AddBuffer(nullptr), WaveResult::InvalidParam);
    auto tiny = EmptyBuffer(1);
    tiny->header.length = 1;
    EXPECT_EQ(queue_.AddBuffer(&tiny->header), WaveResult::InvalidParam);
    auto a = EmptyBuffer(2);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    EXPECT_EQ(queue_.AddBuffer(&a->header), WaveResult::StillPlaying);
    queue_.Reset();  // returned before it is freed
}

TEST_F(WaveInQueueTest, StereoBuffersFillWithWholeFrames) {
    auto a = EmptyBuffer(5);  // room for two frames and a half
    WaveInQueue stereo(PcmFormat{2, 8000}, WaveDoneNotifier());
    ASSERT_EQ(stereo.AddBuffer(&a->header), WaveResult::Ok);
    stereo.Start();
    const std::vector<int16_t> frames = Ramp(1, 6);
    EXPECT_EQ(stereo.Push(frames.data(), 3), 2u);
    EXPECT_TRUE(a->header.IsDone());
    EXPECT_EQ(a->Recorded(), Ramp(1, 4));
}

TEST_F(WaveInQueueTest, CloseDropsPendingNotificationsAndReturnsBuffers) {
    auto a = EmptyBuffer(2);
    auto b = EmptyBuffer(2);
    ASSERT_EQ(queue_.AddBuffer(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.AddBuffer(&b->header), WaveResult::Ok);
    queue_.Start();
    Push(Ramp(1, 2));  // a is posted back
    queue_.Close();
    EXPECT_TRUE(b->header.IsDone());
    EXPECT_THAT(Returned(), IsEmpty());
    EXPECT_EQ(Push(Ramp(1, 2)), 0u);
}

}  // namespace
}  // namespace orvia
