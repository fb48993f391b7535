// The answering decision at each ring: rings needed, toll saver, auto-hours,
// the line's OGM override, the daily log entry and the caller-id flash.
#include <string>

#include "engine/ivr_notify.h"
#include "engine/ogm_files.h"
#include "engine_fixture.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class AnswerTest : public EngineTest {
protected:
    AnswerTest() {
        for (const char* name : {kDefaultOgmName, "Office", "LineOGM", "Main"}) {
            EmptyOgm(name);
            Recording(name);
        }
    }

    // Connects the answered call and returns what it played first.
    std::string ConnectedPlay() {
        line.CallConnected();
        std::vector<std::string> ops = Ops();
        return ops.empty() ? "" : ops.front();
    }
};

TEST_F(AnswerTest, DecidingRingIsLoggedOnceAndEarlierRingsNotAtAll) {
    line.SetCallerId("5551234", "");
    EXPECT_FALSE(line.Ring(1));
    EXPECT_FALSE(line.Ring(2));
    EXPECT_EQ(DailyLogText(), "");
    EXPECT_TRUE(line.Ring(3));
    EXPECT_THAT(DailyLogText(), EndsWith("\r\n10-00-00 line0 5551234 [Answered]"));
    EXPECT_EQ(Count(DailyLogText(), "[Answered]"), 1);
    EXPECT_EQ(ConnectedPlay(), PlayOf(kDefaultOgmName));
}

TEST_F(AnswerTest, DeclinedCallIsAskedAgainAtEveryRingButLoggedOnce) {
    Setting("state", "on", "false");
    Setting("line0", "name", "Front Desk");
    EXPECT_EQ(line.RingUntilAnswered(6), 0);
    EXPECT_EQ(Count(DailyLogText(), "[Not Answered]"), 1);
    EXPECT_THAT(DailyLogText(), EndsWith("Front Desk  [Not Answered]"));
    // Answering switched on between rings takes effect at the next ring.
    Setting("state", "on", "true");
    EXPECT_TRUE(line.Ring(7));
    EXPECT_EQ(Count(DailyLogText(), "[Answered]"), 0);
}

TEST_F(AnswerTest, MissingOrRefusedOgmLeavesTheCallUnanswered) {
    Setting("settings", "ogm", "No Such OGM");
    EXPECT_EQ(line.RingUntilAnswered(5), 0);
    Ogm("Main", "enabled", "true", "cid");
    Ogm("Main", "cidscanmode", "1", "cid");
    Ogm("Main", "mode", "2", "cid");
    Setting("settings", "ogm", "Main");
    EXPECT_EQ(line.RingUntilAnswered(5), 0);
    EXPECT_EQ(Count(DailyLogText(), "[Not Answered]"), 2);
}

TEST_F(AnswerTest, RingsNeededFollowNringsOrTheTollSaver) {
    struct Case {
        const char* nrings;
        const char* tollsaver;
        const char* newmessages;
        int answeredAt;
    } cases[] = {
        {nullptr, nullptr, nullptr, 3}, {"5", nullptr, nullptr, 5}, {"7", "true", "true", 3},
        {"2", "True", "false", 5},      {"2", "TRUE", nullptr, 5},  {"4", "yes", "true", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("nrings ") + (c.nrings ? c.nrings : "-") + " tollsaver " +
                     (c.tollsaver ? c.tollsaver : "-"));
        ASSERT_TRUE(WriteFile(Store().SettingsFile(), ""));
        if (c.nrings)
            Setting("settings", "nrings", c.nrings);
        if (c.tollsaver)
            Setting("settings", "tollsaver", c.tollsaver);
        if (c.newmessages)
            Setting("state", "newmessages", c.newmessages);
        EXPECT_EQ(line.RingUntilAnswered(10), c.answeredAt);
    }
}

