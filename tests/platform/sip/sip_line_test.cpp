// The SIP line against sipp scenarios on loopback.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <thread>

#include "diagnostics_capture.h"
#include "kamailio_peer.h"
#include "line_harness.h"
#include "platform/sip/sip_device.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/time/clock.h"
#include "platform/wave/wave_registry.h"
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

TEST_F(SipLineTest, ChannelsOfOneAccountTakeACallEachAndTheNextHearsBusy) {
    SipLineHooks hooks = DefaultSipLineHooks();
    hooks.audio = AudioProbe::Factory(audio_);
    std::string error;
    auto devices = CreateSipDevices(
        "office",
        {{"name", "Office"}, {"listen", "127.0.0.1:0"}, {"ringinterval", "0.1"}, {"channels", "3"}},
        hooks, &error);
    ASSERT_EQ(devices.size(), 3u) << error;
    EXPECT_EQ(devices[0]->Name(), "Office 1");
    EXPECT_EQ(devices[2]->Name(), "Office 3");
    EXPECT_FALSE(devices[0]->ChannelGroup().empty());
    EXPECT_EQ(devices[0]->ChannelGroup(), devices[2]->ChannelGroup());

    // Channels 1 and 3 open; channel 2 has no owner and takes no call.
    RecordingEvents first, third;
    auto one = devices[0]->OpenLine(&first);
    auto three = devices[2]->OpenLine(&third);
    ASSERT_TRUE(one && three) << devices[0]->LastError() << devices[2]->LastError();
    EXPECT_FALSE(devices[0]->OpenLine(&first));  // one owner a channel
    EXPECT_EQ(devices[0]->LastError(), "the device is open already");
    const std::string address = one->LocalSipAddress();
    EXPECT_EQ(three->LocalSipAddress(), address);  // one account, one address
    port_ = std::stoi(address.substr(address.rfind(':') + 1));
    first.onRing = [&](int) { one->Answer(first.FirstCall()); };
    third.onRing = [&](int) { three->Answer(third.FirstCall()); };

    const std::string answered = Scenario(Invite() + ExpectOptional("100") + Expect("180") +
                                          Expect("200") + Ack() + ExpectRequestAndReply("BYE"));
    PeerProcess a, b, c;
    ASSERT_NO_FATAL_FAILURE(StartSipp(a, "a", answered, MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return first.HasState(CallState::Connected); })) << a.Log();
    ASSERT_NO_FATAL_FAILURE(StartSipp(b, "b", answered, MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return third.HasState(CallState::Connected); })) << b.Log();
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(c, "c", Scenario(Invite() + ExpectOptional("100") + Expect("486") + Ack(1, 3))));
    EXPECT_EQ(FinishPeer(c), 0) << c.Log();

    // Closing a channel hangs up its call only.
    one.reset();
    EXPECT_EQ(FinishPeer(a), 0) << a.Log();
    EXPECT_EQ(third.States(), "Offering Connected");
    three->Drop(third.FirstCall());
    ASSERT_TRUE(RunUntil([&] { return third.HasState(CallState::Idle); }));
    EXPECT_EQ(FinishPeer(b), 0) << b.Log();
    EXPECT_EQ(first.States(), "Offering Connected");
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

