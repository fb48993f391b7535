// The old-message clean-up, with fake file times.
#include "delivery/message_cleanup.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;

constexpr int64_t kDay = 86400;
// One step of the comparison: 2^32 file-time ticks of 100 ns.
constexpr double kStep = 429.4967296;

TEST(OldMessageAge, ThresholdIn202StepsADay) {
    const int64_t now = 1700000000;
    const struct {
        const char* what;
        int32_t days;
        int64_t age;
        bool old;
    } cases[] = {
        {"30 days is not yet old at 30 days", 30, 30 * kDay, false},
        {"30 days: 30 x 202 steps and two more", 30, int64_t(6062 * kStep) + 1, true},
        {"30 days: well past", 30, 31 * kDay, true},
        {"0 days means one day: a day is not enough", 0, kDay, false},
        {"0 days means one day: 204 steps", 0, int64_t(204 * kStep) + 1, true},
        {"negative days mean one day", -5, 2 * kDay, true},
        {"negative days mean one day, too", -5, kDay / 2, false},
        {"a file from the future", 1, -10 * kDay, false},
        {"huge days keep everything", 2147483647, 20000 * 365 * kDay, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsOlderThanDays(now - c.age, now, c.days), c.old);
    }
}

class FakeTimes : public FileTimes {
public:
    int64_t NowUtc() override { return now; }
    std::optional<int64_t> CreationTimeUtc(const std::string& path) override {
        const auto it = created.find(path);
        if (it == created.end())
            return std::nullopt;
        return it->second;
    }

    int64_t now = 1700000000;
    std::map<std::string, int64_t> created;
};

class FakeList : public MessageList {
public:
    void RemoveMessage(const std::string& messageIni) override { removed.push_back(messageIni); }
    std::vector<std::string> removed;
};

class CleanUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
    }

    // A message pair created ageDays ago; returns the ".ini" path.
    std::string Message(const std::string& base, double ageDays) {
        const std::string ini = Store().MailBoxes() + base + ".ini";
        EXPECT_TRUE(WriteProfileString(ini, "message", "read", "false"));
        EXPECT_TRUE(test::WriteFile(Store().MailBoxes() + base + ".wav", "RIFF"));
        times_.created[ini] = times_.now - static_cast<int64_t>(ageDays * kDay);
        return ini;
    }

    test::TempDir data_;
    FakeTimes times_;
    FakeList list_;
};

TEST_F(CleanUpTest, DeletesMessagesOlderThanTheSetting) {
    ASSERT_TRUE(WriteProfileInt(Store().SettingsFile(), "settings", "deletefiledays", 10));
    const std::string old = Message("Sales ICM000001", 10.5);
    const std::string recent = Message("Sales ICM000002", 9.9);
    const std::string otherOld = Message("Support ICM000007", 40);
    const std::string hidden = Message(".Sales ICM000003", 40);

    CleanUpOldMessages(list_, times_);

    EXPECT_EQ(list_.removed, (std::vector<std::string>{old, otherOld}));
    for (const std::string& gone : {old, otherOld}) {
        EXPECT_FALSE(FileExists(gone));
        EXPECT_FALSE(FileExists(gone.substr(0, gone.size() - 4) + ".wav"));
    }
    for (const std::string& kept : {recent, hidden}) {
        EXPECT_TRUE(FileExists(kept));
        EXPECT_TRUE(FileExists(kept.substr(0, kept.size() - 4) + ".wav"));
    }
}

TEST_F(CleanUpTest, MissingSettingMeansThirtyDaysAndZeroMeansOneDay) {
    const std::string day29 = Message("Box ICM000001", 29);
    const std::string day31 = Message("Box ICM000002", 31);
    const std::string day2 = Message("Box ICM000003", 2);
    CleanUpOldMessages(list_, times_);
    EXPECT_EQ(list_.removed, std::vector<std::string>{day31});

    ASSERT_TRUE(WriteProfileInt(Store().SettingsFile(), "settings", "deletefiledays", 0));
    const std::string hours = Message("Box ICM000004", 0.9);
    CleanUpOldMessages(list_, times_);
    EXPECT_EQ(list_.removed, (std::vector<std::string>{day31, day29, day2}));
    EXPECT_TRUE(FileExists(hours));
}

TEST_F(CleanUpTest, MessageWhoseAudioCannotGoStaysWhole) {
    const std::string ini = Message("Box ICM000001", 40);
    const std::string wav = Store().MailBoxes() + "Box ICM000001.wav";
    // A folder in the audio file's place cannot be removed as a file.
    ASSERT_EQ(std::remove(wav.c_str()), 0);
    ASSERT_EQ(::mkdir(wav.c_str(), 0755), 0);
    ASSERT_TRUE(test::WriteFile(wav + "/inside", "x"));

    CleanUpOldMessages(list_, times_);

    EXPECT_TRUE(list_.removed.empty());
    EXPECT_TRUE(FileExists(ini));
}

TEST_F(CleanUpTest, AudioAlreadyGoneStillDeletesTheMessage) {
    const std::string ini = Message("Box ICM000001", 40);
    ASSERT_EQ(std::remove((Store().MailBoxes() + "Box ICM000001.wav").c_str()), 0);
    CleanUpOldMessages(list_, times_);
    EXPECT_EQ(list_.removed, std::vector<std::string>{ini});
    EXPECT_FALSE(FileExists(ini));
}

TEST(SystemFileTimesTest, NewFileIsCreatedNow) {
    test::TempDir dir;
    const std::string path = dir.Path() + "x.ini";
    ASSERT_TRUE(test::WriteFile(path, "[message]\n"));
    FileTimes& times = SystemFileTimes();
    const auto created = times.CreationTimeUtc(path);
    ASSERT_TRUE(created);
    EXPECT_LE(std::llabs(*created - times.NowUtc()), 60);
    EXPECT_FALSE(times.CreationTimeUtc(dir.Path() + "missing.ini"));
}

}  // namespace
}  // namespace orvia
