#include "platform/wave/wave_out_queue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "wave_test_buffers.h"

namespace orvia {
namespace {

using test::Concat;
using test::MakeBuffer;
using test::Ramp;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr uint32_t kLoopForEver = 2147483647;

// An output queue whose done notifications land in `returned`, in order.
class WaveOutQueueTest : public ::testing::Test {
protected:
    WaveOutQueueTest()
        : queue_(PcmFormat{1, 8000}, WaveDoneNotifier(&dispatcher_, [this](WaveBuffer* b) {
                     returned_.push_back(b);
                 })) {}

    // Pulls in chunks of `chunk` frames until nothing more comes or `limit`
    // frames have been pulled.
    std::vector<int16_t> Pull(size_t chunk, size_t limit = 100000) {
        std::vector<int16_t> all;
        std::vector<int16_t> block(chunk);
        while (all.size() < limit) {
            const size_t got = queue_.Pull(block.data(), std::min(chunk, limit - all.size()));
            if (got == 0)
                break;
            all.insert(all.end(), block.begin(), block.begin() + static_cast<long>(got));
        }
        return all;
    }

    std::vector<WaveBuffer*> Returned() {
        dispatcher_.RunPending();
        return returned_;
    }

    StepDispatcher dispatcher_;
    std::vector<WaveBuffer*> returned_;
    WaveOutQueue queue_;
};

TEST_F(WaveOutQueueTest, PlaysBuffersInOrderAndMarksEachDoneOnceItsLastFrameIsPulled) {
    auto a = MakeBuffer(Ramp(100, 5));
    auto b = MakeBuffer(Ramp(200, 3));
    auto c = MakeBuffer(Ramp(300, 4));
    for (auto* buffer : {a.get(), b.get(), c.get()})
        ASSERT_EQ(queue_.Write(&buffer->header), WaveResult::Ok);
    EXPECT_FALSE(a->header.IsDone());
    EXPECT_TRUE(a->header.flags.load() & WaveBuffer::kInQueue);

    int16_t block[4];
    ASSERT_EQ(queue_.Pull(block, 4), 4u);  // a not finished yet
    EXPECT_FALSE(a->header.IsDone());
    EXPECT_THAT(Returned(), IsEmpty());
    ASSERT_EQ(queue_.Pull(block, 4), 4u);  // the rest of a, three of b
    EXPECT_TRUE(a->header.IsDone());
    EXPECT_TRUE(b->header.IsDone());
    EXPECT_FALSE(b->header.flags.load() & WaveBuffer::kInQueue);
    EXPECT_FALSE(c->header.IsDone());

    EXPECT_EQ(Pull(3), Ramp(300, 4));
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &b->header, &c->header));
    EXPECT_EQ(queue_.Position(), 12u);
}

TEST_F(WaveOutQueueTest, LoopPlaysItsBuffersLoopCountTimesAndReturnsThemAfterTheLastPass) {
    auto before = MakeBuffer(Ramp(10, 2));
    auto begin = MakeBuffer(Ramp(20, 3), WaveBuffer::kBeginLoop, 3);
    auto middle = MakeBuffer(Ramp(30, 2));
    auto end = MakeBuffer(Ramp(40, 1), WaveBuffer::kEndLoop);
    auto after = MakeBuffer(Ramp(50, 2));
    for (auto* buffer : {before.get(), begin.get(), middle.get(), end.get(), after.get()})
        ASSERT_EQ(queue_.Write(&buffer->header), WaveResult::Ok);

    // Two full passes and a bit: the loop's buffers are all still out.
    const std::vector<int16_t> pass = Concat({Ramp(20, 3), Ramp(30, 2), Ramp(40, 1)});
    EXPECT_EQ(Pull(4, 2 + 6 + 6 + 1), Concat({Ramp(10, 2), pass, pass, Ramp(20, 1)}));
    EXPECT_THAT(Returned(), ElementsAre(&before->header));
    EXPECT_FALSE(begin->header.IsDone());
    EXPECT_FALSE(end->header.IsDone());

    EXPECT_EQ(Pull(4), Concat({Ramp(21, 2), Ramp(30, 2), Ramp(40, 1), Ramp(50, 2)}));
    EXPECT_THAT(Returned(), ElementsAre(&before->header, &begin->header, &middle->header,
                                        &end->header, &after->header));
    EXPECT_EQ(queue_.Position(), 2u + 3 * 6 + 2);
}

TEST_F(WaveOutQueueTest, BreakLoopFinishesThePassPlayingThenGoesOn) {
    auto held = MakeBuffer(Ramp(1, 4), WaveBuffer::kBeginLoop | WaveBuffer::kEndLoop, kLoopForEver);
    auto next = MakeBuffer(Ramp(100, 3));
    ASSERT_EQ(queue_.Write(&held->header), WaveResult::Ok);
    ASSERT_EQ(queue_.Write(&next->header), WaveResult::Ok);

    EXPECT_EQ(Pull(3, 4 * 50 + 1).size(), 4u * 50 + 1);  // fifty passes and one frame
    EXPECT_EQ(queue_.LoopPassesPlayed(), 50u);
    EXPECT_THAT(Returned(), IsEmpty());

    queue_.BreakLoop();
    EXPECT_EQ(Pull(3), Concat({Ramp(2, 3), Ramp(100, 3)}));
    EXPECT_THAT(Returned(), ElementsAre(&held->header, &next->header));
    EXPECT_EQ(queue_.LoopPassesPlayed(), 0u);
}

