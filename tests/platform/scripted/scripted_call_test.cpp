// Calls on a scripted device: rings and the answer, the caller's script on
// the call-audio clock, the line's requests, outgoing calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_device.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

using ::testing::ElementsAre;

constexpr PcmFormat kCallFormat{1, kScriptedCallRate};

const char* StateName(CallState state) {
    switch (state) {
        case CallState::Offering:
            return "offering";
        case CallState::Connected:
            return "connected";
        case CallState::Disconnected:
            return "disconnected";
        case CallState::Busy:
            return "busy";
        case CallState::Idle:
            return "idle";
    }
    return "?";
}

// What the exchange says about the call, with the call time of each report.
class Transcript : public ScriptedCallObserver {
public:
    explicit Transcript(const ScriptedDevice& device) : device_(device) {}

    void OnRing(int count, bool answered) override {
        log.push_back("ring " + std::to_string(count) + (answered ? " answered" : " declined"));
    }
    void OnCallPlaced(const std::string& number) override { Add("placed " + number); }
    void OnConnected() override { Add("connected"); }
    void OnCallerAction(const CallerAction& action) override {
        Add(action.kind == CallerActionKind::Say ? "say " + action.label : "action");
    }
    void OnKey(char key) override { Add(std::string("key ") + key); }
    void OnDial(const std::string& digits, bool accepted) override {
        Add((accepted ? "dial " : "dial refused ") + digits);
    }
    void OnTransfer(const std::string& number) override { Add("transfer " + number); }
    void OnHandoff(DetectedMedia, bool handedOff) override {
        Add(handedOff ? "handed off" : "no target");
    }
    void OnLineAudio(const int16_t* frames, size_t count) override {
        played.insert(played.end(), frames, frames + count);
    }
    void OnHangUp(bool bySystem) override { Add(bySystem ? "hangup system" : "hangup caller"); }
    void OnEnd() override { Add("end"); }

    std::vector<std::string> log;
    std::vector<int16_t> played;

private:
    void Add(const std::string& text) {
        log.push_back(std::to_string(device_.CallTimeMs()) + " " + text);
    }
    const ScriptedDevice& device_;
};

// A line that behaves as a telephony line's owner would, with hooks for what
// a test makes it do.
class LineDouble : public LineEvents {
public:
    explicit LineDouble(ScriptedDevice& device) : line(device.Open(this)) {}

    void OnCallState(CallHandle c, CallState state) override {
        if (c != call)
            call = c;
        log.push_back(StateName(state));
        if (state == CallState::Offering && answerAt == 0)
            line->Answer(call);
        if (state == CallState::Connected && onConnected)
            onConnected();
        if ((state == CallState::Disconnected || state == CallState::Busy) && !ignoreHangUp)
            line->Drop(call);
        if (state == CallState::Idle)
            call = 0;
    }
    void OnRinging(int count) override {
        log.push_back("ring " + std::to_string(count));
        if (count == answerAt)
            line->Answer(call);
    }
    void OnDigitDetected(CallHandle, char digit) override {
        log.push_back(std::string("digit ") + digit);
        if (onDigit)
            onDigit(digit);
    }
    void OnDigitsGenerated(CallHandle) override {
        log.push_back("generated");
        if (onGenerated)
            onGenerated();
    }
    void OnMediaDetected(CallHandle, DetectedMedia media) override {
        log.push_back(media == DetectedMedia::Fax ? "fax" : "data");
        if (onMedia)
            onMedia(media);
    }
    void OnReply(RequestId, bool ok) override { log.push_back(ok ? "reply ok" : "reply failed"); }

    std::unique_ptr<TelephonyLine> line;
    CallHandle call = 0;
    // The ring at which the line answers: 0 at the offering, -1 never.
    int answerAt = 1;
    bool ignoreHangUp = false;
    std::vector<std::string> log;
    std::function<void()> onConnected;
    std::function<void(char)> onDigit;
    std::function<void()> onGenerated;
    std::function<void(DetectedMedia)> onMedia;
};

CallerAction At(int64_t ms, CallerActionKind kind, std::string keys = {}) {
    CallerAction action;
    action.atMs = ms;
    action.kind = kind;
    action.keys = std::move(keys);
    return action;
}