TEST_F(AnswerTest, AutoHoursWithDefaultsRefusesWeekdayOfficeHoursOnly) {
    Setting("autohours", "enabled", "true");
    struct Case {
        int weekday, hour, minute, second;
        bool answered;
    } cases[] = {
        {1, 8, 59, 59, true}, {1, 9, 0, 0, false}, {3, 12, 0, 0, false}, {5, 16, 59, 59, false},
        {5, 17, 0, 0, true},  {6, 12, 0, 0, true}, {0, 10, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("weekday " + std::to_string(c.weekday) + " " + std::to_string(c.hour) + ":" +
                     std::to_string(c.minute) + ":" + std::to_string(c.second));
        clock.Set(WeekdayAt(c.weekday, c.hour, c.minute, c.second));
        EXPECT_EQ(line.RingUntilAnswered(3) == 3, c.answered);
    }
}

TEST_F(AnswerTest, AutoHoursUsesWeekendTimesAndNamedOgms) {
    Setting("autohours", "enabled", "true");
    Setting("autohours", "satopen", "10:00:00");
    Setting("autohours", "satclose", "2:00pm");
    Setting("autohours", "duringmode", "1");
    Setting("autohours", "duringogm", "Office");
    Setting("autohours", "aftermode", "1");
    Setting("autohours", "afterogm", "Main");
    clock.Set(WeekdayAt(6, 13, 59, 59));
    ASSERT_EQ(line.RingUntilAnswered(3), 3);
    EXPECT_EQ(ConnectedPlay(), PlayOf("Office"));
    line.HangUpCall();
    clock.Set(WeekdayAt(6, 14, 0, 0));
    ASSERT_EQ(line.RingUntilAnswered(3), 3);
    EXPECT_EQ(ConnectedPlay(), PlayOf("Main"));
}

TEST_F(AnswerTest, LineOverrideReplacesTheOgmButNotTheDecisionNotToAnswer) {
    Setting("settings", "ogm", "Main");
    Setting("autohours", "enabled", "true");
    Setting("autohours", "aftermode", "1");
    Setting("autohours", "afterogm", "Office");
    Setting("line0", "ogmoverride", "true");
    Setting("line0", "ogm", "LineOGM");
    clock.Set(MondayAt(20));
    ASSERT_EQ(line.RingUntilAnswered(3), 3);
    EXPECT_EQ(ConnectedPlay(), PlayOf("LineOGM"));
    line.HangUpCall();
    // Within hours the default "duringmode" 2 does not answer; the override
    // does not change that.
    clock.Set(MondayAt(10));
    EXPECT_EQ(line.RingUntilAnswered(5), 0);
    // Another line's override does not apply to this one.
    Setting("autohours", "enabled", "false");
    Setting("line0", "ogmoverride", "false");
    Setting("line1", "ogmoverride", "true");
    ASSERT_EQ(line.RingUntilAnswered(3), 3);
    EXPECT_EQ(ConnectedPlay(), PlayOf("Main"));
}

TEST_F(AnswerTest, CallerIdIsFlashedAtTheSecondRing) {
    Setting("line0", "name", "Line 1");
    line.RingUntilAnswered(3, "5551234", "Ann Smith");
    ASSERT_EQ(notify.notices.size(), 1u);
    EXPECT_EQ(notify.notices[0].message, kMsgCallerIdFlash);
    EXPECT_EQ(notify.notices[0].text, "Line 1\r\n5551234\r\nAnn Smith");
    EXPECT_FALSE(notify.notices[0].posted);

    notify.notices.clear();
    line.RingUntilAnswered(3, "", "");
    Setting("line0", "cidflash", "false");
    line.RingUntilAnswered(3, "5551234", "");
    EXPECT_TRUE(notify.notices.empty());
}

TEST_F(AnswerTest, NoMainWindowMeansNoNotices) {
    TestLine other;
    other.SetOwner(std::make_unique<StandInEngine>(1, nullptr));
    EXPECT_EQ(other.RingUntilAnswered(3, "555", "Bob"), 3);
}

TEST_F(AnswerTest, AcceptingACallClearsTheCallVariables) {
    Ogm("Main", "type", "enternumber");
    Ogm("Main", "log", "true");
    Ogm("Main", "logname", "Calls");
    Ogm("Main", "logline", "[%number%]");
    Ogm("Main", "press#", "go");
    Ogm("Main", "press#go", "Main");
    Setting("settings", "ogm", "Main");
    ASSERT_TRUE(line.Answer());
    Keys("42#");
    line.HangUpCall();
    ASSERT_TRUE(line.Answer());
    EXPECT_EQ(SpecialLogEntries("Calls"), "\r\n[]\r\n[42]\r\n[]");
}

}  // namespace
}  // namespace orvia::test