TEST_F(WaveOutQueueTest, BreakLoopOutsideALoopAndLoopCountZeroPlayOnce) {
    queue_.BreakLoop();
    auto once = MakeBuffer(Ramp(1, 2), WaveBuffer::kBeginLoop | WaveBuffer::kEndLoop, 0);
    ASSERT_EQ(queue_.Write(&once->header), WaveResult::Ok);
    EXPECT_EQ(Pull(8), Ramp(1, 2));
    EXPECT_TRUE(once->header.IsDone());
}

TEST_F(WaveOutQueueTest, PauseHoldsPositionAndRestartGoesOn) {
    auto a = MakeBuffer(Ramp(1, 6));
    ASSERT_EQ(queue_.Write(&a->header), WaveResult::Ok);
    EXPECT_EQ(Pull(2, 2), Ramp(1, 2));
    queue_.Pause();
    EXPECT_TRUE(queue_.IsPaused());
    EXPECT_FALSE(queue_.WaitForWork(0));
    EXPECT_THAT(Pull(2), IsEmpty());
    EXPECT_EQ(queue_.Position(), 2u);

    queue_.Restart();
    EXPECT_TRUE(queue_.WaitForWork(0));
    EXPECT_EQ(Pull(2), Ramp(3, 4));
    EXPECT_TRUE(a->header.IsDone());
}

TEST_F(WaveOutQueueTest, ResetReturnsEveryQueuedBufferAtOnceInOrder) {
    auto a = MakeBuffer(Ramp(1, 4));
    auto loop = MakeBuffer(Ramp(10, 4), WaveBuffer::kBeginLoop | WaveBuffer::kEndLoop, 9);
    auto c = MakeBuffer(Ramp(20, 4));
    for (auto* buffer : {a.get(), loop.get(), c.get()})
        ASSERT_EQ(queue_.Write(&buffer->header), WaveResult::Ok);
    Pull(3, 3);
    queue_.Pause();

    queue_.Reset();
    EXPECT_TRUE(a->header.IsDone());
    EXPECT_TRUE(loop->header.IsDone());
    EXPECT_TRUE(c->header.IsDone());
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &loop->header, &c->header));
    EXPECT_EQ(queue_.Position(), 0u);
    EXPECT_FALSE(queue_.IsPaused());

    // The buffers can be queued again at once and play from their start.
    ASSERT_EQ(queue_.Write(&a->header), WaveResult::Ok);
    EXPECT_EQ(Pull(8), Ramp(1, 4));
}

TEST_F(WaveOutQueueTest, RejectsBadBuffersAndIgnoresATrailingPartialFrame) {
    EXPECT_EQ(queue_.Write(nullptr), WaveResult::InvalidParam);
    WaveBuffer noData;
    noData.length = 8;
    EXPECT_EQ(queue_.Write(&noData), WaveResult::InvalidParam);

    auto a = MakeBuffer(Ramp(1, 3));
    ASSERT_EQ(queue_.Write(&a->header), WaveResult::Ok);
    EXPECT_EQ(queue_.Write(&a->header), WaveResult::StillPlaying);

    auto odd = MakeBuffer(Ramp(7, 2));
    odd->header.length = 3;  // one frame and half of another
    auto empty = MakeBuffer({});
    ASSERT_EQ(queue_.Write(&odd->header), WaveResult::Ok);
    ASSERT_EQ(queue_.Write(&empty->header), WaveResult::Ok);
    EXPECT_EQ(Pull(10), Concat({Ramp(1, 3), Ramp(7, 1)}));
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &odd->header, &empty->header));
}

TEST_F(WaveOutQueueTest, StereoFramesStayWhole) {
    auto a = MakeBuffer(Ramp(1, 6));  // outlives the queue it is on
    WaveOutQueue stereo(PcmFormat{2, 8000}, WaveDoneNotifier());
    ASSERT_EQ(stereo.Write(&a->header), WaveResult::Ok);
    int16_t block[4] = {};
    ASSERT_EQ(stereo.Pull(block, 2), 2u);
    EXPECT_THAT(block, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(stereo.Position(), 2u);
}

TEST_F(WaveOutQueueTest, NotificationsStillQueuedWhenClosedAreDropped) {
    auto a = MakeBuffer(Ramp(1, 2));
    auto b = MakeBuffer(Ramp(1, 2));
    ASSERT_EQ(queue_.Write(&a->header), WaveResult::Ok);
    ASSERT_EQ(queue_.Write(&b->header), WaveResult::Ok);
    Pull(2, 2);  // a done: its notification is posted, not yet delivered
    queue_.Close();
    EXPECT_TRUE(b->header.IsDone());  // returned, but without a notification
    EXPECT_THAT(Returned(), IsEmpty());
    EXPECT_EQ(queue_.Write(&a->header), WaveResult::Error);
    EXPECT_FALSE(queue_.WaitForWork(0));
}

TEST_F(WaveOutQueueTest, AfterDisconnectWritesComeBackAtOnce) {
    auto a = MakeBuffer(Ramp(1, 2));
    ASSERT_EQ(queue_.Write(&a->header), WaveResult::Ok);
    queue_.Disconnect();
    EXPECT_TRUE(a->header.IsDone());
    auto b = MakeBuffer(Ramp(1, 2));
    ASSERT_EQ(queue_.Write(&b->header), WaveResult::Ok);
    EXPECT_TRUE(b->header.IsDone());
    EXPECT_THAT(Returned(), ElementsAre(&a->header, &b->header));
}

}  // namespace
}  // namespace orvia
