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
    bool secure = false;
    G711 codec = G711::Mu;
};

Outcome Negotiate(DtmfMode mode, const std::string& offer,
                  MediaEncryption encryption = MediaEncryption::None) {
    Outcome outcome;
    auto loop = SipLoop::Acquire();
    EXPECT_TRUE(loop);
    loop->Call([&] {
        NoEvents events;
        CallMedia media(mode, encryption, &events);
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
        outcome.secure = media.Secure();
        outcome.codec = media.SendCodec();
    });
    return outcome;
}

// Our own offer, as an outgoing call sends it.
std::string OurOffer(MediaEncryption encryption) {
    std::string text;
    auto loop = SipLoop::Acquire();
    loop->Call([&] {
        NoEvents events;
        CallMedia media(DtmfMode::Auto, encryption, &events);
        struct sa ip;
        sa_set_str(&ip, "127.0.0.1", 0);
        ASSERT_EQ(media.Init(ip, ip), 0);
        struct mbuf* offer = nullptr;
        ASSERT_EQ(media.Encode(&offer, true), 0);
        text.assign(reinterpret_cast<const char*>(offer->buf), offer->end);
        mem_deref(offer);
    });
    return text;
}

constexpr char kKey80[] = "inline:AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwd";
constexpr char kKey32[] = "inline:ZGVmZ2hpamtsbW5vcHFyc3R1dnd4eXp7fH1+f4CB";

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

TEST(CallMedia, SrtpKeysAreTakenAndAnsweredOrTheOfferIsRefused) {
    const std::string savp80 = Offer(std::string("m=audio 4000 RTP/SAVP 0\r\n"
                                                 "a=crypto:1 AES_CM_128_HMAC_SHA1_80 ") +
                                     kKey80 + "\r\n");
    const std::string avp32 = Offer(std::string("m=audio 4000 RTP/AVP 0\r\n"
                                                "a=crypto:7 AEAD_AES_128_GCM inline:xxxx\r\n"
                                                "a=crypto:8 AES_CM_128_HMAC_SHA1_32 ") +
                                    kKey32 + "\r\n");
    const std::string plain = Offer("m=audio 4000 RTP/AVP 0\r\n");
    const std::string savpUnknownSuite =
        Offer("m=audio 4000 RTP/SAVP 0\r\na=crypto:1 AES_256_CM_HMAC_SHA1_80 inline:xxxx\r\n");
    const struct Case {
        const char* what;
        MediaEncryption encryption;
        std::string offer;
        bool accepted;
        bool secure;
        const char* answerHas;  // in the answer ("" for nothing to look for)
    } cases[] = {
        {"SRTP offered to an SRTP line", MediaEncryption::Srtp, savp80, true, true,
         "a=crypto:1 AES_CM_128_HMAC_SHA1_80 inline:"},
        {"keys in plain RTP: the first usable one", MediaEncryption::Srtp, avp32, true, true,
         "a=crypto:8 AES_CM_128_HMAC_SHA1_32 inline:"},
        {"no keys for an SRTP line", MediaEncryption::Srtp, plain, false, false, ""},
        {"no keys, encryption optional", MediaEncryption::SrtpOptional, plain, true, false, ""},
        {"RTP/SAVP without a usable key", MediaEncryption::SrtpOptional, savpUnknownSuite, false,
         false, ""},
        {"keys to a line without encryption", MediaEncryption::None, avp32, true, false, ""},
    };
    for (const Case& c : cases) {
        const Outcome o = Negotiate(DtmfMode::Auto, c.offer, c.encryption);
        EXPECT_EQ(o.error == 0, c.accepted) << c.what;
        if (!c.accepted)
            continue;
        EXPECT_EQ(o.secure, c.secure) << c.what;
        EXPECT_NE(o.answer.find(c.answerHas), std::string::npos) << c.what << "\n" << o.answer;
        // Our answer carries our own key, never the peer's, and one key at most.
        EXPECT_EQ(o.answer.find(kKey80), std::string::npos) << c.what;
        EXPECT_EQ(o.answer.find(kKey32), std::string::npos) << c.what;
        const size_t first = o.answer.find("a=crypto:");
        EXPECT_EQ(first == std::string::npos, !c.secure) << c.what << "\n" << o.answer;
        if (first != std::string::npos) {
            EXPECT_EQ(o.answer.find("a=crypto:", first + 1), std::string::npos) << o.answer;
        }
    }
}

TEST(CallMedia, OurOffersCarryAKeyForEachSuite) {
    const std::string required = OurOffer(MediaEncryption::Srtp);
    EXPECT_NE(required.find("RTP/SAVP 0 8 101"), std::string::npos) << required;
    EXPECT_NE(required.find("a=crypto:1 AES_CM_128_HMAC_SHA1_80 inline:"), std::string::npos);
    EXPECT_NE(required.find("a=crypto:2 AES_CM_128_HMAC_SHA1_32 inline:"), std::string::npos);
    const std::string optional = OurOffer(MediaEncryption::SrtpOptional);
    EXPECT_NE(optional.find("RTP/AVP 0 8 101"), std::string::npos) << optional;
    EXPECT_NE(optional.find("a=crypto:1 "), std::string::npos) << optional;
    const std::string none = OurOffer(MediaEncryption::None);
    EXPECT_EQ(none.find("a=crypto"), std::string::npos) << none;
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
                CallMedia media(DtmfMode::Auto, MediaEncryption::None, &events);
            },
            "IsSipLoopThread");
#endif
    }
    EXPECT_TRUE(IsSipLoopThread());
}

}  // namespace
}  // namespace orvia::sip
