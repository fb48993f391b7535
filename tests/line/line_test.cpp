// LLine on a scripted line device: the telephony rules of the line (rings,
// caller id, keys, disconnect modes, media, transfers, outgoing calls) and
// its call audio (silence limit, maximum length, the cut of a stopped
// recording), each call run on the call-audio clock.
#include "line/line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/pcm_file_sink.h"
#include "audio/stub_source.h"
#include "audio/wave_source.h"
#include "diagnostics_capture.h"
#include "file_size_limit.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/scripted/scripted_device.h"
#include "temp_dir.h"
#include "test_cell.h"

namespace orvia {
namespace {

using test::TestCell;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

CallerAction At(int64_t ms, CallerActionKind kind, std::string keys = {}) {
    CallerAction action;
    action.atMs = ms;
    action.kind = kind;
    action.keys = std::move(keys);
    return action;
}

// The caller talks: a steady level well above any threshold.
CallerAction Talk(int64_t ms, int64_t lengthMs) {
    CallerAction action = At(ms, CallerActionKind::Say);
    action.voice = std::make_shared<const std::vector<int16_t>>(
        static_cast<std::size_t>(lengthMs * 8), int16_t{8000});
    action.label = "talk";
    return action;
}

// Remembers what the line reports about recordings.
struct RecordWatch : LLineObserver {
    void OnLineRecordStop(const LSoundSink&, int32_t ticks) override { stops.push_back(ticks); }
    std::vector<int32_t> stops;
};

class LLineTest : public ::testing::Test {
protected:
    explicit LLineTest(ScriptedDeviceOptions options = {}) {
        auto owned = std::make_unique<ScriptedDevice>(options);
        device = owned.get();
        TelephonyDevices devices;
        devices.Add(std::move(owned));
        application.UseDevices(std::move(devices));
        line = std::make_unique<LLine>(application);
        line->SetTickSource([this] { return device->ClockMs(); });
        line->SetPlayerPollInterval(10);
        line->SetObserver(&records);
        auto cell = std::make_unique<TestCell>("owner", &journal, [this] { return Now(); });
        owner = cell.get();
        line->SetOwner(std::move(cell));
    }

    int64_t Now() const { return device->CallTimeMs(); }

    bool Open(int mode = LLine::kDetectDisconnect) { return line->Open(0, mode); }

    std::optional<ScriptedCallResult> Call() { return device->RunIncomingCall(script, dispatcher); }

    LSoundSink Sink(const std::string& name = "rec.wav") {
        return CreatePCMWaveSink(dir.Path() + name, 8000, 1, 16, 0);
    }

