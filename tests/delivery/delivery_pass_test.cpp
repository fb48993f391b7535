// The delivery pass and BGTask against an aiosmtpd and a pyftpdlib server
// started on loopback for each test.
#include "delivery/delivery_pass.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "audio/codec/format_choice.h"
#include "audio/codec/standard_formats.h"
#include "audio/file_conversion.h"
#include "audio/mp3/mp3_source.h"
#include "audio/wave_source.h"
#include "delivery/bg_task.h"
#include "delivery/delivery_settings.h"
#include "delivery/mail_texts.h"
#include "diagnostics_capture.h"
#include "engine/ivr_notify.h"
#include "file_size_limit.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/files/folder_listing.h"
#include "platform/time/clock.h"
#include "server_process.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"
#include "test_recording.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;

constexpr const char* kFtpUser = "owner";
constexpr const char* kFtpPassword = "s3cret";

struct RecordedNotices : DeliveryNotices {
    void MessageDeleted(const std::string& messageIni) override { deleted.push_back(messageIni); }
    void DeliveryFailed(const std::string& text) override { failures.push_back(text); }
    std::vector<std::string> deleted;
    std::vector<std::string> failures;
};

// Waits a bounded real time for a condition another thread or process makes true.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 3000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

class DeliveryPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
        control_.connectTimeoutMs = 5000;
        control_.totalTimeoutMs = 60000;
    }

    // With a user, the server requires that login.
    void StartSmtp(const std::string& user = "", const std::string& password = "") {
        std::vector<std::string> args = {mails_.Path(), work_.Path() + "smtp.port"};
        if (!user.empty())
            args.insert(args.end(), {user, password});
        std::string error;
        smtp_ = test::ServerProcess::Start("smtp_server.py", args, work_.Path() + "smtp.port",
                                           work_.Path() + "smtp.log", &error);
        ASSERT_TRUE(smtp_) << error;
        ConfigureSmtp(smtp_->Port());
    }

    void ConfigureSmtp(int port) {
        const std::string& file = Store().SettingsFile();
        ASSERT_TRUE(
            WriteProfileString(file, "smtp", "server", "127.0.0.1:" + std::to_string(port)));
        ASSERT_TRUE(WriteProfileString(file, "smtp", "security", "none"));
        ASSERT_TRUE(WriteProfileString(file, "smtp", "from", "orvia@example.org"));
    }

    void StartFtp() {
        ASSERT_EQ(::mkdir((root_.Path() + "box").c_str(), 0755), 0);
        std::string error;
        ftp_ = test::ServerProcess::Start(
            "ftp_server.py", {root_.Path(), work_.Path() + "ftp.port", kFtpUser, kFtpPassword},
            work_.Path() + "ftp.port", work_.Path() + "ftp.log", &error);
        ASSERT_TRUE(ftp_) << error;
    }
    std::string RemoteDir() const { return root_.Path() + "box/"; }

    // A mailbox with messages waiting: e-mail to address when it is not empty,
    // FTP upload when ftp is set.
    std::string Mailbox(const std::string& name, const std::string& address, bool ftp = false) {
        const std::string mbx = Store().MailBoxes() + name + ".mbx";
        EXPECT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
        if (!address.empty()) {
            EXPECT_TRUE(WriteProfileBool(mbx, "mbx", "sendemail", true));
            EXPECT_TRUE(WriteProfileString(mbx, "mbx", "emailaddress", address));
        }
        if (ftp) {
            EXPECT_TRUE(WriteProfileBool(mbx, "mbx", "sendftp", true));
            EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpserver",
                                           "127.0.0.1:" + std::to_string(ftp_->Port())));
            EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpuser", kFtpUser));
            EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftppass", kFtpPassword));
            EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpdir", "box"));
        }
        return mbx;
    }

    // A message as the engine stores it, with the given delivery keys
    // ("sentemail", "sentftp") set to "false"; returns the ".ini" path.
    std::string Message(const std::string& mailbox, int number,
                        const std::vector<const char*>& waitingFor) {
        char base[64];
        std::snprintf(base, sizeof base, " ICM%.6d", number);
        const std::string ini = Store().MailBoxes() + mailbox + base + ".ini";
        EXPECT_TRUE(WriteProfileString(ini, "message", "read", "false"));
        EXPECT_TRUE(WriteProfileDateTime(ini, "message", "datetime",
                                         MakeLocalSeconds({2024, 5, 6, 7, 8, 9})));
        EXPECT_TRUE(WriteProfileString(ini, "message", "cid", "5550100"));
        for (const char* key : waitingFor)
            EXPECT_TRUE(WriteProfileBool(ini, "message", key, false));
        EXPECT_TRUE(test::WriteTone(Wav(ini), 12000));
        return ini;
    }

    static std::string Wav(const std::string& ini) {
        return ini.substr(0, ini.size() - 4) + ".wav";
    }
    static std::string Key(const std::string& file, const char* section, const char* key) {
        return ReadProfileString(file, section, key, "(missing)");
    }

    void RunPass(StopCheck stop = {}) {
        TransferControl control = control_;
        control.stop = std::move(stop);
        DeliveryPass(control, &notices_).Run();
    }

    std::string MailFile(int index, const std::string& name) const {
        return ReadFile(mails_.Path() + "mail" + std::to_string(index) + "/" + name);
    }
    bool MailStored(int index) const {
        return FileExists(mails_.Path() + "mail" + std::to_string(index));
    }

    // Files of the MailBoxes folder that are not mailboxes or messages: the
    // temporary files of a conversion or an upload left behind.
    std::vector<std::string> StrayFiles() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(Store().MailBoxes().c_str());
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            const bool hidden = name.size() > 2 && name[0] == '.';
            if (name.rfind("tmp", 0) == 0 || hidden)
                names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    test::TempDir data_, mails_, root_, work_;
    std::unique_ptr<test::ServerProcess> smtp_, ftp_;
    TransferControl control_;
    RecordedNotices notices_;
};

