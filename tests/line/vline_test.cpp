#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "line/vline.h"
#include "test_line.h"

namespace orvia {
namespace {

using test::TestLine;
using ::testing::ElementsAre;

// A cell that writes every event it gets, and its own destruction, into a
// shared journal as "<name>:<event>". Hooks let a test act inside an event.
class JournalCell : public LIVRCell {
public:
    JournalCell(std::string name, std::vector<std::string>* journal)
        : name_(std::move(name)), journal_(journal) {}
    ~JournalCell() override { Note("deleted"); }

    bool OnRing(int32_t count) override {
        Note("ring" + std::to_string(count));
        return count >= answerAt;
    }
    void OnConnected() override {
        Note("connected");
        if (onConnected)
            onConnected();
    }
    void OnDigit(char key) override {
        Note(std::string("digit") + key);
        if (onDigit)
            onDigit();
        // Touches the cell after the hook: a cell deleted inside the hook
        // shows up under AddressSanitizer.
        Note("digit done");
    }
    void OnPlayComplete() override { Note("playcomplete"); }
    void OnPlayLevel(int8_t db) override { Note("level" + std::to_string(db)); }
    void OnDisconnected() override {
        Note("disconnected");
        if (onDisconnected)
            onDisconnected();
    }

    int answerAt = 3;
    std::function<void()> onConnected;
    std::function<void()> onDigit;
    std::function<void()> onDisconnected;

private:
    void Note(const std::string& what) { journal_->push_back(name_ + ":" + what); }

    std::string name_;
    std::vector<std::string>* journal_;
};

// A cell that keeps every base behaviour of LIVRCell.
class PlainCell : public LIVRCell {
public:
    void OnConnected() override {}
};

class VLineTest : public ::testing::Test {
protected:
    VLineTest() {
        auto owner = std::make_unique<JournalCell>("owner", &journal);
        ownerCell = owner.get();
        line.SetOwner(std::move(owner));
    }

    std::unique_ptr<JournalCell> Cell(const std::string& name) {
        return std::make_unique<JournalCell>(name, &journal);
    }

