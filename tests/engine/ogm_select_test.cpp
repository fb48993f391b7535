// OGM selection: the date-time and caller-id conditions, redirections,
// refusals, loops and the 33-examination limit.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/ogm_files.h"
#include "engine/ogm_select_p.h"
#include "engine_fixture.h"
#include "platform/files/text_file.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

TEST(CallerIdConditionTest, ScanModes) {
    struct Case {
        int mode;
        const char* number;
        const char* text;
        bool holds;
    } cases[] = {
        {0, "0123", "0", true},     {0, "123", "0", false}, {0, "12", "123", false},
        {1, "5550123", "01", true}, {1, "555", "9", false}, {1, "", "", true},
        {2, "0123", "0", false},    {2, "123", "0", true},  {3, "5550123", "01", false},
        {3, "555", "9", true},      {0, "", "", true},      {0, "ABC", "abc", false},
        {4, "0123", "0", false},    {-1, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " \"" + c.number + "\" \"" + c.text + "\"");
        EXPECT_EQ(CallerIdConditionHolds(c.mode, c.number, c.text), c.holds);
    }
}

class DateTimeCheckTest : public EngineTest {};

TEST_F(DateTimeCheckTest, WindowsWeekdaysAndValidity) {
    const std::string file = OgmPath("Timed");
    struct Case {
        std::vector<std::pair<const char*, const char*>> keys;
        int64_t now;
        bool passes;
    } cases[] = {
        {{}, MondayAt(3), true},
        {{{"todstart", "22:00:00"}, {"todend", "06:00:00"}}, MondayAt(23, 30), true},
        {{{"todstart", "22:00:00"}, {"todend", "06:00:00"}}, MondayAt(5, 59, 59), true},
        {{{"todstart", "22:00:00"}, {"todend", "06:00:00"}}, MondayAt(6), false},
        {{{"todstart", "22:00:00"}, {"todend", "06:00:00"}}, MondayAt(21, 59, 59), false},
        {{{"todstart", "09:00:00"}, {"todend", "17:00:00"}}, MondayAt(9), true},
        {{{"todstart", "09:00:00"}, {"todend", "17:00:00"}}, MondayAt(17), false},
        {{{"todstart", "09:00:00"}, {"todend", "09:00:00"}}, MondayAt(9), false},
        {{{"weekdays", "62"}}, WeekdayAt(5, 12), true},
        {{{"weekdays", "62"}}, WeekdayAt(6, 12), false},
        {{{"weekdays", "62"}}, WeekdayAt(0, 12), false},
        {{{"weekdays", "255"}}, WeekdayAt(6, 12), true},
        {{{"weekdays", "128"}}, WeekdayAt(3, 12), false},
        {{{"commence", "15/01/24-10:00:00"}}, MondayAt(10), true},
        {{{"commence", "15/01/24-10:00:00"}}, MondayAt(9, 59, 59), false},
        {{{"expire", "15/01/24-10:00:00"}}, MondayAt(10), false},
        {{{"expire", "15/01/24-10:00:00"}}, MondayAt(9, 59, 59), true},
        {{{"commence", "IMMEDIATE"}, {"expire", "NEVER"}}, MondayAt(0), true},
        // Dates that recur every year ("YY") are compared within the year.
        {{{"commence", "14/01/YY-00:00:00"}, {"expire", "16/01/YY-00:00:00"}}, MondayAt(10), true},
        {{{"commence", "15/01/YY-10:00:01"}, {"expire", "16/01/YY-00:00:00"}}, MondayAt(10), false},
        {{{"commence", "01/01/YY-00:00:00"}, {"expire", "15/01/YY-10:00:00"}}, MondayAt(10), false},
        {{{"expire", "15/01/YY-10:00:01"}}, MondayAt(10), true},
        // Over the new year: 20 December to 16 January.
        {{{"commence", "20/12/YY-00:00:00"}, {"expire", "16/01/YY-00:00:00"}}, MondayAt(10), true},
        {{{"commence", "20/12/YY-00:00:00"}, {"expire", "10/01/YY-00:00:00"}}, MondayAt(10), false},
        // A yearly start with an absolute end.
        {{{"commence", "14/01/YY-00:00:00"}, {"expire", "14/01/24-00:00:00"}}, MondayAt(10), false},
    };
    for (const Case& c : cases) {
        std::string trace;
        for (const auto& [key, value] : c.keys)
            trace += std::string(key) + "=" + value + " ";
        SCOPED_TRACE(c.keys.empty() ? std::string("defaults") : trace);
        std::string text = "[datetime]\n";
        for (const auto& [key, value] : c.keys)
            text += std::string(key) + "=" + value + "\n";
        OgmText("Timed", text);
        EXPECT_EQ(DateTimeCheckPasses(file, c.now), c.passes);
    }
}

class SelectOgmTest : public EngineTest {
protected:
    std::optional<std::string> Resolve(const std::string& name, const std::string& caller = "") {
        TemplateContext context;
        context.callerNumber = caller;
        context.lineSection = "line0";
        return ResolveOGM(name, context, LocalNow());
    }
    std::optional<std::string> Path(const std::string& name) { return OgmPath(name); }

    // An OGM that sends every call on to target.
    void Redirect(const std::string& name, const std::string& target,
                  const std::string& moreText = "") {
        OgmText(name,
                moreText + "[cid]\nenabled=true\ncidscanmode=1\nmode=1\nogm=" + target + "\n");
    }
};