TEST_F(SipLineTest, TakesTheOfferFromAMultipartBodyWithIsup) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(sipp, "isup",
                  Scenario(WithIsupPart(Invite()) + ExpectOptional("100") + Expect("180") +
                           Expect("200") + Ack() + Pause(1500) + Bye(2)),
                  MediaArgs(true)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    // The media went where the SDP part said: our tone came back.
    EXPECT_GT(audio_->ShareAt(1000, 8000), 0.5);
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

// A re-INVITE whose offer has no codec we can use is refused with 488, and
// the call's media goes on as it was in both directions: our tone still
// reaches the caller and comes back through sipp's echo to the line.
TEST_F(SipLineTest, ARefusedReinviteLeavesTheMediaAsItWas) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    const std::string g729 = "      m=audio [media_port] RTP/AVP 18\n      a=rtpmap:18 G729/8000\n";
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "unusable",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") + Ack() +
                 Pause(500) + Reinvite(2, g729) + Expect("488") + Ack(2, 2) + Pause(2000) + Bye(3)),
        MediaArgs(true)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.States(), "Offering Connected Disconnected Idle");
    // From a second after the connection (well after the re-INVITE) on.
    ASSERT_GT(audio_->Received().size(), 8000u * 2);
    EXPECT_GT(audio_->ShareAt(1000, 8000), 0.5);
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
    DiagnosticsCapture events;
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"registrar", "127.0.0.1:" + std::to_string(registrar)},
                                      {"user", "alice"},
                                      {"password", "s3cret"},
                                      {"displayname", "Front Desk"}}));
    // The scenario ends only after the refresh of the one-second registration.
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_TRUE(line_->IsRegistered());
    const RegistrationStatus status = line_->DeviceStatus().registration;
    EXPECT_EQ(status.state, RegistrationState::Registered);
    EXPECT_EQ(status.detail, "200 OK");
    // Said once, not at each refresh.
    const std::string all = events.AllText();
    const std::string said = "registered with sip:127.0.0.1:" + std::to_string(registrar) +
                             " as sip:alice@127.0.0.1:" + std::to_string(registrar);
    EXPECT_NE(all.find(said), std::string::npos) << all;
    EXPECT_EQ(all.find(said), all.rfind(said)) << all;
    EXPECT_EQ(all.find("s3cret"), std::string::npos) << all;
}

TEST_F(SipLineTest, KamailioTakesTheRightPasswordAndAWrongOneIsReportedAndRetried) {
    KamailioPeer kamailio;
    ASSERT_TRUE(kamailio.Start(dir_.Path(), {{"orvia", "Orvia-secret"}}, 2)) << kamailio.Log();
    DiagnosticsCapture events;
    ASSERT_NO_FATAL_FAILURE(
        OpenLine({{"registrar", kamailio.Uri()}, {"user", "orvia"}, {"password", "Orvia-secret"}}));
    ASSERT_TRUE(RunUntil([&] { return line_->IsRegistered(); })) << kamailio.Log();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Info, "sip", {"registered with " + kamailio.Uri()}))
        << events.AllText();

    // With a wrong password kamailio challenges again and asks for a retry in
    // 2 s: the failure is reported, and the line tries again then.
    ASSERT_NO_FATAL_FAILURE(OpenLine(
        {{"registrar", kamailio.Uri()}, {"user", "orvia"}, {"password", "Not-the-secret"}}));
    const std::string failure = "registration with " + kamailio.Uri() +
                                " as sip:orvia@127.0.0.1:" + std::to_string(kamailio.Port()) +
                                " failed: 401 Unauthorized; next try at";
    auto failures = [&] {
        int count = 0;
        for (const DiagnosticEvent& event : events.Events())
            count += event.level == DiagnosticLevel::Error &&
                     event.text.find(failure) != std::string::npos &&
                     event.text.find("(in 2 s)") != std::string::npos;
        return count;
    };
    ASSERT_TRUE(RunUntil([&] { return failures() >= 2; }, 20000))
        << events.AllText() << kamailio.Log();
    EXPECT_FALSE(line_->IsRegistered());
    EXPECT_EQ(line_->DeviceStatus().registration.state, RegistrationState::Failed);
    EXPECT_EQ(events.AllText().find("Not-the-secret"), std::string::npos) << events.AllText();
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
    DiagnosticsCapture events;
    const int64_t before = LocalNow();
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"registrar", "127.0.0.1:" + std::to_string(registrar)},
                                      {"user", "alice"},
                                      {"password", "wrongpa55"}}));
    EXPECT_NE(FinishPeer(sipp), std::optional<int>(0)) << sipp.Log();
    EXPECT_FALSE(line_->IsRegistered());

    // The refusal is an error with the registrar's code and text and the
    // time of the next try, 30 s on; the password shows nowhere.
    ASSERT_TRUE(RunUntil([&] {
        return events.Has(DiagnosticLevel::Error, "sip", {"403 Forbidden"});
    })) << events.AllText();
    EXPECT_TRUE(
        events.Has(DiagnosticLevel::Error, "sip",
                   {"[line0]", "registration with sip:127.0.0.1:" + std::to_string(registrar),
                    "as sip:alice@", "failed: 403 Forbidden; next try at", "(in 30 s)"}))
        << events.AllText();
    EXPECT_EQ(events.AllText().find("wrongpa55"), std::string::npos) << events.AllText();
    const RegistrationStatus status = line_->DeviceStatus().registration;
    EXPECT_EQ(status.state, RegistrationState::Failed);
    EXPECT_EQ(status.detail, "403 Forbidden");
    EXPECT_GE(status.nextTry, before + 30);
    EXPECT_LE(status.nextTry, LocalNow() + 30);
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

