// The SIP line against sipp scenarios on loopback.
#include <gtest/gtest.h>

#include <chrono>

#include "line_harness.h"
#include "sipp_scenarios.h"

namespace orvia::sip::test {
namespace {

std::vector<std::string> MediaArgs(bool echo) {
    std::vector<std::string> args = {"-mp", std::to_string(FreePort(true))};
    if (echo)
        args.push_back("-rtp_echo");
    return args;
}

TEST_F(SipLineTest, AnswersAfterTheRingsTakesKeysOnceAndEndsWhenTheCallerHangsUp) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    RequestId answer = 0;
    events_.onRing = [&](int count) {
        if (count == 3)
            answer = line_->Answer(events_.FirstCall());
    };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "caller",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") + Ack() +
                 PlayPcap("dtmf_2833_1.pcap") + Pause(1000) + PlayPcap("dtmf_2833_5.pcap") +
                 Pause(1000) + PlayPcap("dtmf_2833_pound.pcap") + Pause(1500) + Bye(2)),
        MediaArgs(true)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();

    const CallHandle call = events_.FirstCall();
    EXPECT_NE(call, 0u);
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    EXPECT_EQ(events_.Rings(), 3);  // 180 at once, 200 only after the third ring
    ASSERT_GT(answer, 0);
    EXPECT_EQ(events_.ReplyTo(answer), std::optional<bool>(true));
    EXPECT_EQ(events_.Digits(), "15#");
    const CallerInfo caller = line_->GetCallerInfo(call);
    EXPECT_EQ(caller.number, "5551234");
    EXPECT_EQ(caller.name, "Test Caller");
    EXPECT_FALSE(caller.blocked);
    // Our tone reached sipp and came back through its echo.
    EXPECT_GT(audio_->ShareAt(1000, 8000), 0.5);
    EXPECT_GT(audio_->PulledSamples(), 8000u * 3);
    line_->Deallocate(call);
    EXPECT_EQ(line_->GetCallerInfo(call).number, "");
}

TEST_F(SipLineTest, CallerCancelsWhileItRings) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    PeerProcess sipp;
    // INVITE 0, 100 1, 180 2, pause 3, CANCEL 4, 200 5, 487 6, ACK 7.
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(sipp, "cancel",
                  Scenario(Invite("<sip:anonymous@anonymous.invalid>") + ExpectOptional("100") +
                           Expect("180") + Pause(400) + Cancel(4) + Expect("200") + Expect("487") +
                           Ack(1, 7))));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.States(), "Offering Disconnected Idle");
    EXPECT_GE(events_.Rings(), 2);
    EXPECT_TRUE(line_->GetCallerInfo(events_.FirstCall()).blocked);
    EXPECT_EQ(audio_->Created(), 0);
}

TEST_F(SipLineTest, OurHangUpSendsByeAndASecondCallerMeetsBusy) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int count) {
        if (count == 1)
            line_->Answer(events_.FirstCall());
    };
    PeerProcess first;
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(first, "first",
                  Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") +
                           Ack() + ExpectRequestAndReply("BYE")),
                  MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << first.Log();

    PeerProcess second;  // INVITE 0, 100 1, 486 2, ACK 3
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        second, "second", Scenario(Invite() + ExpectOptional("100") + Expect("486") + Ack(1, 3))));
    EXPECT_EQ(FinishPeer(second), 0) << second.Log();

    const RequestId drop = line_->Drop(events_.FirstCall());
    ASSERT_GT(drop, 0);
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); }));
    EXPECT_EQ(FinishPeer(first), 0) << first.Log();
    EXPECT_EQ(events_.ReplyTo(drop), std::optional<bool>(true));
    EXPECT_EQ(events_.States(), "Offering Connected Idle");  // the second call never offered
    // Once idle, a request for the call is refused or fails.
    EXPECT_FALSE(line_->GenerateDigits(events_.FirstCall(), "1"));
}