class ScriptedCallTest : public ::testing::Test {
protected:
    std::optional<ScriptedCallResult> Run() {
        return device.RunIncomingCall(script, dispatcher, &transcript);
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    ScriptedDevice device{ScriptedDeviceOptions{"Sim", true, true, false, false}};
    LineDouble line{device};
    Transcript transcript{device};
    CallScript script;
};

TEST_F(ScriptedCallTest, RingsEverySixSecondsUntilTheLineAnswers) {
    line.answerAt = 3;
    script.callerId = CallerInfo{"5551234", "Alice", false, false};
    std::string seenNumber;
    line.onConnected = [&] {
        seenNumber = line.line->GetCallerInfo(line.call).number;
        line.line->Drop(line.call);
    };
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->connected);
    EXPECT_EQ(result->callMs, 0);
    EXPECT_EQ(seenNumber, "5551234");
    EXPECT_THAT(line.log, ElementsAre("offering", "ring 1", "ring 2", "ring 3", "reply ok",
                                      "connected", "reply ok", "idle"));
    EXPECT_THAT(transcript.log, ElementsAre("ring 1 declined", "ring 2 declined", "ring 3 answered",
                                            "0 connected", "0 hangup system", "0 end"));
    EXPECT_EQ(device.ClockMs(), 12000);
}

TEST_F(ScriptedCallTest, AnAnswerAtTheOfferingIsRingZero) {
    line.answerAt = 0;
    line.onConnected = [&] { line.line->Drop(line.call); };
    ASSERT_TRUE(Run());
    EXPECT_THAT(transcript.log,
                ElementsAre("ring 0 answered", "0 connected", "0 hangup system", "0 end"));
    EXPECT_EQ(device.ClockMs(), 0);
}

TEST_F(ScriptedCallTest, TheCallerGivesUpAfterItsRings) {
    line.answerAt = -1;
    script.rings = 4;
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->connected);
    EXPECT_THAT(transcript.log, ElementsAre("ring 1 declined", "ring 2 declined", "ring 3 declined",
                                            "ring 4 declined", "0 hangup caller", "0 end"));
    EXPECT_THAT(line.log, ElementsAre("offering", "ring 1", "ring 2", "ring 3", "ring 4",
                                      "disconnected", "reply ok", "idle"));
    EXPECT_EQ(device.ClockMs(), 24000);
}

TEST_F(ScriptedCallTest, KeysArriveAtTheirTimeInTheAudioTheLinePlays) {
    // One second of a ramp on the call's output, then the line hangs up.
    std::vector<int16_t> ramp(8000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i % 1000);
    std::unique_ptr<WaveOutDevice> out;
    WaveBuffer buffer;
    buffer.data = reinterpret_cast<uint8_t*>(ramp.data());
    buffer.length = static_cast<uint32_t>(ramp.size() * 2);
    line.onConnected = [&] {
        WaveOpenParams params;
        params.device = line.line->WaveOutDevice(line.call);
        params.format = kCallFormat;
        params.onDone = [&](WaveBuffer*) {
            out.reset();
            line.line->Drop(line.call);
        };
        ASSERT_EQ(OpenWaveOut(params, &out), WaveResult::Ok);
        ASSERT_EQ(out->Write(&buffer), WaveResult::Ok);
    };
    std::vector<uint64_t> positions;
    line.onDigit = [&](char) { positions.push_back(out ? out->GetPosition() : 0); };
    script.actions = {At(500, CallerActionKind::Press, "12#")};

    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    EXPECT_THAT(positions, ElementsAre(4000, 5200, 6400));
    EXPECT_EQ(transcript.played, ramp);
    EXPECT_THAT(transcript.log,
                ElementsAre("ring 1 answered", "0 connected", "500 key 1", "650 key 2", "800 key #",
                            "1000 hangup system", "1000 end"));
}

