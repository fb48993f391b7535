// The SIP line with baresip as an independent caller and as the called
// party.
#include <gtest/gtest.h>

#include "baresip_peer.h"
#include "line_harness.h"
#include "sipp_scenarios.h"

namespace orvia::sip::test {
namespace {

class BaresipLineTest : public SipLineTest {
protected:
    std::string Target() const { return "sip:orvia@127.0.0.1:" + std::to_string(port_); }
    void StartBaresip(const std::vector<int16_t>& microphone, const BaresipOptions& options = {}) {
        ASSERT_TRUE(WriteWav(dir_.Path() + "microphone.wav", microphone));
        ASSERT_TRUE(baresip_.Start(dir_.Path(), dir_.Path() + "microphone.wav", options))
            << baresip_.Log();
    }
    BaresipPeer baresip_;
};

TEST_F(BaresipLineTest, CallerLeavesAMessageThatIsRecordedWithItsAudio) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    std::vector<int16_t> voice;
    AppendSine(&voice, 440, 8000);
    ASSERT_NO_FATAL_FAILURE(StartBaresip(voice));
    events_.onRing = [&](int count) {
        if (count == 2)
            line_->Answer(events_.FirstCall());
    };
    ASSERT_TRUE(baresip_.Command("dial", Target())) << baresip_.Log();
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << baresip_.Log();
    ASSERT_TRUE(baresip_.WaitEvent("CALL_ESTABLISHED", 5000)) << baresip_.Log();
    // Two seconds of "message".
    RunUntil([&] { return audio_->Received().size() >= 8000 * 2; });
    ASSERT_TRUE(baresip_.Command("hangup"));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    EXPECT_EQ(line_->GetCallerInfo(events_.FirstCall()).number, "bob");
    // After the jitter buffer's start, what the line got is baresip's tone.
    EXPECT_GT(audio_->ShareAt(440, 4000), 0.8);
}

TEST_F(BaresipLineTest, AnSrtpCallCarriesTheCallersAudioAndAPlainOfferIsRefused) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"mediaenc", "srtp"}}));
    std::vector<int16_t> voice;
    AppendSine(&voice, 440, 8000);
    BaresipOptions options;
    options.mediaEncryption = "srtp-mand";
    ASSERT_NO_FATAL_FAILURE(StartBaresip(voice, options));
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    ASSERT_TRUE(baresip_.Command("dial", Target())) << baresip_.Log();
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << baresip_.Log();
    // baresip found our answer's key and protects its media with it.
    ASSERT_TRUE(baresip_.WaitEvent("CALL_MENC", 5000)) << baresip_.Log();
    RunUntil([&] { return audio_->Received().size() >= 8000 * 2; });
    ASSERT_TRUE(baresip_.Command("hangup"));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
    // Only packets that decrypted reach the line: the tone is baresip's. Ours
    // decrypted at baresip's end too (it complains of every one that does not).
    EXPECT_GT(audio_->ShareAt(440, 4000), 0.8);
    EXPECT_GT(audio_->PulledSamples(), 8000u);
    EXPECT_EQ(baresip_.Log().find("failed to decrypt"), std::string::npos) << baresip_.Log();

    // An offer without keys (sipp's plain RTP/AVP) hears 488.
    PeerProcess plain;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        plain, "plain", Scenario(Invite() + ExpectOptional("100") + Expect("488") + Ack(1, 3))));
    EXPECT_EQ(FinishPeer(plain), 0) << plain.Log();
}

TEST_F(BaresipLineTest, InbandKeysAndAFaxCallingToneInTheCallersAudio) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"dtmf", "inband"}}));
    std::vector<int16_t> audio;
    AppendSilence(&audio, 600);
    for (char key : std::string("47#")) {
        AppendDtmf(&audio, key, 120);
        AppendSilence(&audio, 150);
    }
    AppendSilence(&audio, 400);
    AppendSine(&audio, 1100, 550);  // CNG
    AppendSilence(&audio, 3000);
    ASSERT_NO_FATAL_FAILURE(StartBaresip(audio));
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    ASSERT_TRUE(baresip_.Command("dial", Target())) << baresip_.Log();
    ASSERT_TRUE(RunUntil([&] { return events_.HasMedia(); })) << baresip_.Log();
    EXPECT_EQ(events_.Digits(), "47#");
    EXPECT_EQ(line_->Handoff(events_.FirstCall(), DetectedMedia::Fax),
              HandoffResult::TargetNotFound);
    ASSERT_TRUE(baresip_.Command("hangup"));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
}