TEST_F(DeliveryPassTest, FailuresAreReportedWithTheServersReplyAndNoPassword) {
    StartSmtp("mailer", "sm7pPass");
    StartFtp();
    const std::string& settings = Store().SettingsFile();
    ASSERT_TRUE(WriteProfileString(settings, "smtp", "user", "mailer"));
    ASSERT_TRUE(WriteProfileString(settings, "smtp", "password", "sm7pPass"));
    const std::string mbx = Mailbox("Sales", "refuse@example.com", true);
    ASSERT_TRUE(WriteProfileString(mbx, "mbx", "ftppass", "f7pWrong"));
    Message("Sales", 1, {"sentemail", "sentftp"});
    DiagnosticsCapture events;
    RunPass();

    // Refused recipient and refused FTP login, each with the server's words.
    EXPECT_TRUE(events.Has(
        DiagnosticLevel::Error, "delivery",
        {"Mailbox \"Sales\"", "message Sales ICM000001", "to refuse@example.com was not sent",
         "550 5.1.1 <refuse@example.com>: Recipient address rejected"}))
        << events.AllText();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "delivery",
                           {"Mailbox \"Sales\"", "upload of message Sales ICM000001",
                            "logging in to 127.0.0.1:", "as \"owner\"", "login denied", "530"}))
        << events.AllText();
    // The main window hears of both (BGTask keeps the last for the status).
    EXPECT_EQ(notices_.failures.size(), 2u);

    // A wrong SMTP password: the server's reply, never the password.
    ASSERT_TRUE(WriteProfileString(settings, "smtp", "password", "sm7pWrong"));
    ASSERT_TRUE(WriteProfileString(mbx, "mbx", "emailaddress", "owner@example.com"));
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
    ASSERT_TRUE(WriteProfileBool(Message("Sales", 1, {"sentemail"}), "message", "sentftp", true));
    RunPass();
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "delivery", {"login denied", "535"}))
        << events.AllText();
    const std::string all = events.AllText();
    for (const char* password : {"sm7pPass", "sm7pWrong", "f7pWrong", kFtpPassword})
        EXPECT_EQ(all.find(password), std::string::npos) << password << "\n" << all;
}