TEST_F(ScriptedCallTest, TheCallersVoiceReachesTheLineWhileItRecords) {
    std::vector<int16_t> voice(1600, 1000);
    CallerAction say = At(100, CallerActionKind::Say);
    say.voice = std::make_shared<const std::vector<int16_t>>(voice);
    say.label = "hello.wav";
    script.actions = {say, At(1000, CallerActionKind::HangUp)};

    std::vector<std::vector<int16_t>> memory(4, std::vector<int16_t>(800));
    std::vector<WaveBuffer> buffers(4);
    std::unique_ptr<WaveInDevice> in;  // closed before its buffers go
    std::vector<int16_t> recorded;
    line.onConnected = [&] {
        WaveOpenParams params;
        params.device = line.line->WaveInDevice(line.call);
        params.format = kCallFormat;
        params.onDone = [&](WaveBuffer* done) {
            const auto* samples = reinterpret_cast<const int16_t*>(done->data);
            recorded.insert(recorded.end(), samples, samples + done->bytesRecorded / 2);
            if (in) {
                done->bytesRecorded = 0;
                done->flags = 0;
                in->AddBuffer(done);
            }
        };
        ASSERT_EQ(OpenWaveIn(params, &in), WaveResult::Ok);
        for (size_t i = 0; i < buffers.size(); ++i) {
            buffers[i].data = reinterpret_cast<uint8_t*>(memory[i].data());
            buffers[i].length = 1600;
            in->AddBuffer(&buffers[i]);
        }
        in->Start();
    };
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    ASSERT_EQ(recorded.size(), 8000u);
    EXPECT_EQ(std::count(recorded.begin(), recorded.begin() + 800, 0), 800);
    EXPECT_EQ(std::count(recorded.begin() + 800, recorded.begin() + 2400, 1000), 1600);
    EXPECT_EQ(std::count(recorded.begin() + 2400, recorded.begin() + 8000, 0), 5600);
    EXPECT_THAT(transcript.log, ElementsAre("ring 1 answered", "0 connected", "100 say hello.wav",
                                            "1000 hangup caller", "1000 end"));
}

TEST_F(ScriptedCallTest, WhileTheLineIsQuietTheClockJumpsToTheNextMoment) {
    script.actions = {At(30000, CallerActionKind::HangUp)};
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 30000);
    EXPECT_THAT(transcript.log,
                ElementsAre("ring 1 answered", "0 connected", "30000 hangup caller", "30000 end"));
}

TEST_F(ScriptedCallTest, ACallTheLineDoesNotReleaseIsClearedAMinuteAfterTheCallerLeft) {
    line.ignoreHangUp = true;
    script.limitMs = 5000;  // the caller hangs up at the limit
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 65000);
    EXPECT_THAT(line.log,
                ElementsAre("offering", "ring 1", "reply ok", "connected", "disconnected", "idle"));
}

TEST_F(ScriptedCallTest, CallerEventsReachTheLine) {
    struct Case {
        CallerActionKind kind;
        const char* event;
    };
    for (const Case& c : {Case{CallerActionKind::Busy, "busy"}, Case{CallerActionKind::Fax, "fax"},
                          Case{CallerActionKind::Data, "data"}}) {
        SCOPED_TRACE(c.event);
        line.log.clear();
        script.actions = {At(2000, c.kind), At(3000, CallerActionKind::HangUp)};
        const auto result = Run();
        ASSERT_TRUE(result);
        // A busy tone means the far end is gone: the line drops at once.
        EXPECT_EQ(result->callMs, c.kind == CallerActionKind::Busy ? 2000 : 3000);
        EXPECT_NE(std::find(line.log.begin(), line.log.end(), c.event), line.log.end());
    }
}

TEST_F(ScriptedCallTest, HandOffSucceedsOnlyWithAnApplicationForTheMedia) {
    ScriptedDevice faxDevice{ScriptedDeviceOptions{"Fax", true, true, true, false}};
    LineDouble faxLine{faxDevice};
    Transcript faxTranscript{faxDevice};
    std::vector<HandoffResult> results;
    for (LineDouble* l : {&line, &faxLine}) {
        l->onMedia = [l, &results](DetectedMedia media) {
            results.push_back(l->line->Handoff(l->call, media));
        };
    }
    script.actions = {At(1000, CallerActionKind::Fax), At(2000, CallerActionKind::Data),
                      At(3000, CallerActionKind::HangUp)};
    const auto plain = Run();
    const auto handed = faxDevice.RunIncomingCall(script, dispatcher, &faxTranscript);
    ASSERT_TRUE(plain && handed);
    EXPECT_THAT(results, ElementsAre(HandoffResult::TargetNotFound, HandoffResult::TargetNotFound,
                                     HandoffResult::HandedOff));
    EXPECT_EQ(plain->callMs, 3000);
    // The fax application took the call: it is gone from the line.
    EXPECT_EQ(handed->callMs, 1000);
    EXPECT_THAT(faxTranscript.log, ElementsAre("ring 1 answered", "0 connected", "1000 action",
                                               "1000 handed off", "1000 end"));
}

