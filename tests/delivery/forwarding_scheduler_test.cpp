// The forwarding scheduler's decisions, with a fixed clock and a fake line.
#include "delivery/forwarding_scheduler.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/time/clock.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

constexpr int64_t kNow = 1700000000;

class FakeLine : public ForwardingLine {
public:
    bool IsOpen() const override { return open; }
    bool IsBusy() const override { return busy; }
    void MakeCall(const std::string& number) override { calls.push_back(number); }

    bool open = true;
    bool busy = false;
    std::vector<std::string> calls;
};

class FakeHost : public ForwardingHost {
public:
    ForwardingLine* FirstLine() override { return hasLine ? &line : nullptr; }
    void SetForwardMailbox(const std::string& mailboxFile) override {
        forwardMailbox = mailboxFile;
    }

    bool hasLine = true;
    FakeLine line;
    std::string forwardMailbox;
};

class ForwardingTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
        SetWaiting(true);
    }

    void SetWaiting(bool waiting) {
        ASSERT_TRUE(
            WriteProfileBool(Store().SettingsFile(), "state", "unforwardedmessages", waiting));
    }
    std::string Waiting() const {
        return ReadProfileString(Store().SettingsFile(), "state", "unforwardedmessages", "");
    }

    // A mailbox that forwards to number and has messages waiting.
    std::string Mailbox(const std::string& name, const std::string& number) {
        const std::string mbx = Store().MailBoxes() + name + ".mbx";
        EXPECT_TRUE(WriteProfileBool(mbx, "mbx", "forwardtel", true));
        EXPECT_TRUE(WriteProfileBool(mbx, "mbx", "unforwardedmessages", true));
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "forwardnumber", number));
        return mbx;
    }

    test::TempDir data_;
    ScopedFixedClock clock_{kNow};
    FakeHost host_;
};

TEST_F(ForwardingTest, CallsTheFirstDueMailboxAndRecordsTheAttempt) {
    const std::string sales = Mailbox("Sales", "5550100");
    const std::string support = Mailbox("Support", "5550200");

    EXPECT_TRUE(RunForwardingScheduler(host_));

    ASSERT_EQ(host_.line.calls, std::vector<std::string>{"5550100"});
    EXPECT_EQ(host_.forwardMailbox, sales);
    EXPECT_EQ(ReadProfileInt(sales, "mbx", "forwardattempts", -1), 1);
    EXPECT_EQ(ReadProfileInt(sales, "mbx", "forwardedattempttime", -1), kNow);
    EXPECT_EQ(ReadProfileInt(support, "mbx", "forwardattempts", -1), -1);
    EXPECT_EQ(Waiting(), "true");

    // Sales now waits 20 minutes; Support's turn comes at the next run.
    clock_.Advance(7);
    EXPECT_TRUE(RunForwardingScheduler(host_));
    EXPECT_EQ(host_.line.calls, (std::vector<std::string>{"5550100", "5550200"}));
    EXPECT_EQ(host_.forwardMailbox, support);
}

TEST_F(ForwardingTest, AttemptsAndWaitDecideWhetherToCall) {
    const struct {
        const char* what;
        int attempts;
        int maxAttempts;  // -1: key missing (2)
        int waitMins;     // -1: key missing (20)
        int64_t secondsSinceLast;
        bool calls;
    } cases[] = {
        {"first attempt", 0, -1, -1, kNow, true},
        {"second attempt after the wait", 1, -1, -1, 20 * 60 + 1, true},
        {"exactly the wait is not enough", 1, -1, -1, 20 * 60, false},
        {"attempts used up", 2, -1, -1, 3600, false},
        {"more attempts allowed", 2, 3, -1, 3600, true},
        {"no attempts at all", 0, 0, -1, kNow, false},
        {"shorter wait", 1, -1, 1, 61, true},
        {"huge wait does not overflow", 1, -1, 2147483647, 3600, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host_.line.calls.clear();
        SetWaiting(true);
        std::remove((Store().MailBoxes() + "Box.mbx").c_str());
        const std::string mbx = Mailbox("Box", "123");
        ASSERT_TRUE(WriteProfileInt(mbx, "mbx", "forwardattempts", c.attempts));
        if (c.maxAttempts >= 0) {
            ASSERT_TRUE(WriteProfileInt(mbx, "mbx", "maxforwardattempts", c.maxAttempts));
        }
        if (c.waitMins >= 0) {
            ASSERT_TRUE(WriteProfileInt(mbx, "mbx", "forwardfailwaitmins", c.waitMins));
        }
        ASSERT_TRUE(WriteProfileInt(mbx, "mbx", "forwardedattempttime", kNow - c.secondsSinceLast));

        // Waiting mailboxes keep the timer running, called or not.
        EXPECT_TRUE(RunForwardingScheduler(host_));

        EXPECT_EQ(host_.line.calls.size(), c.calls ? 1u : 0u);
        EXPECT_EQ(ReadProfileInt(mbx, "mbx", "forwardattempts", -1),
                  c.calls ? c.attempts + 1 : c.attempts);
        EXPECT_EQ(Waiting(), "true");
    }
}

TEST_F(ForwardingTest, NothingWaitingClearsTheFlagAndStopsTheTimer) {
    const std::string done = Mailbox("Done", "1");
    ASSERT_TRUE(WriteProfileBool(done, "mbx", "unforwardedmessages", false));
    const std::string off = Mailbox("Off", "2");
    ASSERT_TRUE(WriteProfileBool(off, "mbx", "forwardtel", false));

    EXPECT_FALSE(RunForwardingScheduler(host_));
    EXPECT_TRUE(host_.line.calls.empty());
    EXPECT_EQ(Waiting(), "false");

    // With the flag off the mailboxes are not even looked at.
    Mailbox("Waiting", "3");
    EXPECT_FALSE(RunForwardingScheduler(host_));
    EXPECT_TRUE(host_.line.calls.empty());
}

TEST_F(ForwardingTest, NoLineOrABusyLineWaitsForTheNextRun) {
    const std::string mbx = Mailbox("Box", "5550100");
    host_.hasLine = false;
    EXPECT_TRUE(RunForwardingScheduler(host_));
    host_.hasLine = true;
    host_.line.busy = true;
    EXPECT_TRUE(RunForwardingScheduler(host_));
    EXPECT_TRUE(host_.line.calls.empty());
    EXPECT_EQ(ReadProfileInt(mbx, "mbx", "forwardattempts", -1), -1);

    // A closed line only has its calls fail; the attempt still counts.
    host_.line.open = false;
    EXPECT_TRUE(RunForwardingScheduler(host_));
    EXPECT_EQ(host_.line.calls.size(), 1u);
    EXPECT_EQ(ReadProfileInt(mbx, "mbx", "forwardattempts", -1), 1);
}

TEST_F(ForwardingTest, AttemptThatCannotBeRecordedPlacesNoCall) {
    const std::string mbx = Mailbox("Box", "5550100");
    profile_testing::SetBeforeRenameHook([] { return false; });
    EXPECT_TRUE(RunForwardingScheduler(host_));
    profile_testing::SetBeforeRenameHook(nullptr);
    EXPECT_TRUE(host_.line.calls.empty());
}

}  // namespace
}  // namespace orvia
