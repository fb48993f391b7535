// What the program writes in its data folder, under the umasks users run
// with: the folders only their owner enters, secrets and messages private,
// other files as the umask says, a mode the owner chose kept on every
// rewrite, and a warning for a password file other users can read.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/bgalc/bgalc_queue_file_p.h"
#include "app/startup/installed_data_p.h"
#include "app/startup/password_files_p.h"
#include "audio/codec/format_choice.h"
#include "audio/pcm_file_sink.h"
#include "diagnostics_capture.h"
#include "file_mode_helpers.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::ModeOf;
using test::ScopedUmask;
using test::TempDir;
using test::WriteFile;

// A store resolved as the program resolves it, over a data folder of the
// test's own.
SettingsStore ResolveIn(const TempDir& dir) {
    FolderEnvironment env;
    const std::string data = dir.Path() + "data";
    env.getenv = [data](const char* name) -> const char* {
        return std::string(name) == "ORVIA_DATA" ? data.c_str() : nullptr;
    };
    env.defaultFoldersFile = dir.Path() + "no-folders.ini";
    env.systemDataFolder = dir.Path() + "no-system-folder";
    return SettingsStore::Resolve(env);
}

void WriteRecording(const std::string& path) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    ASSERT_FALSE(IsInvalid(sink));
    std::vector<int32_t> block(800, 1 << 12);
    sink->Write(block.data(), 800);
}

TEST(FilePrivacy, SecretsAndMessagesArePrivateAndRewritesKeepTheOwnersMode) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        ScopedUmask scoped(mask);
        TempDir dir;
        const SettingsStore store = ResolveIn(dir);
        SetStore(store);
        for (const std::string* folder : {&store.DataFolder(), &store.SystemPrompts(),
                                          &store.MailBoxes(), &store.OGMs(), &store.Logs()})
            EXPECT_EQ(ModeOf(*folder), 0700u) << *folder;

        // What a first start writes: the installed data (stand-in recordings
        // where speech would take its time), settings, a message, a log
        // entry, the level-control queue and the compression choice.
        for (const SystemPromptText& prompt : SystemPromptTexts())
            ASSERT_TRUE(WriteFile(store.SystemPrompts() + prompt.name + ".wav", "stand-in"));
        ASSERT_TRUE(WriteFile(store.OGMs() + "Default Answering Message.wav", "stand-in"));
        ASSERT_TRUE(InstallMissingData(store).failed.empty());
        ASSERT_TRUE(WriteProfileString(store.SettingsFile(), "smtp", "password", "secret"));
        const std::string message = store.MailBoxes() + "Default ICM000000";
        WriteRecording(message + ".wav");
        ASSERT_TRUE(WriteProfileString(message + ".ini", "message", "cid", "5551234"));
        WriteDailyLog("Orvia Run");
        const std::string queue = store.DataFolder() + kBGALCQueueFileName;
        ASSERT_TRUE(SaveBGALCQueue(queue, {message + ".wav"}));
        const std::string wff = FormatChoicePath(store.SettingsFile());
        ASSERT_TRUE(WriteFormatChoice(wff, WaveFormat::Pcm16(1, 8000)));

        const mode_t privateMode = 0600 & ~mask;
        const mode_t sharedMode = 0666 & ~mask;
        const std::map<std::string, mode_t> expected = {
            {store.SettingsFile(), privateMode},
            {store.DataFolder() + kTelephonyConfigName, privateMode},
            {store.MailBoxes() + "Default.mbx", privateMode},
            {store.OGMs() + "Default Answering Message.ini", privateMode},
            {message + ".wav", privateMode},
            {message + ".ini", privateMode},
            {DailyLogPath(LocalNow()), privateMode},
            {queue, privateMode},
            {wff, sharedMode},
            {store.OGMs() + "Default Answering Message.txt", sharedMode},
        };
        for (const auto& [path, mode] : expected)
            EXPECT_EQ(ModeOf(path), mode) << path;

        // The owner lets a group read them; every rewrite keeps that.
        for (const auto& [path, mode] : expected)
            ASSERT_EQ(::chmod(path.c_str(), 0640), 0) << path;
        ASSERT_TRUE(WriteProfileString(store.SettingsFile(), "smtp", "user", "me"));
        ASSERT_TRUE(WriteProfileString(store.DataFolder() + kTelephonyConfigName, "local",
                                       "password", "sip"));
        ASSERT_TRUE(WriteProfileString(store.MailBoxes() + "Default.mbx", "mbx", "msgno", "1"));
        ASSERT_TRUE(WriteProfileString(message + ".ini", "message", "read", "true"));
        WriteRecording(message + ".wav");
        WriteDailyLog("Orvia Exit");
        ASSERT_TRUE(SaveBGALCQueue(queue, {}));
        ASSERT_TRUE(WriteFormatChoice(wff, WaveFormat::Pcm16(1, 11025)));
        for (const auto& [path, mode] : expected)
            EXPECT_EQ(ModeOf(path), 0640u) << path;
    }
}

TEST(FilePrivacy, StartUpWarnsAboutAPasswordFileOthersCanRead) {
    TempDir dir;
    const SettingsStore store = ResolveIn(dir);
    const std::string telephony = store.DataFolder() + kTelephonyConfigName;
    const std::string locked = store.MailBoxes() + "Sales.mbx";
    const std::string open = store.MailBoxes() + "Open.mbx";
    ASSERT_TRUE(WriteFile(store.SettingsFile(), "[smtp]\nPassword=mail-secret\n"));
    ASSERT_TRUE(WriteFile(telephony, "[desk]\ntype=sip\npassword=sip-secret\n"));
    ASSERT_TRUE(WriteFile(locked, "[mbx]\nremoteaccess=true\naccesscode=4711\n"));
    ASSERT_TRUE(WriteFile(open, "[mbx]\nremoteaccess=true\naccesscode=\nftppass=\n"));
    const struct Case {
        mode_t folders;
        mode_t files;
        std::vector<std::string> exposed;
    } cases[] = {
        {0700, 0644, {}},
        {0755, 0600, {}},
        {0755, 0644, {store.SettingsFile(), telephony, locked}},
        {0750, 0604, {}},
        {0750, 0640, {store.SettingsFile(), telephony, locked}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.folders) + " " + std::to_string(c.files));
        for (const std::string* folder : {&store.DataFolder(), &store.MailBoxes()})
            ASSERT_EQ(::chmod(folder->c_str(), c.folders), 0);
        for (const std::string* file : {&store.SettingsFile(), &telephony, &locked, &open})
            ASSERT_EQ(::chmod(file->c_str(), c.files), 0);
        std::vector<std::string> found;
        for (const ExposedPasswordFile& file : FindExposedPasswordFiles(store))
            found.push_back(file.path);
        std::sort(found.begin(), found.end());
        std::vector<std::string> expected = c.exposed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected);
    }

    // As the last case left them: reported with the mode and the cure.
    DiagnosticsCapture events;
    EXPECT_EQ(WarnAboutExposedPasswordFiles(store), 3);
    EXPECT_TRUE(events.Has(DiagnosticLevel::Warning, "app",
                           {store.SettingsFile(), "holds a password", "mode 0640", "chmod 600"}))
        << events.AllText();
    for (const char* secret : {"mail-secret", "sip-secret", "4711"})
        EXPECT_EQ(events.AllText().find(secret), std::string::npos) << secret;
}

}  // namespace
}  // namespace orvia