TEST_F(BaresipLineTest, ForwardingCallReachesTheOwnerWhoPressesOne) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    std::vector<int16_t> voice;
    AppendSine(&voice, 440, 8000);
    ASSERT_NO_FATAL_FAILURE(StartBaresip(voice));
    const RequestId request = line_->MakeCall(baresip_.Address());
    ASSERT_GT(request, 0);
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << baresip_.Log();
    EXPECT_EQ(events_.ReplyTo(request), std::optional<bool>(true));
    const CallHandle call = events_.FirstCall();
    EXPECT_EQ(events_.States(), "Connected");  // an outgoing call starts connected
    ASSERT_TRUE(baresip_.WaitEvent("CALL_ESTABLISHED", 5000)) << baresip_.Log();

    ASSERT_TRUE(baresip_.Command("sndcode", "1"));
    ASSERT_TRUE(RunUntil([&] { return events_.Digits() == "1"; })) << baresip_.Log();

    // Our keys reach the owner as RFC 4733 events, and the completion follows.
    ASSERT_TRUE(line_->GenerateDigits(call, "2,#"));
    ASSERT_TRUE(RunUntil([&] { return events_.DigitsDoneCount() == 1; }));
    std::string keys;
    while (auto key = baresip_.WaitEvent("CALL_DTMF_START", keys.size() < 2 ? 3000 : 300))
        keys += *key;
    EXPECT_EQ(keys, "2#");

    const RequestId drop = line_->Drop(call);
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
    EXPECT_EQ(events_.ReplyTo(drop), std::optional<bool>(true));
    EXPECT_TRUE(baresip_.WaitEvent("CALL_CLOSED", 5000)) << baresip_.Log();
    EXPECT_EQ(events_.Digits(), "1");  // our own keys are not heard back
}

TEST_F(BaresipLineTest, KeysGoAsSipInfoWhenTheLineIsSetSo) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"dtmf", "info"}}));
    std::vector<int16_t> voice;
    AppendSine(&voice, 440, 8000);
    ASSERT_NO_FATAL_FAILURE(StartBaresip(voice));
    line_->MakeCall(baresip_.Address());
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << baresip_.Log();
    ASSERT_TRUE(baresip_.WaitEvent("CALL_ESTABLISHED", 5000)) << baresip_.Log();
    ASSERT_TRUE(line_->GenerateDigits(events_.FirstCall(), "7*"));
    ASSERT_TRUE(RunUntil([&] { return events_.DigitsDoneCount() == 1; }));
    std::string keys;
    while (auto key = baresip_.WaitEvent("CALL_DTMF_START", keys.size() < 2 ? 3000 : 300))
        keys += *key;
    EXPECT_EQ(keys, "7*");
    line_->Drop(events_.FirstCall());
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
}

TEST_F(BaresipLineTest, BlindTransferFollowedByThePeer) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    std::vector<int16_t> voice;
    AppendSine(&voice, 440, 8000);
    ASSERT_NO_FATAL_FAILURE(StartBaresip(voice));
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    ASSERT_TRUE(baresip_.Command("dial", Target())) << baresip_.Log();
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << baresip_.Log();

    // The transfer target: a sipp that answers and waits for the hang-up.
    const int targetPort = FreePort();
    PeerProcess target;
    ASSERT_TRUE(orvia::test::WriteFile(dir_.Path() + "target.xml", CalledScenario("200")));
    ASSERT_TRUE(
        target.Start({"sipp", "-sf", dir_.Path() + "target.xml", "-m", "1", "-i", "127.0.0.1", "-p",
                      std::to_string(targetPort), "-mp", std::to_string(FreePort(true)), "-timeout",
                      "20s", "-timeout_error", "-nostdin"},
                     dir_.Path(), "target.log"));
    const RequestId transfer = line_->BlindTransfer(
        events_.FirstCall(), "sip:desk@127.0.0.1:" + std::to_string(targetPort));
    ASSERT_GT(transfer, 0);
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }))
        << baresip_.Log() << target.Log();
    EXPECT_EQ(events_.ReplyTo(transfer), std::optional<bool>(true));
    // baresip is now talking to the target; end that call too.
    ASSERT_TRUE(baresip_.WaitEvent("CALL_ESTABLISHED", 5000)) << baresip_.Log();
    ASSERT_TRUE(baresip_.Command("hangup"));
    EXPECT_EQ(FinishPeer(target), 0) << target.Log();
}

}  // namespace
}  // namespace orvia::sip::test