TEST_F(SipLineTest, RefusesCallersOutsideTheAcceptList) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"acceptfrom", "10.0.0.0/8, ::1"}}));
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "refused", Scenario(Invite() + ExpectOptional("100") + Expect("403") + Ack(1, 3))));
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    dispatcher_.RunPending();
    EXPECT_TRUE(events_.events.empty());
}

TEST_F(SipLineTest, InfoAndEventKeysOfOnePressGiveOneDigit) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "keys",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") + Ack() +
                 Info(2, "1") + PlayPcap("dtmf_2833_1.pcap") + Pause(1000) + Info(3, "5") +
                 Pause(1000) + PlayPcap("dtmf_2833_pound.pcap") + Pause(1500) + Bye(4)),
        MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.Digits(), "15#");
}

TEST_F(SipLineTest, HoldAndResumeKeepTheCallAndTheRecordingKeepsRealTime) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    std::chrono::steady_clock::time_point connected, disconnected;
    events_.onState = [&](CallHandle, CallState state) {
        if (state == CallState::Connected)
            connected = std::chrono::steady_clock::now();
        if (state == CallState::Disconnected)
            disconnected = std::chrono::steady_clock::now();
    };
    const std::string sendonly =
        "      m=audio [media_port] RTP/AVP 0\n      a=rtpmap:0 PCMU/8000\n      a=sendonly\n";
    const std::string sendrecv =
        "      m=audio [media_port] RTP/AVP 0\n      a=rtpmap:0 PCMU/8000\n      a=sendrecv\n";
    auto expectDirection = [](const char* dir) {
        return std::string("      <ereg regexp=\"a=") + dir +
               "\" search_in=\"body\" check_it=\"true\" assign_to=\"d\"/>\n";
    };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "hold",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") + Ack() +
                 Pause(500) + Reinvite(2, sendonly) + Expect("200", expectDirection("recvonly")) +
                 Ack(2) + Pause(1500) + Reinvite(3, sendrecv) +
                 Expect("200", expectDirection("sendrecv")) + Ack(3) + Pause(500) + Bye(4)),
        MediaArgs(true)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    // Silence filled the hold: what reached the line spans the whole call.
    const double seconds = std::chrono::duration<double>(disconnected - connected).count();
    const double recorded = static_cast<double>(audio_->Received().size()) / 8000;
    EXPECT_NEAR(recorded, seconds, 0.3);
    EXPECT_GT(seconds, 2.0);
}

TEST_F(SipLineTest, T38ReinviteIsRefusedAndReportedAsFax) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    const std::string t38 =
        "      m=image [media_port] udptl t38\n      a=T38FaxVersion:0\n      "
        "a=T38MaxBitRate:14400\n";
    PeerProcess sipp;
    // ... re-INVITE k, 488 k+1, ACK k+2 (same branch as the re-INVITE).
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "t38",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") + Ack() +
                 Pause(300) + Reinvite(2, t38) + Expect("488") + Ack(2, 2) + Pause(500) + Bye(3)),
        MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_TRUE(events_.HasMedia());
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    EXPECT_EQ(line_->Handoff(events_.FirstCall(), DetectedMedia::Fax),
              HandoffResult::TargetNotFound);
}

TEST_F(SipLineTest, TakesCallsOverTcp) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"transport", "tcp"}}));
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    PeerProcess sipp;
    auto args = MediaArgs(false);
    args.insert(args.end(), {"-t", "t1"});
    ASSERT_NO_FATAL_FAILURE(StartSipp(sipp, "tcp",
                                      Scenario(Invite() + ExpectOptional("100") + Expect("180") +
                                               Expect("200") + Ack() + Pause(500) + Bye(2)),
                                      args));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
}