    // Journal entries of the owner from its connection on, rings left out.
    std::vector<std::string> AfterRings() const {
        std::vector<std::string> out;
        for (const std::string& entry : journal)
            if (entry.find(":ring ") == std::string::npos)
                out.push_back(entry);
        return out;
    }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    test::TempDir dir;
    LLineApplication application;
    ScriptedDevice* device = nullptr;
    RecordWatch records;
    std::vector<std::string> journal;
    std::unique_ptr<LLine> line;
    TestCell* owner = nullptr;
    CallScript script;
};

TEST_F(LLineTest, OpensOnlyAnExistingDeviceThatOpens) {
    EXPECT_FALSE(line->Open(1, 0));
    EXPECT_FALSE(line->Open(-1, 0));
    EXPECT_TRUE(Open());
    EXPECT_TRUE(line->IsOpen());
    // Opening again closes first: the device takes one owner at a time.
    EXPECT_TRUE(Open());
    line->Close();
    EXPECT_FALSE(device->IsOpen());

    LLineApplication other;
    TelephonyDevices devices;
    devices.Add(std::make_unique<ScriptedDevice>(
        ScriptedDeviceOptions{"Broken", true, false, false, false}));
    other.UseDevices(std::move(devices));
    LLine closed(other);
    EXPECT_FALSE(closed.Open(0, 0));
    EXPECT_FALSE(closed.IsOpen());
}

TEST_F(LLineTest, AnswersAtTheRingItsOwnerAccepts) {
    ASSERT_TRUE(Open());
    owner->answerAt = 3;
    owner->onConnected = [&] { line->Drop(); };
    ASSERT_TRUE(Call());
    EXPECT_THAT(journal,
                ElementsAre("0 owner:ring 0", "0 owner:ring 1", "0 owner:ring 2", "0 owner:ring 3",
                            "0 owner:connected", "0 owner:disconnected"));
    EXPECT_EQ(device->ClockMs(), 12000);
}

TEST_F(LLineTest, CallerIdsAreReadAtEveryRingAndKeptPrintable) {
    struct Case {
        CallerInfo info;
        const char* number;
        const char* name;
    };
    const std::string longNumber(40, '7');
    const std::string accented = std::string(30, 'a') + "\xC3\xA9";  // 30 + "é"
    const Case cases[] = {
        {{"5551234", "Jane Doe", false, false}, "5551234", "Jane Doe"},
        {{"5551234", "Jane", true, false}, "CID Blocked", ""},
        {{"5551234", "Jane", false, true}, "CID Out Of Area", ""},
        {{"555\x01"
          "12\x7f"
          "34",
          "Jo\r\n\x1b[2J", false, false},
         "5551234",
         "Jo[2J"},
        {{longNumber, "Zo\xC3\xAB M\xC3\xBCller", false, false},
         "7777777777777777777777777777777",
         "Zo\xC3\xAB M\xC3\xBCller"},
        {{"1", accented, false, false}, "1", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
        {{"1", "bad \xC3\x28 utf \xED\xA0\x80 end \xC2\x85", false, false}, "1", "bad ( utf  end "},
    };
    ASSERT_TRUE(Open());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info.number + " / " + c.info.name);
        script.callerId = c.info;
        std::vector<std::pair<std::string, std::string>> seen;
        owner->onRing = [&](int) { seen.emplace_back(line->CallerNumber(), line->CallerName()); };
        owner->onConnected = [&] { line->Drop(); };
        ASSERT_TRUE(Call());
        ASSERT_FALSE(seen.empty());
        for (const auto& [number, name] : seen) {
            EXPECT_EQ(number, c.number);
            EXPECT_EQ(name, c.name);
        }
    }
}

TEST_F(LLineTest, KeysAreDroppedWhileTheLineDials) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->GenerateDigits("1234"); };  // 600 ms of digits
    script.actions = {At(100, CallerActionKind::Press, "5"), At(700, CallerActionKind::Press, "6"),
                      At(800, CallerActionKind::HangUp)};
    // Then a dial string the line refuses: it is done at once.
    bool refused = false;
    owner->onDialComplete = [&] {
        if (refused)
            return;
        refused = true;
        line->GenerateDigits("12x");
    };
    ASSERT_TRUE(Call());
    EXPECT_THAT(AfterRings(),
                ElementsAre("0 owner:connected", "600 owner:dialcomplete", "600 owner:dialcomplete",
                            "700 owner:digit 6", "800 owner:disconnected"));
}

TEST_F(LLineTest, HangUpsFollowTheDisconnectMode) {
    enum class Doing { Play, Wait, Record };
    struct Case {
        int mode;
        Doing doing;
        CallerActionKind hangUp;
        const char* ends;
    };
    const Case cases[] = {
        {LLine::kDetectDisconnect, Doing::Play, CallerActionKind::HangUp,
         "1000 owner:disconnected"},
        {LLine::kDetectDisconnect, Doing::Wait, CallerActionKind::HangUp,
         "1000 owner:disconnected"},
        {LLine::kDetectDisconnect, Doing::Record, CallerActionKind::HangUp,
         "1000 owner:disconnected"},
        // End-of-call detection off: a disconnection during a play is
        // ignored; the play runs out and the owner hangs up then.
        {LLine::kIgnoreDisconnectWhilePlaying, Doing::Play, CallerActionKind::HangUp,
         "5000 owner:disconnected"},
        {LLine::kIgnoreDisconnectWhilePlaying, Doing::Wait, CallerActionKind::HangUp,
         "1000 owner:disconnected"},
        {LLine::kIgnoreDisconnectWhilePlaying, Doing::Record, CallerActionKind::HangUp,
         "1000 owner:disconnected"},
        // A busy tone always ends the call.
        {LLine::kIgnoreDisconnectWhilePlaying, Doing::Play, CallerActionKind::Busy,
         "1000 owner:disconnected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(static_cast<int>(c.doing)) +
                     " " + std::to_string(static_cast<int>(c.hangUp)));
        journal.clear();
        ASSERT_TRUE(Open(c.mode));
        owner->onConnected = [&] {
            if (c.doing == Doing::Play)
                line->Play(MakeSilence(40000, 8000, 1));
            else if (c.doing == Doing::Wait)
                line->Wait(50000);
            else
                line->Record(Sink(), 0, -30, 100000);
        };
        owner->onPlayComplete = [&] { line->Drop(); };
        script.actions = {At(1000, c.hangUp)};
        ASSERT_TRUE(Call());
        EXPECT_THAT(journal, Contains(c.ends));
        EXPECT_EQ(journal.back(), c.ends);
    }
}