    std::vector<std::string> journal;
    TestLine line;
    JournalCell* ownerCell = nullptr;
};

TEST_F(VLineTest, RingAsksTheOwnerAndConnectedCallReachesIt) {
    EXPECT_FALSE(line.Ring(1));
    EXPECT_TRUE(line.Ring(3));
    // Before the call connects there is no active cell: events are dropped.
    line.OnDigit('1');
    line.CallConnected();
    line.OnDigit('5');
    line.OnPlayComplete();
    line.CallEnded();
    line.OnDigit('7');
    EXPECT_THAT(journal,
                ElementsAre("owner:ring1", "owner:ring3", "owner:connected", "owner:digit5",
                            "owner:digit done", "owner:playcomplete", "owner:disconnected"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
    EXPECT_EQ(line.Owner(), ownerCell);
}

TEST_F(VLineTest, CallThatNeverConnectedStillReachesTheOwner) {
    EXPECT_TRUE(line.Ring(3));
    line.CallEnded();
    EXPECT_THAT(journal, ElementsAre("owner:ring3", "owner:disconnected"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
}

TEST_F(VLineTest, RingWithoutOwnerIsFalse) {
    TestLine bare;
    EXPECT_FALSE(bare.Ring(5));
}

TEST_F(VLineTest, PlayLevelWithoutActiveCellHangsUp) {
    line.OnPlayLevel(-20);
    EXPECT_THAT(line.Log(), ElementsAre("drop"));
    line.CallConnected();
    line.TakeLog();
    line.OnPlayLevel(-20);
    EXPECT_TRUE(line.Log().empty());
    EXPECT_EQ(journal.back(), "owner:level-20");
}

TEST_F(VLineTest, ActiveCellOutsideAnEventTakesOverAtOnceAndIsDeletedAtCallEnd) {
    line.CallConnected();
    line.TakeLog();
    journal.clear();
    line.SetActiveCell(Cell("guest"));
    EXPECT_THAT(line.Log(), ElementsAre("stop"));
    line.OnDigit('2');
    line.CallEnded();
    EXPECT_THAT(journal, ElementsAre("guest:connected", "guest:digit2", "guest:digit done",
                                     "guest:disconnected", "guest:deleted"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
}

TEST_F(VLineTest, ActiveCellDuringAnEventWaitsForTheOutermostDelivery) {
    line.CallConnected();
    journal.clear();
    ownerCell->onDigit = [&] {
        line.SetActiveCell(Cell("first"));
        // A second request during the same event replaces the first, which
        // is deleted without ever being started.
        line.SetActiveCell(Cell("second"));
        EXPECT_TRUE(line.HasPendingCell());
        // A nested event still goes to the owner.
        line.OnPlayComplete();
    };
    line.OnDigit('3');
    EXPECT_THAT(journal, ElementsAre("owner:digit3", "first:deleted", "owner:playcomplete",
                                     "owner:digit done", "second:connected"));
    EXPECT_FALSE(line.HasPendingCell());
    journal.clear();
    line.OnDigit('4');
    EXPECT_THAT(journal, ElementsAre("second:digit4", "second:digit done"));
}

TEST_F(VLineTest, NoCellDuringAnEventCancelsThePendingOne) {
    line.CallConnected();
    journal.clear();
    ownerCell->onDigit = [&] {
        line.SetActiveCell(Cell("pending"));
        line.SetActiveCell(nullptr);
    };
    line.OnDigit('1');
    EXPECT_THAT(journal, ElementsAre("owner:digit1", "pending:deleted", "owner:digit done"));
    EXPECT_EQ(line.ActiveCell(), ownerCell);
}

TEST_F(VLineTest, NoCellOutsideAnEventDropsTheCall) {
    line.CallConnected();
    line.TakeLog();
    line.SetActiveCell(nullptr);
    EXPECT_THAT(line.Log(), ElementsAre("stop", "drop"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
}

TEST_F(VLineTest, CallEndedInsideACellsOwnEventDoesNotDeleteItWhileItRuns) {
    line.CallConnected();
    line.SetActiveCell(Cell("guest"));
    auto* guest = static_cast<JournalCell*>(line.ActiveCell());
    journal.clear();
    // A line that ends the call synchronously while the guest handles a key.
    guest->onDigit = [&] { line.CallEnded(); };
    line.OnDigit('9');
    EXPECT_THAT(journal, ElementsAre("guest:digit9", "guest:disconnected", "guest:digit done",
                                     "guest:deleted"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
}

TEST_F(VLineTest, CallEndedDropsACellRequestedDuringDisconnection) {
    line.CallConnected();
    journal.clear();
    ownerCell->onDisconnected = [&] { line.SetActiveCell(Cell("late")); };
    line.CallEnded();
    EXPECT_THAT(journal, ElementsAre("owner:disconnected", "late:deleted"));
    EXPECT_EQ(line.ActiveCell(), nullptr);
}

TEST_F(VLineTest, ConnectingEndsTheCallForAGuestAndReturnsToTheOwner) {
    line.CallConnected();
    line.SetActiveCell(Cell("guest"));
    journal.clear();
    line.CallConnected();
    EXPECT_THAT(journal, ElementsAre("guest:disconnected", "guest:deleted", "owner:connected"));
    EXPECT_EQ(line.ActiveCell(), ownerCell);
}

TEST_F(VLineTest, ReplacedOwnerThatIsActiveStaysUntilReplaced) {
    line.CallConnected();
    journal.clear();
    line.SetOwner(Cell("new owner"));
    EXPECT_TRUE(journal.empty());
    line.OnDigit('1');
    line.CallEnded();
    EXPECT_THAT(journal, ElementsAre("owner:digit1", "owner:digit done", "owner:disconnected",
                                     "owner:deleted"));
    journal.clear();
    line.SetOwner(Cell("third"));
    EXPECT_THAT(journal, ElementsAre("new owner:deleted"));
}

TEST_F(VLineTest, DestructionDeletesEveryCell) {
    {
        TestLine local;
        local.SetOwner(Cell("owner2"));
        local.CallConnected();
        local.SetActiveCell(Cell("guest2"));
        journal.clear();
    }
    EXPECT_THAT(journal, ElementsAre("guest2:deleted", "owner2:deleted"));
}

TEST(LIVRCellTest, BaseBehaviourAnswersAndHangsUpAtEveryCompletion) {
    TestLine line;
    line.SetOwner(std::make_unique<PlainCell>());
    EXPECT_TRUE(line.Ring(1));
    line.CallConnected();
    line.OnDigit('1');
    line.OnFaxTone();
    EXPECT_TRUE(line.Log().empty());
    line.OnDialComplete();
    line.OnPlayComplete();
    line.OnWaitComplete();
    EXPECT_THAT(line.Log(), ElementsAre("drop", "drop", "drop"));
}

TEST(LVLineCallerIdTest, FieldsAreCutAndCleanedOfControlCharacters) {
    TestLine line;
    line.SetCallerId("0123456789012345678901234567890123456789", "Ann\r\nFake entry\x7f");
    EXPECT_EQ(line.CallerNumber(), "0123456789012345678901234567890");
    EXPECT_EQ(line.CallerName(), "AnnFake entry");
    line.SetCallerId(std::string_view("55\0"
                                      "5",
                                      4),
                     "");
    EXPECT_EQ(line.CallerNumber(), "555");
    line.ClearCallerId();
    EXPECT_EQ(line.CallerNumber(), "");
    EXPECT_EQ(line.CallerName(), "");
}

}  // namespace
}  // namespace orvia
