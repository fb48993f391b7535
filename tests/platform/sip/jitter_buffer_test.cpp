#include "platform/sip/jitter_buffer_p.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvia::sip {
namespace {

constexpr size_t kFrame = 160;

// A packet whose samples tell where they belong: sample i of the stream is
// i % 30000 + 1 (never 0, which is silence).
std::vector<int16_t> Packet(uint32_t firstSample) {
    std::vector<int16_t> p(kFrame);
    for (size_t i = 0; i < kFrame; ++i)
        p[i] = static_cast<int16_t>((firstSample + i) % 30000 + 1);
    return p;
}

class JitterBufferTest : public ::testing::Test {
protected:
    // Target 320 samples (two packets), slack 320.
    JitterBuffer buffer_{320, 320, 4096};
    uint32_t base_ = 0xFFFFFF00u;  // timestamps wrap during the tests

    void Put(uint32_t sample) {
        const auto p = Packet(sample);
        buffer_.Put(base_ + sample, p.data(), p.size());
    }
    std::vector<int16_t> Get() {
        std::vector<int16_t> out(kFrame, -1);
        buffer_.Get(out.data(), out.size());
        return out;
    }
};

TEST_F(JitterBufferTest, PlaysInOrderAudioAfterTheTargetDelayAcrossTheTimestampWrap) {
    std::vector<int16_t> played;
    for (uint32_t n = 0; n < 10; ++n) {
        Put(n * kFrame);
        const auto frame = Get();
        played.insert(played.end(), frame.begin(), frame.end());
    }
    // Two frames of silence (the target delay), then the stream unchanged.
    for (size_t i = 0; i < 2 * kFrame; ++i)
        ASSERT_EQ(played[i], 0) << i;
    for (size_t i = 2 * kFrame; i < played.size(); ++i)
        ASSERT_EQ(played[i], static_cast<int16_t>((i - 2 * kFrame) % 30000 + 1)) << i;
}

TEST_F(JitterBufferTest, ReordersWithinTheDelayAndKeepsRealTimeOverLossAndHold) {
    Put(0);
    EXPECT_EQ(Get()[0], 0);
    Put(2 * kFrame);  // arrives before the packet it follows
    Put(kFrame);
    EXPECT_EQ(Get()[0], 0);
    EXPECT_EQ(Get(), Packet(0));
    EXPECT_EQ(Get(), Packet(kFrame));
    EXPECT_EQ(Get(), Packet(2 * kFrame));
    // Packet 3 is lost and then the peer is silent (on hold) for five frames:
    // every read still yields a whole frame, silence in the gaps.
    Put(4 * kFrame);
    EXPECT_EQ(Get(), std::vector<int16_t>(kFrame, 0));
    EXPECT_EQ(Get(), Packet(4 * kFrame));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Get(), std::vector<int16_t>(kFrame, 0));
    // Resuming with timestamps that kept real time lands in place again.
    Put(10 * kFrame);
    Put(11 * kFrame);
    EXPECT_EQ(Get(), Packet(10 * kFrame));
    EXPECT_EQ(Get(), Packet(11 * kFrame));
}

TEST_F(JitterBufferTest, FollowsAPeerWhoseTimelineFellBehindAndDropsOldDuplicates) {
    Put(0);
    Get();
    Get();
    EXPECT_EQ(Get(), Packet(0));
    // Nothing for a while, and the peer's clock stood still (a peer that
    // stops its timestamps during hold): its next packet is late for its place.
    for (int i = 0; i < 10; ++i)
        Get();
    Put(kFrame);
    EXPECT_EQ(Get(), std::vector<int16_t>(kFrame, 0));
    EXPECT_EQ(Get(), std::vector<int16_t>(kFrame, 0));
    EXPECT_EQ(Get(), Packet(kFrame));  // re-anchored: played after the target delay
    // An old duplicate of it changes nothing.
    Put(0);
    Put(2 * kFrame);
    EXPECT_EQ(Get(), Packet(2 * kFrame));
}

TEST_F(JitterBufferTest, BoundsWhatIsQueuedForFastPeersJumpsAndHugePackets) {
    // A burst far beyond the target: the oldest samples are skipped so the
    // delay returns to the target.
    for (uint32_t n = 0; n < 8; ++n)
        Put(n * kFrame);
    EXPECT_LE(buffer_.Queued(), 320u + 320u + kFrame);
    // A jump of a million samples (a new source) re-anchors.
    Put(1000000);
    EXPECT_EQ(buffer_.Queued(), 320u + kFrame);
    Get();
    Get();
    EXPECT_EQ(Get(), Packet(1000000));
    // A packet of a million samples is cut to what the buffer can hold.
    std::vector<int16_t> huge(1000000, 7);
    buffer_.Put(base_ + 1000000 + 3 * kFrame, huge.data(), huge.size());
    EXPECT_LE(buffer_.Queued(), 4096u);
}

TEST(JitterBuffer, SilenceBeforeAnythingArrives) {
    JitterBuffer buffer;
    std::vector<int16_t> out(kFrame, 5);
    buffer.Get(out.data(), out.size());
    EXPECT_EQ(out, std::vector<int16_t>(kFrame, 0));
}

}  // namespace
}  // namespace orvia::sip