// End-of-call detection off: the caller's hang-up during the record tone is
// ignored, the recording starts when the tone ends, and the call then goes
// idle while it records. The recording is stopped, and its file finished,
// before the cells hear that the call is over.
TEST_F(LLineTest, ACallThatGoesIdleWhileRecordingStopsTheRecorderFirst) {
    ASSERT_TRUE(Open(LLine::kIgnoreDisconnectWhilePlaying));
    owner->onConnected = [&] { line->Play(MakeSilence(8000, 8000, 1)); };
    // A silence limit longer than the network takes to clear the call.
    owner->onPlayComplete = [&] { line->Record(Sink(), 0, -30, 900000); };
    bool recordingAtTheEnd = true;
    std::size_t stopsAtTheEnd = 0;
    owner->onDisconnected = [&] {
        recordingAtTheEnd = line->IsRecording();
        stopsAtTheEnd = records.stops.size();
    };
    script.actions = {Talk(0, 400), At(500, CallerActionKind::HangUp)};
    ASSERT_TRUE(Call());
    EXPECT_THAT(AfterRings(), Contains("1000 owner:playcomplete"));
    EXPECT_FALSE(recordingAtTheEnd);
    EXPECT_EQ(stopsAtTheEnd, 1u);
    EXPECT_FALSE(line->IsRecording());
}

TEST_F(LLineTest, FaxToneWithoutAFaxApplicationReachesTheOwner) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Wait(100000); };
    script.actions = {At(1000, CallerActionKind::Fax), At(2000, CallerActionKind::Data),
                      At(3000, CallerActionKind::HangUp)};
    ASSERT_TRUE(Call());
    // The data tone finds no application either: the call simply goes on.
    EXPECT_THAT(AfterRings(),
                ElementsAre("0 owner:connected", "1000 owner:faxtone", "3000 owner:disconnected"));
}

class LLineFaxTest : public LLineTest {
protected:
    LLineFaxTest() : LLineTest(ScriptedDeviceOptions{"Fax", true, true, true, false}) {}
};

TEST_F(LLineFaxTest, AFaxHandedToItsApplicationLeavesTheLine) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Wait(100000); };
    script.actions = {At(1000, CallerActionKind::Fax), At(3000, CallerActionKind::HangUp)};
    const auto result = Call();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    EXPECT_THAT(AfterRings(), ElementsAre("0 owner:connected", "1000 owner:disconnected"));
    EXPECT_FALSE(line->HasCall());
}

TEST_F(LLineTest, ASilentCallerEndsTheRecordingAfterTheSilenceLimit) {
    struct Case {
        int32_t silenceTicks;
        const char* ends;
    };
    // Levels come every 100 ms of audio; the limit is never below 1 s.
    for (const Case& c :
         {Case{20000, "2100 owner:disconnected"}, Case{0, "1100 owner:disconnected"}}) {
        SCOPED_TRACE(c.silenceTicks);
        journal.clear();
        ASSERT_TRUE(Open());
        owner->onConnected = [&] { line->Record(Sink(), 0, -30, c.silenceTicks); };
        ASSERT_TRUE(Call());
        EXPECT_EQ(journal.back(), c.ends);
    }
}

TEST_F(LLineTest, TheMaximumLengthEndsTheCallWithTheRecordingKept) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Record(Sink(), 20000, -30, 50000); };
    script.actions = {Talk(0, 10000)};
    ASSERT_TRUE(Call());
    // The file holds half a block before the talk: it passes 2 s when 1.95 s
    // of talk are in.
    EXPECT_EQ(journal.back(), "2000 owner:disconnected");
    ASSERT_EQ(records.stops.size(), 1u);
    // Stopped by the recorder, not by the line: nothing is cut.
    EXPECT_EQ(records.stops[0], 20500);
    const LSoundSource file = OpenWaveSource(dir.Path() + "rec.wav");
    ASSERT_FALSE(IsInvalid(file));
    EXPECT_EQ(file->GetLength(), records.stops[0] * 8000 / 10000);
}

TEST_F(LLineTest, AStoppedRecordingLosesItsLastFourTenthsOfASecond) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Record(Sink(), 0, -30, 50000); };
    owner->onDigit = [&](char) {
        EXPECT_TRUE(line->IsRecording());
        line->Stop();
        EXPECT_FALSE(line->IsRecording());
        line->Drop();
    };
    script.actions = {Talk(0, 10000), At(3000, CallerActionKind::Press, "1")};
    ASSERT_TRUE(Call());
    ASSERT_EQ(records.stops.size(), 1u);
    // 3 s of talk and the half block before it (0.05 s), less the 0.4 s of
    // the key press.
    EXPECT_EQ(records.stops[0], 26500);
    const LSoundSource file = OpenWaveSource(dir.Path() + "rec.wav");
    ASSERT_FALSE(IsInvalid(file));
    EXPECT_EQ(file->GetLength(), 21200);
}