TEST_F(SelectOgmTest, ExistingOgmWithoutConditionsIsAccepted) {
    EmptyOgm("Plain");
    EXPECT_EQ(Resolve("Plain"), Path("Plain"));
    EXPECT_EQ(Resolve("Absent"), std::nullopt);
    ASSERT_TRUE(MakeFolders(Store().OGMs() + "Folder.ini"));
    EXPECT_EQ(Resolve("Folder"), std::nullopt);
}

TEST_F(SelectOgmTest, FailedDateTimeCheckFollowsFailmode) {
    EmptyOgm("Weekline0");
    EmptyOgm("CidTarget");
    clock.Set(WeekdayAt(6, 12));
    struct Case {
        const char* failmode;
        std::optional<std::string> result;
    } cases[] = {
        // Carrying on reaches this OGM's own caller-id check, which redirects.
        {"0", Path("CidTarget")},
        {"7", Path("CidTarget")},
        // A redirection skips this OGM's caller-id check.
        {"1", Path("Weekline0")},
        {"2", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("failmode ") + c.failmode);
        Redirect("Weekdays", "CidTarget",
                 std::string("[datetime]\nenabled=true\nweekdays=62\nfailmode=") + c.failmode +
                     "\nfailogm=Week%linename%\n");
        EXPECT_EQ(Resolve("Weekdays", "5550"), c.result);
    }
}

TEST_F(SelectOgmTest, RedirectedOgmsOwnConditionsApply) {
    Ogm("Weekdays", "enabled", "true", "datetime");
    Ogm("Weekdays", "weekdays", "62", "datetime");
    Ogm("Weekdays", "failmode", "1", "datetime");
    Ogm("Weekdays", "failogm", "Weekend", "datetime");
    Ogm("Weekend", "enabled", "true", "cid");
    Ogm("Weekend", "cid", "0", "cid");
    Ogm("Weekend", "mode", "2", "cid");
    clock.Set(WeekdayAt(6, 12));
    EXPECT_EQ(Resolve("Weekdays", "5550"), Path("Weekend"));
    EXPECT_EQ(Resolve("Weekdays", "0555"), std::nullopt);
    clock.Set(WeekdayAt(2, 12));
    EXPECT_EQ(Resolve("Weekdays", "0555"), Path("Weekdays"));
}

TEST_F(SelectOgmTest, CallerIdCheckAcceptsRedirectsOrRefuses) {
    struct Case {
        const char* mode;
        const char* caller;
        std::optional<std::string> result;
    } cases[] = {
        {"0", "0555", Path("Screen")}, {"1", "0555", Path("Sales")},  {"2", "0555", std::nullopt},
        {"9", "0555", Path("Screen")}, {"2", "5550", Path("Screen")}, {"1", "5550", Path("Screen")},
    };
    EmptyOgm("Sales");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.caller);
        OgmText("Screen",
                std::string("[cid]\nenabled=true\ncid=0\nogm=Sales\nmode=") + c.mode + "\n");
        EXPECT_EQ(Resolve("Screen", c.caller), c.result);
    }
}

TEST_F(SelectOgmTest, RedirectionToAnEmptyNameIsRefused) {
    Redirect("Skip", "");
    EXPECT_EQ(Resolve("Skip"), std::nullopt);
}

TEST_F(SelectOgmTest, LoopsEndAfterThirtyThreeExaminations) {
    Redirect("Ping", "Pong");
    Redirect("Pong", "Ping");
    EXPECT_EQ(Resolve("Ping"), std::nullopt);

    // Step0 ... Step32: 33 names, the last without conditions.
    for (int i = 0; i < 32; ++i)
        Redirect("Step" + std::to_string(i), "Step" + std::to_string(i + 1));
    EmptyOgm("Step32");
    EXPECT_EQ(Resolve("Step0"), Path("Step32"));
    // One more redirection is one examination too many.
    Redirect("Step32", "Step33");
    EmptyOgm("Step33");
    EXPECT_EQ(Resolve("Step0"), std::nullopt);
    EXPECT_EQ(Resolve("Step1"), Path("Step33"));
}

TEST_F(SelectOgmTest, NamesFromTheCallerNeverLeaveTheOgmsFolder) {
    // An OGM-like file one folder up and one in a sub-folder.
    ASSERT_TRUE(WriteFile(dir.Path() + "settings.ini", ""));
    ASSERT_TRUE(MakeFolders(Store().OGMs() + "sub"));
    ASSERT_TRUE(WriteFile(Store().OGMs() + "sub/Inner.ini", ""));
    // Files that the names "." and ".." would reach.
    ASSERT_TRUE(WriteFile(Store().OGMs() + "..ini", ""));
    ASSERT_TRUE(WriteFile(Store().OGMs() + "...ini", ""));
    Redirect("ByCaller", "%cid%");
    EmptyOgm("555");
    struct Case {
        const char* caller;
        std::optional<std::string> result;
    } cases[] = {
        {"555", Path("555")}, {"../settings", std::nullopt}, {"sub/Inner", std::nullopt},
        {"..", std::nullopt}, {".", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caller);
        EXPECT_EQ(Resolve("ByCaller", c.caller), c.result);
    }
    EXPECT_EQ(Resolve("sub/Inner"), std::nullopt);
}

}  // namespace
}  // namespace orvia::test
