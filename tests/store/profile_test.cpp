#include "store/profile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/files/text_file.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class ProfileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.Path() + "test.ini";
};

TEST_F(ProfileTest, ReadsWithDefaultsCaseAndBlanks) {
    ASSERT_TRUE(WriteFile(file,
                          "; a comment\n"
                          "[Settings]\n"
                          "  NRings =  5  \n"
                          "empty=\n"
                          "[other]\n"
                          "nrings=9\n"));
    EXPECT_EQ(ReadProfileString(file, "settings", "nrings", "3"), "5");
    EXPECT_EQ(ReadProfileString(file, "SETTINGS", "NRINGS", "3"), "5");
    EXPECT_EQ(ReadProfileString(file, "settings", "empty", "x"), "");
    EXPECT_EQ(ReadProfileString(file, "settings", "missing", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(file, "nosection", "nrings", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(dir.Path() + "nofile.ini", "settings", "nrings", "d"), "d");
    EXPECT_EQ(ReadProfileString(file, "other", "nrings", ""), "9");
    EXPECT_FALSE(ReadProfileValue(file, "settings", "missing").has_value());
}

TEST_F(ProfileTest, ValuesAreCutTo258Characters) {
    const std::string longValue(300, 'v');
    ASSERT_TRUE(WriteProfileString(file, "s", "k", longValue));
    EXPECT_EQ(ReadProfileString(file, "s", "k", ""), std::string(258, 'v'));
    EXPECT_EQ(ReadProfileString(file, "s", "missing", longValue).size(), 258u);
}

TEST_F(ProfileTest, WriteCreatesFileAndSection) {
    ASSERT_TRUE(WriteProfileString(file, "settings", "ogm", "Welcome"));
    ASSERT_TRUE(WriteProfileString(file, "state", "on", "true"));
    EXPECT_EQ(ReadFile(file), "[settings]\nogm=Welcome\n[state]\non=true\n");
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLineAndItsLineEnds) {
    const std::string original =
        "; kept comment\r\n"
        "[Settings]\r\n"
        "NRings=3\r\n"
        "ogm=Default\r\n"
        "\r\n"
        "[state]\r\n"
        "on=true\r\n";
    ASSERT_TRUE(WriteFile(file, original));
    ASSERT_TRUE(
        WriteProfileString(file, "settings", "nrings", "5"));  // in place, key spelling kept
    ASSERT_TRUE(WriteProfileString(file, "settings", "tollsaver", "true"));  // end of section
    EXPECT_EQ(ReadFile(file),
              "; kept comment\r\n"
              "[Settings]\r\n"
              "NRings=5\r\n"
              "ogm=Default\r\n"
              "tollsaver=true\r\n"
              "\r\n"
              "[state]\r\n"
              "on=true\r\n");
}

// Each replacement is a new file (a new inode): what is written counts, and a
// write that changes nothing leaves the file alone.
TEST_F(ProfileTest, SeveralKeysGoInOneReplacementAndAnUnchangedValueInNone) {
    auto inode = [&] {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    ASSERT_TRUE(WriteProfileKeys(file, "message",
                                 {{"read", "false"}, {"cid", "5551234"}, {"cidname", "A=B"}}));
    const auto first = inode();
    EXPECT_EQ(ReadFile(file), "[message]\nread=false\ncid=5551234\ncidname=A=B\n");
    ASSERT_TRUE(WriteProfileString(file, "message", "CID", "5551234"));  // the same value
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(WriteProfileKeys(file, "message", {{"read", "false"}}));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(WriteProfileKeys(file, "message", {{"read", "true"}, {"heard", "1"}}));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(ReadFile(file), "[message]\nread=true\ncid=5551234\ncidname=A=B\nheard=1\n");
    // A file that cannot be written takes none of them.
    const std::string locked = dir.Path() + "missing/folder.ini";
    EXPECT_FALSE(WriteProfileKeys(locked, "message", {{"read", "true"}}));
}

TEST_F(ProfileTest, AbsentValueDeletesKeyAbsentKeyDeletesSection) {
    ASSERT_TRUE(WriteFile(file, "[a]\nx=1\ny=2\n[b]\nz=3\n[c]\nw=4\n"));
    ASSERT_TRUE(WriteProfileString(file, "a", "x", nullptr));
    ASSERT_TRUE(WriteProfileString(file, "B", nullptr, nullptr));
    EXPECT_EQ(ReadFile(file), "[a]\ny=2\n[c]\nw=4\n");
    // Deleting what is not there, and the flush, change nothing.
    ASSERT_TRUE(WriteProfileString(file, "a", "nokey", nullptr));
    ASSERT_TRUE(WriteProfileString(file, "nosection", nullptr, nullptr));
    ASSERT_TRUE(WriteProfileString(file, nullptr, nullptr, nullptr));
    EXPECT_EQ(ReadFile(file), "[a]\ny=2\n[c]\nw=4\n");
    // The flush of a missing file creates nothing.
    ASSERT_TRUE(WriteProfileString(dir.Path() + "none.ini", nullptr, nullptr, nullptr));
    EXPECT_FALSE(test::FileExists(dir.Path() + "none.ini"));
}

TEST_F(ProfileTest, SeveralKeysOfASectionChangeInOneWrite) {
    ASSERT_TRUE(WriteFile(file, "[dev]\ntype=sip\nName=Desk\nkeep=me\nuser=old\n[other]\nx=1\n"));
    ASSERT_TRUE(WriteProfileKeys(
        file, "DEV", {{"name", "Front desk"}, {"user", std::nullopt}, {"password", "s"}}));
    EXPECT_EQ(ReadFile(file),
              "[dev]\ntype=sip\nName=Front desk\nkeep=me\npassword=s\n[other]\nx=1\n");
    // A missing section is added at the end.
    ASSERT_TRUE(WriteProfileKeys(file, "new", {{"type", "sip"}, {"gone", std::nullopt}}));
    EXPECT_EQ(ReadProfileSection(file, "new").size(), 1u);

    // All or nothing: an interrupted write changes none of the keys.
    profile_testing::SetBeforeRenameHook([] { return false; });
    EXPECT_FALSE(WriteProfileKeys(file, "dev", {{"name", "X"}, {"keep", std::nullopt}}));
    profile_testing::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(ReadProfileString(file, "dev", "name", ""), "Front desk");
    EXPECT_EQ(ReadProfileString(file, "dev", "keep", ""), "me");

    // Deleting keys of a file that does not exist creates no file.
    EXPECT_TRUE(WriteProfileKeys(dir.Path() + "none.ini", "s", {{"k", std::nullopt}}));
    EXPECT_FALSE(test::FileExists(dir.Path() + "none.ini"));
}

TEST_F(ProfileTest, InterruptedWriteLeavesTheOldFileReadable) {
    ASSERT_TRUE(WriteProfileString(file, "settings", "nrings", "3"));
    profile_testing::SetBeforeRenameHook([] { return false; });  // "crash" before the rename
    EXPECT_FALSE(WriteProfileString(file, "settings", "nrings", "7"));
    profile_testing::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(ReadProfileString(file, "settings", "nrings", ""), "3");
    // The left-over temporary file does not disturb later writes.
    ASSERT_TRUE(WriteProfileString(file, "settings", "nrings", "8"));
    EXPECT_EQ(ReadProfileString(file, "settings", "nrings", ""), "8");
}

TEST_F(ProfileTest, UnreadableTargetIsNeverReplaced) {
    // A folder where the file should be: it cannot be read, so it is not rewritten.
    const std::string folder = dir.Path() + "folder.ini";
    ASSERT_TRUE(MakeFolders(folder));
    EXPECT_FALSE(WriteProfileString(folder, "s", "k", "v"));
    // A write into a missing folder fails and reports it.
    EXPECT_FALSE(WriteProfileString(dir.Path() + "missing/x.ini", "s", "k", "v"));
}

// Text that would not stay on its own line (a caller's name or a value
// pasted with a line break) must never add sections or keys to the file.
TEST_F(ProfileTest, TextThatWouldBreakItsLineIsRefusedAndTheFileKept) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"message", "cid", "555\n[settings]\nogm=Other"},
        {"message", "cid", "555\r\nread=true"},
        {"message", "cid", "555\rread=true"},
        {"message", "read=true\ncid", "555"},
        {"message", "read=true", "false"},
        {"message", "[settings]", "x"},
        {"message", "; comment", "x"},
        {"message", " ", "x"},
        {"message]\n[settings", "ogm", "Other"},
        {"mess]age", "cid", "555"},
    };
    const std::string before = "[message]\nread=false\ncid=1\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "|" + c.key + "|" + c.value);
        ASSERT_TRUE(WriteFile(file, before));
        EXPECT_FALSE(WriteProfileString(file, c.section, c.key, c.value));
        EXPECT_FALSE(WriteProfileKeys(file, c.section, {{"read", "true"}, {c.key, c.value}}));
        EXPECT_EQ(ReadFile(file), before);
    }
    // Blanks, "=", "[" and ";" inside a value are ordinary text.
    ASSERT_TRUE(WriteProfileString(file, "message", "cidname", " [a=b]; c "));
    EXPECT_EQ(ReadProfileString(file, "message", "cidname", ""), "[a=b]; c");
    EXPECT_EQ(ReadProfileString(file, "message", "read", ""), "false");
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i)
                WriteProfileInt(file, "s", "k" + std::to_string(t) + "_" + std::to_string(i), i);
        });
    }
    for (auto& w : writers)
        w.join();
    EXPECT_EQ(ReadProfileSection(file, "s").size(), 100u);
    EXPECT_EQ(ReadProfileInt(file, "s", "k3_24", -1), 24);
}