namespace orvia::sip::test {
namespace {

TEST_F(SipLineTest, ClosingTheLineHangsUpItsCall) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(sipp, "closed",
                  Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") +
                           Ack() + ExpectRequestAndReply("BYE")),
                  MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << sipp.Log();
    line_.reset();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
}

// The call's audio on the real call wave devices: what the line plays there
// reaches the caller (echoed back by sipp) and is recorded from the input.
TEST_F(SipLineTest, CallAudioTravelsThroughTheCallWaveDevices) {
    ASSERT_NO_FATAL_FAILURE(OpenLine({}, true));
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    PeerProcess sipp;
    ASSERT_NO_FATAL_FAILURE(StartSipp(sipp, "devices",
                                      Scenario(Invite() + ExpectOptional("100") + Expect("180") +
                                               Expect("200") + Ack() + Pause(2500) + Bye(2)),
                                      MediaArgs(true)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Connected); })) << sipp.Log();
    const CallHandle call = events_.FirstCall();
    const int out = line_->WaveOutDevice(call);
    const int in = line_->WaveInDevice(call);
    EXPECT_GE(out, 64);
    EXPECT_LE(out, 127);
    EXPECT_EQ(in, out);

    std::vector<int16_t> tone;
    for (int i = 0; i < 8000 * 2; ++i)
        tone.push_back(
            static_cast<int16_t>(8000 * std::sin(2 * 3.141592653589793 * 600 * i / 8000)));
    WaveOpenParams params;
    params.device = out;
    std::unique_ptr<WaveOutDevice> player;
    ASSERT_EQ(OpenWaveOut(params, &player), WaveResult::Ok);
    WaveBuffer played;
    played.data = reinterpret_cast<uint8_t*>(tone.data());
    played.length = static_cast<uint32_t>(tone.size() * 2);
    ASSERT_EQ(player->Write(&played), WaveResult::Ok);

    std::vector<int16_t> recorded(8000 * 2);
    WaveBuffer record;
    record.data = reinterpret_cast<uint8_t*>(recorded.data());
    record.length = static_cast<uint32_t>(recorded.size() * 2);
    params.device = in;
    std::unique_ptr<WaveInDevice> recorder;
    ASSERT_EQ(OpenWaveIn(params, &recorder), WaveResult::Ok);
    ASSERT_EQ(recorder->AddBuffer(&record), WaveResult::Ok);
    ASSERT_EQ(recorder->Start(), WaveResult::Ok);

    ASSERT_TRUE(RunUntil([&] { return record.IsDone() && played.IsDone(); })) << sipp.Log();
    recorded.resize(record.bytesRecorded / 2);
    EXPECT_GT(ToneShare(recorded, 600, 4000), 0.5);
    recorder.reset();
    player.reset();
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
}