TEST_F(DeliveryPassTest, MailsOnlyWaitingMessagesOnceWithTheirCompressedAudio) {
    StartSmtp();
    const std::string mbx = Mailbox("Sales Dept", "owner@example.com");
    const std::string waiting = Message("Sales Dept", 1, {"sentemail"});
    const std::string neverMailed = Message("Sales Dept", 2, {});
    const std::string done = Message("Sales Dept", 3, {});
    ASSERT_TRUE(WriteProfileBool(done, "message", "sentemail", true));
    const std::string idleMbx = Mailbox("Idle", "idle@example.com");
    ASSERT_TRUE(DeleteProfileKey(idleMbx, "mbx", "unsentmessages"));
    const std::string idle = Message("Idle", 1, {"sentemail"});

    RunPass();

    ASSERT_TRUE(MailStored(0));
    EXPECT_FALSE(MailStored(1));
    EXPECT_EQ(MailFile(0, "envelope_to"), "owner@example.com");
    EXPECT_EQ(MailFile(0, "part0.data"),
              AudioMailBody(ReadMessageDetails("Sales Dept", waiting), ReadWebLinks()));
    EXPECT_EQ(MailFile(0, "part1.filename"), "Sales Dept ICM000001.wav");
    EXPECT_EQ(MailFile(0, "part1.data"), ReadFile(Wav(waiting)));
    EXPECT_EQ(test::FileFormat(Wav(waiting)), Pcm8Format(1, 8000));
    EXPECT_EQ(Key(waiting, "message", "sentemail"), "true");
    EXPECT_EQ(Key(waiting, "message", "compressed"), "true");
    EXPECT_EQ(Key(neverMailed, "message", "sentemail"), "(missing)");
    EXPECT_EQ(Key(neverMailed, "message", "compressed"), "(missing)");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "false");
    EXPECT_EQ(Key(idle, "message", "sentemail"), "false");

    // A later pass finds nothing new.
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
    RunPass();
    EXPECT_FALSE(MailStored(1));
    EXPECT_TRUE(notices_.deleted.empty());
}

TEST_F(DeliveryPassTest, DeleteAfterSendingOnlyOnceTheServerTookTheMail) {
    const std::string mbx = Mailbox("Box", "owner@example.com");
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemaildelete", true));
    const std::string ini = Message("Box", 7, {"sentemail"});

    // No server answers: the mail is not retried, and the message stays.
    ConfigureSmtp(test::ClosedLoopbackPort());
    RunPass();
    EXPECT_TRUE(FileExists(ini));
    EXPECT_TRUE(FileExists(Wav(ini)));
    EXPECT_EQ(Key(ini, "message", "sentemail"), "true");
    EXPECT_TRUE(notices_.deleted.empty());

    StartSmtp();
    ASSERT_TRUE(WriteProfileBool(ini, "message", "sentemail", false));
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
    RunPass();
    ASSERT_TRUE(MailStored(0));
    EXPECT_FALSE(MailFile(0, "part1.data").empty());
    EXPECT_FALSE(FileExists(ini));
    EXPECT_FALSE(FileExists(Wav(ini)));
    EXPECT_EQ(notices_.deleted, std::vector<std::string>{ini});
}

TEST_F(DeliveryPassTest, NotificationOnlyMailLeavesTheRecordingAlone) {
    StartSmtp();
    const std::string mbx = Mailbox("Box", "owner@example.com");
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemailaudio", false));
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemaildelete", true));
    const std::string ini = Message("Box", 1, {"sentemail"});
    const std::string audio = ReadFile(Wav(ini));

    RunPass();

    ASSERT_TRUE(MailStored(0));
    EXPECT_NE(MailFile(0, "headers").find("\nSubject: Orvia Message Received Notification\n"),
              std::string::npos);
    EXPECT_FALSE(FileExists(mails_.Path() + "mail0/part1.type"));
    EXPECT_EQ(MailFile(0, "part0.data"),
              NotificationMailBody(ReadMessageDetails("Box", ini), ReadWebLinks()));
    EXPECT_EQ(ReadFile(Wav(ini)), audio);
    EXPECT_EQ(Key(ini, "message", "compressed"), "(missing)");
    EXPECT_EQ(Key(ini, "message", "sentemail"), "true");
}

TEST_F(DeliveryPassTest, UploadsWaitingMessagesAndRetriesOnlyWhenAskedAgain) {
    StartFtp();
    const std::string mbx = Mailbox("Sales Dept", "", true);
    const std::string waiting = Message("Sales Dept", 1, {"sentftp"});
    const std::string neverUploaded = Message("Sales Dept", 2, {});

    RunPass();

    EXPECT_EQ(ReadFile(RemoteDir() + "sales_dept_icm000001.wav"), ReadFile(Wav(waiting)));
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept_icm000002.wav"));
    const std::string page = ReadFile(RemoteDir() + "sales_dept.html");
    EXPECT_NE(page.find("href=\"sales_dept_icm000002.wav\""), std::string::npos);
    EXPECT_EQ(Key(waiting, "message", "sentftp"), "true");
    EXPECT_EQ(Key(waiting, "message", "compressed"), "true");
    EXPECT_EQ(Key(neverUploaded, "message", "sentftp"), "(missing)");

    // A refused login puts the message back to waiting; the mailbox is not
    // flagged again, so only a later request retries it.
    const std::string next = Message("Sales Dept", 3, {"sentftp"});
    ASSERT_TRUE(WriteProfileString(mbx, "mbx", "ftppass", "wrong"));
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
    RunPass();
    EXPECT_EQ(Key(next, "message", "sentftp"), "false");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "false");
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept_icm000003.wav"));

    ASSERT_TRUE(WriteProfileString(mbx, "mbx", "ftppass", kFtpPassword));
    RunPass();
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept_icm000003.wav"));
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "unsentmessages", true));
    RunPass();
    EXPECT_EQ(ReadFile(RemoteDir() + "sales_dept_icm000003.wav"), ReadFile(Wav(next)));
}