TEST_F(ProfileTest, SectionNamesAndPairs) {
    ASSERT_TRUE(WriteFile(file, "[line0]\nuse=true\nname = Front\n[line3]\n[Folders]\n"));
    EXPECT_EQ(ReadProfileSectionNames(file),
              (std::vector<std::string>{"line0", "line3", "Folders"}));
    const auto pairs = ReadProfileSection(file, "LINE0");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].first, "name");
    EXPECT_EQ(pairs[1].second, "Front");
}

TEST_F(ProfileTest, TypedValuesUseDefaultsOnlyWhenMissing) {
    ASSERT_TRUE(WriteFile(file,
                          "[s]\nint=12abc\nempty=\nbool=TRUE\nno=yes\nlevel=--dB\n"
                          "dur=1:00\ntod=5:30pm\ndt=NEVER\nbad=garbage\n"));
    EXPECT_EQ(ReadProfileInt(file, "s", "int", 5), 12);
    EXPECT_EQ(ReadProfileInt(file, "s", "empty", 5), 0);  // present but no digits
    EXPECT_EQ(ReadProfileInt(file, "s", "missing", 5), 5);
    EXPECT_TRUE(ReadProfileBool(file, "s", "bool", false));
    EXPECT_FALSE(ReadProfileBool(file, "s", "no", true));
    EXPECT_TRUE(ReadProfileBool(file, "s", "missing", true));
    EXPECT_EQ(ReadProfileDb(file, "s", "level", 0), -127);
    EXPECT_EQ(ReadProfileDb(file, "s", "missing", -20), -20);
    EXPECT_EQ(ReadProfileDuration(file, "s", "dur", 0), 600000);
    EXPECT_EQ(ReadProfileDuration(file, "s", "missing", 300001), 300001);
    EXPECT_EQ(ReadProfileTimeOfDay(file, "s", "tod", 0), 63000);
    EXPECT_EQ(ReadProfileDateTime(file, "s", "dt", 0), 0x7FFFFFFF);
    EXPECT_EQ(ReadProfileDateTime(file, "s", "bad", 42), 42);

    ASSERT_TRUE(WriteProfileDb(file, "s", "level", -127));
    EXPECT_EQ(ReadProfileString(file, "s", "level", ""), "--dB");
    ASSERT_TRUE(WriteProfileDuration(file, "s", "dur", 300000));
    EXPECT_EQ(ReadProfileDuration(file, "s", "dur", 0), 300000);
}

}  // namespace
}  // namespace orvia