// The disk fills up while the caller talks: the recording ends at once, the
// way a recording that reaches its maximum length does (the line hangs up),
// and the file keeps just the audio that reached it, with a header that says
// so. The failure is reported.
TEST_F(LLineTest, AFullDiskEndsTheRecordingAtOnceAndKeepsWhatWasWritten) {
    DiagnosticsCapture events;
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Record(Sink(), 0, -30, 100000); };
    script.actions = {Talk(0, 10000)};
    {
        test::ScopedFileSizeLimit full(46 + 3 * 16000 + 1);  // 3 s and a byte
        ASSERT_TRUE(Call());
    }
    ASSERT_THAT(journal, Contains(::testing::EndsWith("owner:disconnected")));
    EXPECT_LT(std::stoi(journal.back()), 3200) << journal.back();
    ASSERT_EQ(records.stops.size(), 1u);
    EXPECT_EQ(records.stops[0], 30000);
    EXPECT_FALSE(line->IsRecording());
    const std::string bytes = test::ReadFile(dir.Path() + "rec.wav");
    ASSERT_EQ(bytes.size(), 46u + 48000u);
    uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, bytes.data() + 42, 4);
    EXPECT_EQ(dataBytes, 48000u);
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "audio", {"rec.wav"})) << events.AllText();
}

TEST_F(LLineTest, ATransferEndsTheCallAndAFailedOneHangsUp) {
    for (const char* number : {"201", "20\n1"}) {
        SCOPED_TRACE(number);
        journal.clear();
        ASSERT_TRUE(Open());
        owner->onDigit = [&](char) { line->BlindTransfer(number); };
        script.actions = {At(1000, CallerActionKind::Press, "5")};
        const auto result = Call();
        ASSERT_TRUE(result);
        EXPECT_EQ(result->callMs, 1000);
        EXPECT_EQ(journal.back(), "1000 owner:disconnected");
    }
}

TEST_F(LLineTest, AnOutgoingCallStartsTheOwnerWhenItConnects) {
    EXPECT_FALSE(line->MakeCall("5550100"));  // not open
    ASSERT_TRUE(Open());
    CallScript party;
    party.rings = 2;
    party.actions = {At(1000, CallerActionKind::Press, "1"), At(2000, CallerActionKind::HangUp)};
    device->SetCalledParty(party);
    ASSERT_TRUE(line->MakeCall("5550100"));
    EXPECT_FALSE(line->MakeCall("5550101"));  // one call at a time
    const auto result = device->RunOutgoingCall(dispatcher);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->connected);
    EXPECT_THAT(journal,
                ElementsAre("0 owner:connected", "1000 owner:digit 1", "2000 owner:disconnected"));
    EXPECT_TRUE(line->CallerNumber().empty());
}

TEST_F(LLineTest, ASecondHandOverDuringAnEventReplacesTheFirst) {
    ASSERT_TRUE(Open());
    auto clock = [this] { return Now(); };
    owner->onDigit = [&](char) {
        if (line->ActiveCell() != owner)
            return;
        line->SetActiveCell(std::make_unique<TestCell>("first", &journal, clock));
        line->SetActiveCell(std::make_unique<TestCell>("second", &journal, clock));
        EXPECT_TRUE(line->HasPendingCell());
    };
    script.actions = {At(1000, CallerActionKind::Press, "12"), At(2000, CallerActionKind::HangUp)};
    ASSERT_TRUE(Call());
    EXPECT_THAT(AfterRings(),
                ElementsAre("0 owner:connected", "1000 owner:digit 1", "1000 first:deleted",
                            "1000 second:connected", "1150 second:digit 2",
                            "2000 second:disconnected", "2000 second:deleted"));
    EXPECT_EQ(line->ActiveCell(), nullptr);
}

TEST_F(LLineTest, ClosingDuringACallEndsItForTheCells) {
    ASSERT_TRUE(Open());
    owner->onConnected = [&] { line->Wait(100000); };
    owner->onDigit = [&](char) { line->Close(); };
    script.actions = {At(1000, CallerActionKind::Press, "1")};
    const auto result = Call();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->callMs, 1000);
    EXPECT_THAT(AfterRings(),
                ElementsAre("0 owner:connected", "1000 owner:digit 1", "1000 owner:disconnected"));
    EXPECT_THAT(journal, Not(Contains("1000 owner:waitcomplete")));
    EXPECT_FALSE(device->IsOpen());
}

}  // namespace
}  // namespace orvia