// The disk is full when the pass would take a message: its "sentemail" flag
// cannot be written, so it is not mailed now. It was never tried, so the
// mailbox stays flagged and the next pass takes it; the failure is reported.
TEST_F(DeliveryPassTest, AMessageThatCannotBeTakenIsLeftForTheNextPass) {
    const std::string mbx = Mailbox("Box", "owner@example.com");
    const std::string waiting = Message("Box", 1, {"sentemail"});
    // A message file larger than the room left; the mailbox file fits.
    ASSERT_TRUE(WriteProfileString(waiting, "message", "note", std::string(300, 'x')));
    DiagnosticsCapture events;
    {
        test::ScopedFileSizeLimit full(200);
        RunPass();
    }
    EXPECT_EQ(Key(waiting, "message", "sentemail"), "false");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "true");
    EXPECT_TRUE(events.Has(DiagnosticLevel::Error, "delivery", {"Box ICM000001", "not mailed"}))
        << events.AllText();

    // With room again the next pass takes it (and, with no mail server set
    // up, the mail is refused as any other).
    RunPass();
    EXPECT_EQ(Key(waiting, "message", "sentemail"), "true");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "false");
}

TEST_F(DeliveryPassTest, MailThatDeletesComesBeforeTheUpload) {
    StartSmtp();
    StartFtp();
    const std::string mbx = Mailbox("Box", "owner@example.com", true);
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemaildelete", true));
    const std::string ini = Message("Box", 1, {"sentemail", "sentftp"});

    RunPass();

    EXPECT_TRUE(MailStored(0));
    EXPECT_FALSE(FileExists(ini));
    EXPECT_FALSE(FileExists(RemoteDir() + "box_icm000001.wav"));
    EXPECT_FALSE(FileExists(RemoteDir() + "box.html"));
    EXPECT_EQ(notices_.deleted, std::vector<std::string>{ini});
}

TEST_F(DeliveryPassTest, AMailboxDeliversOnlyItsOwnMessages) {
    // Every file name of these mailboxes begins with "Sales ICM", but only
    // "Sales ICM<digits>" (in any letter case) is a message of "Sales".
    StartSmtp();
    StartFtp();
    const std::string sales = Mailbox("Sales", "owner@example.com", true);
    ASSERT_TRUE(WriteProfileBool(sales, "mbx", "sendemaildelete", true));
    const std::string own = Message("Sales", 1, {"sentemail", "sentftp"});
    const std::string ownInCapitals = Message("SALES", 2, {"sentemail", "sentftp"});
    std::vector<std::pair<std::string, std::string>> others;  // .ini and its audio
    for (const char* name : {"Sales ICMfoo", "Sales ICM", "Sales ICM2", "sales ICMx"}) {
        const std::string ini = Message(name, 1, {"sentemail", "sentftp"});
        others.emplace_back(ini, ReadFile(Wav(ini)));
    }

    RunPass();  // mails and then deletes the messages of "Sales"

    ASSERT_TRUE(MailStored(1));
    EXPECT_FALSE(MailStored(2));
    EXPECT_EQ(MailFile(0, "part1.filename") + ", " + MailFile(1, "part1.filename"),
              "SALES ICM000002.wav, Sales ICM000001.wav");
    EXPECT_EQ(notices_.deleted, (std::vector<std::string>{ownInCapitals, own}));
    for (const auto& [ini, audio] : others) {
        EXPECT_EQ(ReadFile(Wav(ini)), audio) << ini;
        EXPECT_EQ(Key(ini, "message", "sentemail"), "false") << ini;
        EXPECT_EQ(Key(ini, "message", "sentftp"), "false") << ini;
    }

    // Upload only: the page and the files are those of "Sales" alone.
    ASSERT_TRUE(WriteProfileBool(sales, "mbx", "sendemail", false));
    ASSERT_TRUE(WriteProfileBool(sales, "mbx", "unsentmessages", true));
    const std::string next = Message("Sales", 3, {"sentftp"});
    RunPass();
    EXPECT_EQ(ReadFile(RemoteDir() + "sales_icm000003.wav"), ReadFile(Wav(next)));
    const std::string page = ReadFile(RemoteDir() + "sales.html");
    EXPECT_NE(page.find("href=\"sales_icm000003.wav\""), std::string::npos);
    EXPECT_EQ(page.find("icmfoo"), std::string::npos);
    EXPECT_EQ(page.find("sales_icm_icm"), std::string::npos);
    for (const auto& [ini, audio] : others)
        EXPECT_EQ(Key(ini, "message", "sentftp"), "false") << ini;
    EXPECT_EQ(ListFolderFiles(RemoteDir()),
              (std::vector<std::string>{"sales.html", "sales_icm000003.wav"}));
}

