// The SIP line against real SIP peers on loopback: sipp scenarios and the
// baresip user agent.
#include <gtest/gtest.h>

#include "line_harness.h"
#include "sipp_scenarios.h"

namespace orvia::sip::test {
namespace {

TEST_F(SipLineTest, AnswersAfterTheRingsTakesKeysOnceAndEndsWhenTheCallerHangsUp) {
    OpenLine();
    RequestId answer = 0;
    events_.onRing = [&](int count) {
        if (count == 3)
            answer = line_->Answer(events_.FirstCall());
    };
    PeerProcess sipp;
    StartSipp(sipp, "caller", kCallerWithKeys,
              {"-mp", std::to_string(FreePort(true)), "-rtp_echo"});
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();

    const CallHandle call = events_.FirstCall();
    EXPECT_NE(call, 0u);
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    EXPECT_EQ(events_.Rings(), 3);
    ASSERT_GT(answer, 0);
    EXPECT_EQ(events_.ReplyTo(answer), std::optional<bool>(true));
    EXPECT_EQ(events_.Digits(), "15#");
    const CallerInfo caller = line_->GetCallerInfo(call);
    EXPECT_EQ(caller.number, "5551234");
    EXPECT_EQ(caller.name, "Test Caller");
    // Our tone went to sipp and came back through its echo.
    EXPECT_GT(audio_->ShareAt(1000, 8000), 0.5);
    EXPECT_GT(audio_->PulledSamples(), 8000u * 3);
}

}  // namespace
}  // namespace orvia::sip::test
