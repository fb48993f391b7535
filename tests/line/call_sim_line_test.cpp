// The Call Test Simulator's line: rings until the owner accepts, keys from
// the keypad, the simulator's caller id, and its audio on the chosen sound
// devices.
#include "line/call_sim_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/stub_source.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_registry.h"
#include "test_cell.h"

namespace orvia {
namespace {

using ::testing::ElementsAre;

class CallSimLineTest : public ::testing::Test {
protected:
    CallSimLineTest() {
        auto cell = std::make_unique<test::TestCell>("owner", &journal, nullptr);
        owner = cell.get();
        line.SetOwner(std::move(cell));
        line.SetConnectionChanged([this] { changes.push_back(line.IsConnected()); });
        line.SetPlayDevice(1);
        line.SetRecordDevice(1);
    }

    // Runs posted work until the predicate holds (bounded in real time).
    bool RunUntil(const std::function<bool()>& done) { return dispatcher.RunUntil(done, 10000); }

    StepDispatcher dispatcher;
    ScopedCurrentDispatcher current{&dispatcher};
    std::shared_ptr<FastTestDevice> speakers = std::make_shared<FastTestDevice>("Speakers");
    std::shared_ptr<FastTestDevice> other = std::make_shared<FastTestDevice>("Other");
    ScopedWaveDevice out0{WaveDirection::Output, 0, other};
    ScopedWaveDevice out1{WaveDirection::Output, 1, speakers};
    ScopedWaveDevice in1{WaveDirection::Input, 1, speakers};
    std::vector<std::string> journal;
    std::vector<bool> changes;
    LCallSimLine line;
    test::TestCell* owner = nullptr;
};

TEST_F(CallSimLineTest, ConnectsAtTheFirstRingTheOwnerAccepts) {
    owner->answerAt = 3;
    std::vector<std::string> callerIds;
    owner->onRing = [&](int) {
        callerIds.push_back(line.CallerNumber() + "/" + line.CallerName());
    };
    line.PressKey('1');  // not connected: nothing
    ASSERT_TRUE(line.ConnectCall());
    EXPECT_TRUE(line.IsConnected());
    EXPECT_FALSE(line.ConnectCall());
    line.PressKey('#');
    line.HangUp();
    EXPECT_THAT(journal,
                ElementsAre("0 owner:ring 0", "0 owner:ring 1", "0 owner:ring 2", "0 owner:ring 3",
                            "0 owner:connected", "0 owner:digit #", "0 owner:disconnected"));
    EXPECT_THAT(callerIds, ElementsAre("5555555555/Simulator", "5555555555/Simulator",
                                       "5555555555/Simulator", "5555555555/Simulator"));
    EXPECT_THAT(changes, ElementsAre(true, false));
}

TEST_F(CallSimLineTest, AnOwnerThatNeverAcceptsIsRungUpToFortyNine) {
    owner->answerAt = 50;
    EXPECT_FALSE(line.ConnectCall());
    EXPECT_FALSE(line.IsConnected());
    EXPECT_EQ(journal.size(), 50u);
    EXPECT_EQ(journal.back(), "0 owner:ring 49");
    EXPECT_TRUE(changes.empty());
}

TEST_F(CallSimLineTest, ATransferHangsUpAndDigitsMakeNoEvent) {
    owner->answerAt = 0;
    owner->onConnected = [&] { line.GenerateDigits("!,201"); };
    ASSERT_TRUE(line.ConnectCall());
    dispatcher.RunPending();
    EXPECT_TRUE(line.IsConnected());
    line.BlindTransfer("201");
    EXPECT_FALSE(line.IsConnected());
    EXPECT_THAT(journal,
                ElementsAre("0 owner:ring 0", "0 owner:connected", "0 owner:disconnected"));
}

TEST_F(CallSimLineTest, PlaysGoToTheDeviceChosenAtTheTimeOfThePlay) {
    owner->answerAt = 0;
    int completed = 0;
    owner->onPlayComplete = [&] { ++completed; };
    ASSERT_TRUE(line.ConnectCall());
    line.Play(MakeSilence(800, 8000, 1));
    ASSERT_TRUE(RunUntil([&] { return completed == 1; }));
    // (The line's rate conversion may add a frame at the end.)
    const uint64_t played = speakers->PlayedSamples();
    EXPECT_GE(played, 800u);
    EXPECT_LE(played, 801u);
    EXPECT_EQ(other->PlayedSamples(), 0u);

    line.SetPlayDevice(0);
    line.Wait(2000);  // 0.2 s of silence: 1600 frames
    ASSERT_TRUE(RunUntil([&] { return journal.back() == "0 owner:waitcomplete"; }));
    EXPECT_EQ(other->PlayedSamples(), 1600u);
    EXPECT_EQ(speakers->PlayedSamples(), played);

    // A play on a device that does not exist completes at once.
    line.SetPlayDevice(5);
    line.Play(MakeSilence(800, 8000, 1));
    EXPECT_EQ(completed, 2);
    line.HangUp();
}

}  // namespace
}  // namespace orvia