TEST(SipProvider, DevicesFromTheConfigurationOpenForOneOwnerEach) {
    StepDispatcher dispatcher;
    ScopedCurrentDispatcher scope(&dispatcher);
    RegisterSipProvider();
    ASSERT_TRUE(HasTelephonyProvider("sip"));
    const int taken = FreePort();
    const TelephonyDevices devices = TelephonyDevices::Build({
        {"desk", {{"type", "sip"}, {"name", "Front desk"}, {"listen", "127.0.0.1:0"}}},
        {"office", {{"type", "SIP"}, {"listen", "127.0.0.1:" + std::to_string(taken)}}},
        {"broken", {{"type", "sip"}, {"dtmf", "loud"}}},
    });
    ASSERT_EQ(devices.Count(), 2u);
    EXPECT_EQ(devices.Device(0)->Name(), "Front desk");
    EXPECT_EQ(devices.Device(1)->Name(), "sip:orvia@127.0.0.1:" + std::to_string(taken));
    EXPECT_TRUE(devices.Device(0)->IsVoiceCapable());
    ASSERT_EQ(devices.Problems().size(), 1u);
    EXPECT_NE(devices.Problems()[0].find("dtmf"), std::string::npos);

    RecordingEvents events;
    auto line = devices.Device(0)->Open(&events);
    ASSERT_TRUE(line);
    EXPECT_FALSE(devices.Device(0)->Open(&events));  // one owner at a time
    EXPECT_EQ(devices.Device(0)->OpenError(), "the device is open already");
    line.reset();
    line = devices.Device(0)->Open(&events);
    EXPECT_TRUE(line);

    // A device whose address is in use does not open.
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(taken));
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    EXPECT_FALSE(devices.Device(1)->Open(&events));
    // It says why, with the address, so the program can report it.
    EXPECT_EQ(devices.Device(1)->OpenError(),
              "SIP on 127.0.0.1:" + std::to_string(taken) + " (udp): Address already in use");
    ::close(holder);
    EXPECT_TRUE(devices.Device(1)->Open(&events));
}

}  // namespace
}  // namespace orvia::sip::test

namespace orvia::sip::test {
namespace {

TEST_F(SipLineTest, DroppingAnUnansweredCallRefusesItWithBusy) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    RequestId drop = 0;
    events_.onRing = [&](int count) {
        if (count == 2)
            drop = line_->Drop(events_.FirstCall());
    };
    PeerProcess sipp;  // INVITE 0, 100 1, 180 2, 486 3, ACK 4
    ASSERT_NO_FATAL_FAILURE(StartSipp(
        sipp, "refused",
        Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("486") + Ack(1, 4))));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_EQ(events_.ReplyTo(drop), std::optional<bool>(true));
    EXPECT_EQ(events_.States(), "Offering Idle");
}

TEST_F(SipLineTest, ARefusedTransferDropsTheCall) {
    ASSERT_NO_FATAL_FAILURE(OpenLine());
    events_.onRing = [&](int) { line_->Answer(events_.FirstCall()); };
    RequestId transfer = 0;
    events_.onState = [&](CallHandle call, CallState state) {
        if (state == CallState::Connected)
            // Within the caller's domain, with the flash and pause the
            // engine puts before a transfer's number by default.
            transfer = line_->BlindTransfer(call, "!,2001");
    };
    PeerProcess sipp;
    const std::string refuse =
        "  <recv request=\"REFER\">\n    <action>\n"
        "      <ereg regexp=\"sip:2001@127.0.0.1\" search_in=\"hdr\" header=\"Refer-To:\" "
        "check_it=\"true\" assign_to=\"target\"/>\n"
        "    </action>\n  </recv>\n"
        "  <send>\n    <![CDATA[\n"
        "      SIP/2.0 603 Decline\n"
        "      X-Refused: [$target]\n"
        "      [last_Via:]\n"
        "      [last_From:]\n"
        "      [last_To:]\n"
        "      [last_Call-ID:]\n"
        "      [last_CSeq:]\n"
        "      Content-Length: 0\n"
        "    ]]>\n  </send>\n";
    ASSERT_NO_FATAL_FAILURE(
        StartSipp(sipp, "refer",
                  Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") +
                           Ack() + refuse + ExpectRequestAndReply("BYE")),
                  MediaArgs(false)));
    ASSERT_TRUE(RunUntil([&] { return events_.HasState(CallState::Idle); })) << sipp.Log();
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    ASSERT_GT(transfer, 0);
    EXPECT_EQ(events_.ReplyTo(transfer), std::optional<bool>(false));
    EXPECT_EQ(events_.States(), "Offering Connected Idle");
}