TEST_F(DeliveryPassTest, StopDuringConversionLeavesTheMessageForTheNextPass) {
    StartFtp();
    const std::string mbx = Mailbox("Box", "", true);
    const std::string ini = Message("Box", 1, {"sentftp"});
    ASSERT_TRUE(WriteFormatChoice(FormatChoicePath(Store().SettingsFile()), Gsm610Format(8000)));
    const std::string audio = ReadFile(Wav(ini));
    // The stop event is set once the conversion has begun ("compressed" is
    // written just before it) and stays set.
    bool stopped = false;
    auto stopInConversion = [&] {
        stopped = stopped || Key(ini, "message", "compressed") == "true";
        return stopped;
    };

    RunPass(stopInConversion);

    ASSERT_TRUE(stopped);
    EXPECT_EQ(ReadFile(Wav(ini)), audio);
    EXPECT_TRUE(StrayFiles().empty());
    EXPECT_EQ(Key(ini, "message", "compressed"), "false");
    EXPECT_EQ(Key(ini, "message", "sentftp"), "false");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "true");
    EXPECT_FALSE(FileExists(RemoteDir() + "box_icm000001.wav"));

    RunPass();
    EXPECT_EQ(Key(ini, "message", "sentftp"), "true");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "false");
    EXPECT_EQ(test::FileFormat(Wav(ini)), Gsm610Format(8000));
    EXPECT_EQ(ReadFile(RemoteDir() + "box_icm000001.wav"), ReadFile(Wav(ini)));
}

// The main window's side of the notices: records what reaches it, and on
// which thread.
struct FakeWindow : IVRCNotify {
    void Send(int message, std::string& text) override {
        sent.emplace_back(message, text);
        onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
    }
    void Post(int) override {}
    std::vector<std::pair<int, std::string>> sent;
    std::thread::id mainThread = std::this_thread::get_id();
    bool onMainThread = true;
};

class BGTaskTest : public DeliveryPassTest {
protected:
    StepDispatcher dispatcher_;
    FakeWindow window_;
};

TEST_F(BGTaskTest, PassRunsOnItsThreadAndNoticesReachTheWindowByPost) {
    StartSmtp();
    const std::string mbx = Mailbox("Box", "owner@example.com");
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemaildelete", true));
    const std::string ini = Message("Box", 4, {"sentemail"});
    BGTask task(&dispatcher_, control_);
    task.SetNoticeWindow(&window_);

    ASSERT_TRUE(task.StartPass());
    ASSERT_TRUE(dispatcher_.RunUntil([&] { return !window_.sent.empty(); }, 30000));
    ASSERT_TRUE(WaitFor([&] { return !task.IsRunning(); }));

    EXPECT_EQ(window_.sent, (std::vector<std::pair<int, std::string>>{{kMsgMessageDeleted, ini}}));
    EXPECT_TRUE(window_.onMainThread);
    EXPECT_TRUE(MailStored(0));
}

TEST_F(BGTaskTest, NoticeForAClearedWindowIsDropped) {
    StartSmtp();
    const std::string mbx = Mailbox("Box", "owner@example.com");
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemaildelete", true));
    Message("Box", 4, {"sentemail"});
    BGTask task(&dispatcher_, control_);
    task.SetNoticeWindow(&window_);

    ASSERT_TRUE(task.StartPass());
    ASSERT_TRUE(WaitFor([&] { return !task.IsRunning(); }));
    ASSERT_EQ(dispatcher_.PendingCount(), 1u);
    task.SetNoticeWindow(nullptr);
    dispatcher_.RunPending();

    EXPECT_TRUE(window_.sent.empty());
}

