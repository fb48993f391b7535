#include "store/call_log.h"

#include <gtest/gtest.h>

#include "platform/files/text_file.h"
#include "platform/time/clock.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;

class CallLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(dir.Path()));
        ASSERT_TRUE(Store().CreateFolders());
    }
    TempDir dir;
    ScopedFixedClock clock{MakeLocalSeconds({2026, 3, 7, 9, 5, 1, 0})};
};

TEST_F(CallLogTest, DailyLogHeaderThenEntries) {
    WriteDailyLog("Line 0 5551234 [Answered]");
    clock.Advance(65);
    WriteDailyLog("Line 0  [Not Answered]");  // no caller id: two blanks
    const std::string path = Store().Logs() + "Log 26-03-07.txt";
    EXPECT_EQ(DailyLogPath(LocalNow()), path);
    EXPECT_EQ(ReadFile(path),
              "Orvia Log for 2026-03-07\r\nCreated by Orvia\r\n"
              "Times are the local time of the answering machine.\r\n"
              "\r\n09-05-01 Line 0 5551234 [Answered]"
              "\r\n09-06-06 Line 0  [Not Answered]");
}

TEST_F(CallLogTest, EachDayHasItsOwnFile) {
    WriteDailyLog("Orvia Run");
    clock.Advance(24 * 3600);
    WriteDailyLog("Orvia Exit");
    EXPECT_TRUE(FileExists(Store().Logs() + "Log 26-03-07.txt"));
    const std::string next = ReadFile(Store().Logs() + "Log 26-03-08.txt");
    EXPECT_EQ(next.rfind("Orvia Log for 2026-03-08\r\n", 0), 0u);
    EXPECT_NE(next.find("\r\n09-05-01 Orvia Exit"), std::string::npos);
}

TEST_F(CallLogTest, SpecialLogHeaderThenLines) {
    const std::string path = Store().Logs() + "Sales.txt";
    WriteSpecialLog(path, "03/07/26,09:05:01,Line 0,5551234");
    WriteSpecialLog(path, "second");
    EXPECT_EQ(ReadFile(path),
              "Log\r\nCreated by Orvia\r\n"
              "Times are the local time of the answering machine.\r\n"
              "\r\n03/07/26,09:05:01,Line 0,5551234\r\nsecond");
}

// Entries carry text from outside (call variables a plug-in set, the caller
// id in a log-line template): a line break or another control character in
// it never starts an entry of its own.
TEST_F(CallLogTest, ControlCharactersInAnEntryBecomeBlanks) {
    struct Case {
        const char* text;
        const char* logged;
    };
    const Case cases[] = {
        {"John\r\n03/07/26,09:05:01,Line 1,forged", "John  03/07/26,09:05:01,Line 1,forged"},
        {"a\nb\rc", "a b c"},
        {"\x1b[2Jbell\x07", " [2Jbell "},
        {"tab\tkept", "tab\tkept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        const std::string special = Store().Logs() + "Special.txt";
        ASSERT_TRUE(RemoveFileIfPresent(special));
        WriteSpecialLog(special, c.text);
        const std::string text = ReadFile(special);
        EXPECT_EQ(text.substr(text.rfind("\r\n") + 2), c.logged);

        ASSERT_TRUE(RemoveFileIfPresent(DailyLogPath(LocalNow())));
        WriteDailyLog(c.text);
        const std::string daily = ReadFile(DailyLogPath(LocalNow()));
        EXPECT_EQ(daily.substr(daily.rfind("\r\n") + 2), std::string("09-05-01 ") + c.logged);
    }
}

TEST_F(CallLogTest, UnwritableLogLosesTheEntryQuietly) {
    WriteSpecialLog(dir.Path() + "no/such/folder/x.txt", "lost");
    EXPECT_FALSE(FileExists(dir.Path() + "no"));
    // A dangling link is not followed to create a file elsewhere.
    const std::string link = Store().Logs() + "link.txt";
    ASSERT_EQ(::symlink((dir.Path() + "target.txt").c_str(), link.c_str()), 0);
    WriteSpecialLog(link, "lost");
    EXPECT_FALSE(FileExists(dir.Path() + "target.txt"));
}

}  // namespace
}  // namespace orvia