TEST_F(SipLineTest, RegistersWithDigestAuthenticationAndRefreshes) {
    const int registrar = FreePort();
    PeerProcess sipp;
    ASSERT_TRUE(orvia::test::WriteFile(dir_.Path() + "registrar.xml",
                                       RegistrarScenario("alice", "s3cret")));
    ASSERT_TRUE(sipp.Start(
        {"sipp", "-sf", dir_.Path() + "registrar.xml", "-m", "1", "-i", "127.0.0.1", "-p",
         std::to_string(registrar), "-timeout", "20s", "-timeout_error", "-nostdin"},
        dir_.Path(), "registrar.log"));
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"registrar", "127.0.0.1:" + std::to_string(registrar)},
                                      {"user", "alice"},
                                      {"password", "s3cret"},
                                      {"displayname", "Front Desk"}}));
    // The scenario ends only after the refresh of the one-second registration.
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_TRUE(line_->IsRegistered());
}

TEST_F(SipLineTest, AWrongPasswordLeavesTheLineUnregistered) {
    const int registrar = FreePort();
    PeerProcess sipp;
    ASSERT_TRUE(orvia::test::WriteFile(dir_.Path() + "registrar.xml",
                                       RegistrarScenario("alice", "s3cret")));
    ASSERT_TRUE(
        sipp.Start({"sipp", "-sf", dir_.Path() + "registrar.xml", "-m", "1", "-i", "127.0.0.1",
                    "-p", std::to_string(registrar), "-timeout", "20s", "-nostdin"},
                   dir_.Path(), "registrar.log"));
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"registrar", "127.0.0.1:" + std::to_string(registrar)},
                                      {"user", "alice"},
                                      {"password", "wrong"}}));
    EXPECT_NE(FinishPeer(sipp), std::optional<int>(0)) << sipp.Log();
    EXPECT_FALSE(line_->IsRegistered());
}

TEST_F(SipLineTest, OutgoingCallsReportBusyAndFailures) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    struct Case {
        const char* code;
        bool replyOk;
        const char* states;
    } cases[] = {{"486", true, "Busy Idle"}, {"600", true, "Busy Idle"}, {"404", false, ""}};
    for (const Case& c : cases) {
        events_.events.clear();
        const int port = FreePort();
        PeerProcess called;
        ASSERT_TRUE(orvia::test::WriteFile(dir_.Path() + "called.xml", CalledScenario(c.code)));
        ASSERT_TRUE(called.Start(
            {"sipp", "-sf", dir_.Path() + "called.xml", "-m", "1", "-i", "127.0.0.1", "-p",
             std::to_string(port), "-timeout", "20s", "-timeout_error", "-nostdin"},
            dir_.Path(), std::string("called") + c.code + ".log"));
        const RequestId request = line_->MakeCall("sip:owner@127.0.0.1:" + std::to_string(port));
        ASSERT_GT(request, 0);
        ASSERT_TRUE(RunUntil([&] {
            return events_.ReplyTo(request).has_value() &&
                   (!c.replyOk || events_.HasState(CallState::Idle));
        })) << c.code;
        EXPECT_EQ(events_.ReplyTo(request), std::optional<bool>(c.replyOk)) << c.code;
        EXPECT_EQ(events_.States(), c.states) << c.code;
        EXPECT_EQ(FinishPeer(called), 0) << called.Log();
    }
    // Numbers that cannot be dialled fail at once: no domain for a plain
    // number on a device without a registrar, or characters that do not
    // belong in an address.
    EXPECT_LT(line_->MakeCall("201"), 0);
    EXPECT_LT(line_->MakeCall("sip:x@h>\r\nVia: evil"), 0);
    EXPECT_LT(line_->Answer(12345), 0);
    EXPECT_LT(line_->Drop(12345), 0);
    EXPECT_EQ(line_->Handoff(12345, DetectedMedia::Fax), HandoffResult::Failed);
    EXPECT_EQ(line_->WaveOutDevice(12345), -1);
}

}  // namespace
}  // namespace orvia::sip::test
