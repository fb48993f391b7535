// SDP offer/answer of a call's media, run on the SIP loop, and the loop
// thread's claim on its classes.
#include "platform/sip/call_media_p.h"

#include <gtest/gtest.h>

#include "platform/sip/libre_p.h"
#include "platform/sip/sip_loop_p.h"

namespace orvia::sip {
namespace {

class NoEvents : public CallMediaEvents {
public:
    void OnMediaDigit(char, DigitSource) override {}
    void OnFaxTone() override {}
    void OnSendInfoDigit(char) override {}
    void OnDigitsSent() override {}
};

std::string Offer(const std::string& media) {
    return "v=0\r\no=peer 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n" + media;
}

struct Outcome {
    int error = 0;
    std::string answer;
    bool events = false;
    bool canSend = false;
    G711 codec = G711::Mu;
};

Outcome Negotiate(DtmfMode mode, const std::string& offer) {
    Outcome outcome;
    auto loop = SipLoop::Acquire();
    EXPECT_TRUE(loop);
    loop->Call([&] {
        NoEvents events;
        CallMedia media(mode, &events);
        struct sa ip;
        sa_set_str(&ip, "127.0.0.1", 0);
        ASSERT_EQ(media.Init(ip, ip), 0);
        struct mbuf* body = mbuf_alloc(offer.size());
        mbuf_write_str(body, offer.c_str());
        body->pos = 0;
        outcome.error = media.DecodeOffer(body);
        mem_deref(body);
        if (outcome.error)
            return;
        struct mbuf* answer = nullptr;
        ASSERT_EQ(media.Encode(&answer, false), 0);
        outcome.answer.assign(reinterpret_cast<const char*>(answer->buf), answer->end);
        mem_deref(answer);
        outcome.events = media.HasTelephoneEvents();
        outcome.canSend = media.CanSend();
        outcome.codec = media.SendCodec();
    });
    return outcome;
}

TEST(CallMedia, AnswersWithThePeersPreferenceAndItsEventPayloadType) {
    const Outcome o = Negotiate(DtmfMode::Auto, Offer("m=audio 4000 RTP/AVP 8 0 96\r\n"
                                                      "a=rtpmap:96 telephone-event/8000\r\n"
                                                      "a=fmtp:96 0-15\r\n"));
    ASSERT_EQ(o.error, 0);
    EXPECT_EQ(o.codec, G711::A);
    EXPECT_TRUE(o.events);
    EXPECT_TRUE(o.canSend);
    EXPECT_NE(o.answer.find("RTP/AVP 8 0 96"), std::string::npos) << o.answer;
    EXPECT_NE(o.answer.find("a=rtpmap:96 telephone-event/8000"), std::string::npos) << o.answer;
    EXPECT_NE(o.answer.find("a=ptime:20"), std::string::npos) << o.answer;
    EXPECT_NE(o.answer.find("c=IN IP4 127.0.0.1"), std::string::npos) << o.answer;
}

TEST(CallMedia, KeysByToneWhenEventsAreNotOfferedOrNotWanted) {
    Outcome o = Negotiate(DtmfMode::Auto, Offer("m=audio 4000 RTP/AVP 0\r\n"));
    ASSERT_EQ(o.error, 0);
    EXPECT_FALSE(o.events);
    EXPECT_EQ(o.codec, G711::Mu);

    o = Negotiate(DtmfMode::Inband, Offer("m=audio 4000 RTP/AVP 0 101\r\n"
                                          "a=rtpmap:101 telephone-event/8000\r\n"));
    ASSERT_EQ(o.error, 0);
    EXPECT_FALSE(o.events);
    EXPECT_EQ(o.answer.find("telephone-event"), std::string::npos) << o.answer;
}

TEST(CallMedia, RefusesOffersWithoutG711AndFollowsHold) {
    EXPECT_NE(Negotiate(DtmfMode::Auto, Offer("m=audio 4000 RTP/AVP 18\r\n")).error, 0);
    EXPECT_NE(Negotiate(DtmfMode::Auto, Offer("m=audio 4000 RTP/AVP 101\r\n"
                                              "a=rtpmap:101 telephone-event/8000\r\n"))
                  .error,
              0);

    Outcome o = Negotiate(DtmfMode::Auto, Offer("m=audio 4000 RTP/AVP 0\r\na=sendonly\r\n"));
    ASSERT_EQ(o.error, 0);
    EXPECT_FALSE(o.canSend);
    EXPECT_NE(o.answer.find("a=recvonly"), std::string::npos) << o.answer;

    o = Negotiate(DtmfMode::Auto,
                  "v=0\r\no=peer 1 1 IN IP4 127.0.0.1\r\ns=-\r\n"
                  "c=IN IP4 0.0.0.0\r\nt=0 0\r\nm=audio 4000 RTP/AVP 0\r\n");
    ASSERT_EQ(o.error, 0);
    EXPECT_FALSE(o.canSend);
}

// The loop's classes belong to its thread: while a loop runs, only its thread
// counts as the loop thread, and a loop class used elsewhere stops a debug
// build at once.
TEST(SipLoopThread, OnlyTheRunningLoopsThreadMayUseItsClasses) {
    EXPECT_TRUE(IsSipLoopThread());  // no loop: unit tests drive the classes directly
    {
        auto loop = SipLoop::Acquire();
        ASSERT_TRUE(loop);
        bool onLoop = false;
        loop->Call([&] { onLoop = IsSipLoopThread(); });
        EXPECT_TRUE(onLoop);
        EXPECT_FALSE(IsSipLoopThread());
#ifndef NDEBUG
        ::testing::FLAGS_gtest_death_test_style = "threadsafe";
        EXPECT_DEATH(
            {
                NoEvents events;
                CallMedia media(DtmfMode::Auto, &events);
            },
            "IsSipLoopThread");
#endif
    }
    EXPECT_TRUE(IsSipLoopThread());
}

}  // namespace
}  // namespace orvia::sip