TEST_F(BGTaskTest, StopEndsAMailInProgressAndLeavesItWaiting) {
    StartSmtp();
    const std::string mbx = Mailbox("Box", "stall@example.com");
    const std::string ini = Message("Box", 1, {"sentemail"});
    BGTask task(&dispatcher_, control_);

    ASSERT_TRUE(task.StartPass());
    ASSERT_TRUE(WaitFor([&] { return FileExists(mails_.Path() + "stalled"); }));
    task.Stop();

    EXPECT_FALSE(task.IsRunning());
    EXPECT_EQ(Key(ini, "message", "sentemail"), "false");
    EXPECT_EQ(Key(ini, "message", "compressed"), "true");
    EXPECT_EQ(Key(mbx, "mbx", "unsentmessages"), "true");
    EXPECT_FALSE(MailStored(0));
}

TEST_F(BGTaskTest, RequestDuringAPassIsServedByOneMorePass) {
    StartSmtp();
    // The first pass hangs on a mail the server never answers, until the
    // transfer's time limit ends it.
    control_.totalTimeoutMs = 2000;
    Mailbox("Z Slow", "stall@example.com");
    Message("Z Slow", 1, {"sentemail"});
    BGTask task(&dispatcher_, control_);
    ASSERT_TRUE(task.StartPass());
    ASSERT_TRUE(WaitFor([&] { return FileExists(mails_.Path() + "stalled"); }));

    // A message stored meanwhile in a mailbox the pass has already passed.
    Mailbox("A Sales", "owner@example.com");
    const std::string late = Message("A Sales", 1, {"sentemail"});
    ASSERT_TRUE(task.StartPass());

    ASSERT_TRUE(WaitFor([&] { return !task.IsRunning(); }));
    ASSERT_TRUE(MailStored(0));
    EXPECT_EQ(MailFile(0, "envelope_to"), "owner@example.com");
    EXPECT_EQ(Key(late, "message", "sentemail"), "true");
}

}  // namespace
}  // namespace orvia

namespace orvia {
namespace {

// A mailbox with "sendemailmp3": a minute's message, stored in GSM 6.10, is
// mailed as an MP3 that decodes back to the message's length, the whole mail
// stays under 100 KB, and the stored recording is not touched.
TEST_F(DeliveryPassTest, Mp3MailboxesGetAnMp3OfTheRecordingUnderTheSizeGoal) {
    StartSmtp();
    const std::string mbx = Mailbox("Sales", "owner@example.com");
    ASSERT_TRUE(WriteProfileBool(mbx, "mbx", "sendemailmp3", true));
    const std::string ini = Message("Sales", 3, {"sentemail"});
    ASSERT_TRUE(test::WriteTone(Wav(ini), 60 * 8000));
    ASSERT_TRUE(WriteConvertedFile(OpenWaveSource(Wav(ini)), Gsm610Format(8000), Wav(ini)));
    ASSERT_TRUE(WriteProfileBool(ini, "message", "compressed", false));
    const std::string stored = ReadFile(Wav(ini));
    RunPass();

    ASSERT_TRUE(MailStored(0));
    EXPECT_LT(MailFile(0, "raw.eml").size(), 100u * 1000u);
    EXPECT_EQ(MailFile(0, "part1.type"), "audio/mpeg");
    EXPECT_EQ(MailFile(0, "part1.filename"), "Sales ICM000003.mp3");
    const std::string mp3 = work_.Path() + "attached.mp3";
    ASSERT_TRUE(test::WriteFile(mp3, MailFile(0, "part1.data")));
    const LSoundSource decoded = OpenMP3Source(mp3);
    ASSERT_FALSE(IsInvalid(decoded));
    EXPECT_EQ(decoded->channels, 1);
    EXPECT_EQ(decoded->sampleRate, 8000);
    std::vector<int32_t> block(kMaxBlockFrames);
    while (decoded->GetPosition() < decoded->GetLength())
        decoded->Read(block.data(), kMaxBlockFrames);
    // The encoder's delay and padding add a fraction of a second.
    EXPECT_NEAR(decoded->GetLength() / 8000.0, 60.0, 0.3);
    // Not compressed, not changed: the MP3 was made from it as it is.
    EXPECT_EQ(ReadFile(Wav(ini)), stored);
    EXPECT_EQ(Key(ini, "message", "compressed"), "false");
    EXPECT_EQ(Key(ini, "message", "sentemail"), "true");
}

}  // namespace
}  // namespace orvia