TEST_F(SipLineTest, RegistersThroughTheOutboundProxy) {
    const int proxy = FreePort();
    PeerProcess sipp;
    ASSERT_TRUE(
        orvia::test::WriteFile(dir_.Path() + "registrar.xml", RegistrarScenario("4930123", "pw")));
    ASSERT_TRUE(
        sipp.Start({"sipp", "-sf", dir_.Path() + "registrar.xml", "-m", "1", "-i", "127.0.0.1",
                    "-p", std::to_string(proxy), "-timeout", "20s", "-timeout_error", "-nostdin"},
                   dir_.Path(), "proxy.log"));
    // The registrar's name is never looked up: every request goes to the proxy.
    ASSERT_NO_FATAL_FAILURE(OpenLine({{"registrar", "sip:voip.example.invalid"},
                                      {"user", "4930123"},
                                      {"password", "pw"},
                                      {"outboundproxy", "127.0.0.1:" + std::to_string(proxy)}}));
    EXPECT_EQ(FinishPeer(sipp), 0) << sipp.Log();
    EXPECT_TRUE(line_->IsRegistered());
}

}  // namespace
}  // namespace orvia::sip::test

namespace orvia::sip::test {
namespace {

int OpenDescriptors() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

// Stopping with calls up, as the program's lines do it: each line drops its
// call and is closed at once, while the SIP loop is busy, so the hang-up and
// the close reach the loop together, and the loop stops right after the last
// line. Every caller gets its BYE, and every SIP stack, which has to stay
// until its BYE transaction is done, is freed all the same: no socket is
// left open.
TEST_F(SipLineTest, LinesClosedWithTheirCallsUpEndEveryCallCleanly) {
    constexpr int kLines = 8;
    const int descriptors = OpenDescriptors();
    struct Open {
        RecordingEvents events;
        std::unique_ptr<SipLine> line;
        PeerProcess sipp;
    };
    std::vector<std::unique_ptr<Open>> lines;
    for (int i = 0; i < kLines; ++i) {
        auto open = std::make_unique<Open>();
        SipDeviceSettings settings;
        std::string error;
        ASSERT_TRUE(ParseSipDeviceSettings("line" + std::to_string(i),
                                           {{"ringinterval", "0.1"}, {"listen", "127.0.0.1:0"}},
                                           &settings, &error))
            << error;
        SipLineHooks hooks = DefaultSipLineHooks();
        hooks.audio = AudioProbe::Factory(audio_);
        open->line = SipLine::Open(settings, &open->events, hooks, &error);
        ASSERT_TRUE(open->line) << error;
        SipLine* line = open->line.get();
        RecordingEvents* events = &open->events;
        open->events.onRing = [line, events](int) { line->Answer(events->FirstCall()); };
        const std::string address = line->LocalSipAddress();
        port_ = std::stoi(address.substr(address.rfind(':') + 1));
        ASSERT_NO_FATAL_FAILURE(
            StartSipp(open->sipp, "caller" + std::to_string(i),
                      Scenario(Invite() + ExpectOptional("100") + Expect("180") + Expect("200") +
                               Ack() + ExpectRequestAndReply("BYE")),
                      MediaArgs(false)));
        lines.push_back(std::move(open));
    }
    ASSERT_TRUE(RunUntil([&] {
        for (const auto& open : lines)
            if (!open->events.HasState(CallState::Connected))
                return false;
        return true;
    }));

    // The loop is held up while the drops and closes are queued behind it.
    std::shared_ptr<SipLoop> loop = SipLoop::Acquire();
    std::promise<void> release;
    loop->Post([held = release.get_future().share()] { held.wait(); });
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        release.set_value();
    });
    for (auto& open : lines) {
        open->line->Drop(open->events.FirstCall());
        open->line.reset();
    }
    releaser.join();
    // The last line let go of the loop: it stops now, with the last BYE
    // transactions still running.
    loop.reset();
    for (auto& open : lines)
        EXPECT_EQ(FinishPeer(open->sipp), 0) << open->sipp.Log();
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace orvia::sip::test