TEST_F(ScriptedCallTest, DigitsTakeTheirDialTimeAndBadOnesAreRefused) {
    std::vector<int64_t> doneAt;
    std::vector<bool> accepted;
    line.onConnected = [&] {
        accepted.push_back(line.line->GenerateDigits(line.call, "12x"));
        accepted.push_back(line.line->GenerateDigits(line.call, "!12,"));
    };
    line.onGenerated = [&] {
        doneAt.push_back(device.CallTimeMs());
        line.line->Drop(line.call);
    };
    ASSERT_TRUE(Run());
    EXPECT_THAT(accepted, ElementsAre(false, true));
    // Flash 500 ms, two digits 150 ms each, a pause of 2 s.
    EXPECT_THAT(doneAt, ElementsAre(2800));
    EXPECT_THAT(transcript.log, ElementsAre("ring 1 answered", "0 connected", "0 dial refused 12x",
                                            "0 dial !12,", "2800 hangup system", "2800 end"));
}

TEST_F(ScriptedCallTest, ATransferEndsTheCallOnTheLine) {
    script.actions = {At(1000, CallerActionKind::Press, "5")};
    line.onDigit = [&](char) { EXPECT_GT(line.line->BlindTransfer(line.call, "201"), 0); };
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    EXPECT_THAT(transcript.log, ElementsAre("ring 1 answered", "0 connected", "1000 key 5",
                                            "1000 transfer 201", "1000 end"));
    EXPECT_EQ(line.log.back(), "idle");
}

TEST_F(ScriptedCallTest, ClosingTheLineEndsTheCallWithoutMoreEvents) {
    script.actions = {At(1000, CallerActionKind::Press, "12")};
    line.onDigit = [&](char) { line.line.reset(); };
    const auto result = Run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    EXPECT_EQ(line.log.back(), "digit 1");
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(ScriptedCallTest, TheCalledPartyAnswersAnOutgoingCallAtItsRing) {
    CallScript party;
    party.rings = 2;
    party.actions = {At(1500, CallerActionKind::Press, "1"), At(4000, CallerActionKind::HangUp)};
    device.SetCalledParty(party);
    EXPECT_FALSE(device.RunOutgoingCall(dispatcher, &transcript));

    ASSERT_GT(line.line->MakeCall("5550100"), 0);
    EXPECT_LT(line.line->MakeCall("5550101"), 0);  // one call at a time
    const auto result = device.RunOutgoingCall(dispatcher, &transcript);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->connected);
    EXPECT_EQ(result->callMs, 4000);
    EXPECT_THAT(line.log, ElementsAre("reply ok", "connected", "digit 1", "disconnected",
                                      "reply ok", "idle"));
    EXPECT_THAT(transcript.log,
                ElementsAre("0 placed 5550100", "ring 1 declined", "ring 2 answered", "0 connected",
                            "1500 key 1", "4000 hangup caller", "4000 end"));
    EXPECT_EQ(device.ClockMs(), 6000 + 4000);
}

TEST_F(ScriptedCallTest, AnOutgoingCallNobodyAnswersIsDisconnectedAfterTenRings) {
    CallScript party;
    party.rings = 0;
    device.SetCalledParty(party);
    ASSERT_GT(line.line->MakeCall("5550100"), 0);
    const auto result = device.RunOutgoingCall(dispatcher, &transcript);
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->connected);
    EXPECT_THAT(line.log, ElementsAre("reply ok", "disconnected", "reply ok", "idle"));
    EXPECT_EQ(device.ClockMs(), 60000);
}

}  // namespace
}  // namespace orvia
