// SendMail against an aiosmtpd server started on loopback for each test.
#include "delivery/mail_sender.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "delivery/mail_texts.h"
#include "platform/thread/thread.h"
#include "server_process.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;

// What the server stored of one mail.
struct ReceivedMail {
    std::string folder;
    std::string File(const std::string& name) const { return ReadFile(folder + name); }
    int PartCount() const {
        int n = 0;
        while (FileExists(folder + "part" + std::to_string(n) + ".type"))
            ++n;
        return n;
    }
};

class MailSenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
        control_.connectTimeoutMs = 5000;
        control_.totalTimeoutMs = 60000;
    }

    // Starts the server; with a user it requires that login.
    void StartServer(const std::string& user = "", const std::string& password = "") {
        std::vector<std::string> args = {mails_.Path(), work_.Path() + "port"};
        if (!user.empty()) {
            args.push_back(user);
            args.push_back(password);
        }
        std::string error;
        server_ = test::ServerProcess::Start("smtp_server.py", args, work_.Path() + "port",
                                             work_.Path() + "log", &error);
        ASSERT_TRUE(server_) << error;
    }

    void Configure(int port, const char* security, const std::string& user = "",
                   const std::string& password = "") {
        const std::string& file = Store().SettingsFile();
        ASSERT_TRUE(
            WriteProfileString(file, "smtp", "server", "127.0.0.1:" + std::to_string(port)));
        if (security != nullptr) {
            ASSERT_TRUE(WriteProfileString(file, "smtp", "security", security));
        }
        ASSERT_TRUE(WriteProfileString(file, "smtp", "user", user));
        ASSERT_TRUE(WriteProfileString(file, "smtp", "password", password));
        ASSERT_TRUE(WriteProfileString(file, "smtp", "from", "orvia@example.org"));
    }

    ReceivedMail Mail(int index) const {
        return ReceivedMail{mails_.Path() + "mail" + std::to_string(index) + "/"};
    }
    bool AnyMailStored() const { return FileExists(mails_.Path() + "mail0"); }

    test::TempDir data_, mails_, work_;
    std::unique_ptr<test::ServerProcess> server_;
    TransferControl control_;
};

std::string BinaryAudio(std::size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return "RIFF" + bytes;
}

TEST_F(MailSenderTest, AudioMailCarriesTheRecordingByteForByte) {
    StartServer("owner", "s3cret");
    Configure(server_->Port(), "none", "owner", "s3cret");
    const std::string wav = data_.Path() + "MailBoxes/Sales Dept ICM000003.wav";
    const std::string audio = BinaryAudio(100000);
    ASSERT_TRUE(test::WriteFile(wav, audio));
    const MessageDetails details{"Sales Dept", "12/24/09", "07:05:09", "5551234"};
    const std::string body = AudioMailBody(details, WebLinks{"https://orvia.example/", ""});

    ASSERT_EQ(
        SendMailMessage({"SMTP:owner@example.com", kAudioMailSubject, body, wav, {}}, control_),
        TransferStatus::Ok);

    const ReceivedMail mail = Mail(0);
    EXPECT_EQ(mail.File("envelope_from"), "orvia@example.org");
    EXPECT_EQ(mail.File("envelope_to"), "owner@example.com");
    const std::string headers = mail.File("headers");
    EXPECT_NE(headers.find("\nSubject: Orvia Message Received\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("\nTo: <owner@example.com>\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("\nFrom: <orvia@example.org>\n"), std::string::npos) << headers;
    EXPECT_EQ(mail.File("checks"), "date_ok\nmessage_id_ok");
    ASSERT_EQ(mail.PartCount(), 2);
    EXPECT_EQ(mail.File("part0.type"), "text/plain");
    EXPECT_EQ(mail.File("part0.data"), body);
    EXPECT_EQ(mail.File("part1.type"), "audio/wav");
    EXPECT_EQ(mail.File("part1.filename"), "Sales Dept ICM000003.wav");
    EXPECT_EQ(mail.File("part1.data"), audio);
    EXPECT_NE(mail.File("raw.eml").find("Content-Transfer-Encoding: base64"), std::string::npos);
}

TEST_F(MailSenderTest, NotificationMailHasTheExactBodyAndNoAttachment) {
    StartServer();
    Configure(server_->Port(), "none");
    const MessageDetails details{"Support", "01/02/03", "04:05:06", ""};
    const std::string body =
        NotificationMailBody(details, WebLinks{"https://orvia.example/", "https://maker.example/"});

    ASSERT_TRUE(
        SendMail("support@example.com", kNotificationMailSubject, body, std::nullopt, control_));

    const ReceivedMail mail = Mail(0);
    EXPECT_NE(mail.File("headers").find("\nSubject: Orvia Message Received Notification\n"),
              std::string::npos);
    ASSERT_EQ(mail.PartCount(), 1);
    EXPECT_EQ(mail.File("part0.type"), "text/plain");
    EXPECT_EQ(mail.File("part0.data"),
              "A message was received by Orvia.\r\n"
              "\r\n"
              "Details:\r\n"
              "  MailBox: Support\r\n"
              "  Date: 01/02/03\r\n"
              "  Time: 04:05:06\r\n"
              "  Caller ID: \r\n"
              "\r\n"
              "-------------------------------\r\n"
              "Orvia\r\n"
              "https://orvia.example/\r\n"
              "https://maker.example/ [Software Page]\r\n");
}

TEST_F(MailSenderTest, EightBitNoteWithBareLineFeedsArrivesIntact) {
    StartServer();
    Configure(server_->Port(), "none");
    const std::string note =
        "Gr\xc3\xbc\xc3\x9f"
        "e\n.\nsecond line";
    const std::string body = ManualMailBody(note, {"Box", "01/02/03", "04:05:06", "1"}, {});

    ASSERT_TRUE(SendMail("owner@example.com", kManualMailSubject, body, std::nullopt, control_));

    std::string expected = body;
    expected.replace(expected.find(note), note.size(),
                     "Gr\xc3\xbc\xc3\x9f"
                     "e\r\n.\r\nsecond line");
    EXPECT_EQ(Mail(0).File("part0.data"), expected);
}

TEST_F(MailSenderTest, NoServerConfiguredFailsAtOnce) {
    EXPECT_EQ(SendMailMessage({"owner@example.com", kAudioMailSubject, "x\r\n", std::nullopt, {}}),
              TransferStatus::NotConfigured);
    EXPECT_FALSE(SendMail("owner@example.com", kAudioMailSubject, "x\r\n", std::nullopt));
}

TEST_F(MailSenderTest, UnreachableServerFailsSayingWhere) {
    const int port = test::ClosedLoopbackPort();
    Configure(port, "none");
    std::string failure;
    EXPECT_EQ(SendMailMessage({"owner@example.com", kAudioMailSubject, "x\r\n", std::nullopt, {}},
                              control_, &failure),
              TransferStatus::Unreachable);
    // No server reply to give: libcurl's own words and the server's address.
    EXPECT_NE(failure.find("server unreachable: "), std::string::npos) << failure;
    EXPECT_NE(failure.find("smtp://127.0.0.1:" + std::to_string(port)), std::string::npos)
        << failure;
}

TEST_F(MailSenderTest, RefusedMailsStoreNothing) {
    StartServer("owner", "s3cret");
    struct Case {
        const char* what;
        const char* security;  // nullptr: the default
        const char* password;
        const char* address;
        std::optional<std::string> attachment;
        TransferStatus expected;
    };
    const Case cases[] = {
        {"wrong password", "none", "wrong", "owner@example.com", std::nullopt,
         TransferStatus::LoginDenied},
        {"STARTTLS required by default, server has none", nullptr, "s3cret", "owner@example.com",
         std::nullopt, TransferStatus::Refused},
        {"header injection", "none", "s3cret", "owner@example.com\r\nBcc: eve@example.org",
         std::nullopt, TransferStatus::InvalidInput},
        {"second recipient", "none", "s3cret", "owner@example.com>,<eve@example.org", std::nullopt,
         TransferStatus::InvalidInput},
        {"other transport", "none", "s3cret", "FAX:0123", std::nullopt,
         TransferStatus::InvalidInput},
        {"missing attachment", "none", "s3cret", "owner@example.com", data_.Path() + "missing.wav",
         TransferStatus::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(DeleteProfileSection(Store().SettingsFile(), "smtp"));
        Configure(server_->Port(), c.security, "owner", c.password);
        EXPECT_EQ(
            SendMailMessage({c.address, kAudioMailSubject, "x\r\n", c.attachment, {}}, control_),
            c.expected);
        EXPECT_FALSE(AnyMailStored());
    }
}

TEST_F(MailSenderTest, StopSignalAbortsAMailInProgress) {
    StartServer();
    Configure(server_->Port(), "none");
    LSignalObject stop;
    control_.stop = StopOnSignal(&stop);
    // The delivery thread's stop event is set from another thread once the
    // server holds the mail without answering.
    std::thread stopper([&] {
        for (int i = 0; i < 2000 && !FileExists(mails_.Path() + "stalled"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.Set();
    });
    auto sending = std::async(std::launch::async, [&] {
        return SendMailMessage({"stall@example.com", kAudioMailSubject, "x\r\n", std::nullopt, {}},
                               control_);
    });
    // A hang guard far above the second or so a stop takes, and far below
    // the minutes a stalled server could hold a connection that is not cut.
    const bool ended = sending.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    stopper.join();
    ASSERT_TRUE(ended) << "the stop signal did not end the transfer";
    EXPECT_TRUE(FileExists(mails_.Path() + "stalled"));
    EXPECT_EQ(sending.get(), TransferStatus::Aborted);
}

TEST_F(MailSenderTest, SetStopSignalSendsNothing) {
    StartServer();
    Configure(server_->Port(), "none");
    LSignalObject stop;
    stop.Set();
    control_.stop = StopOnSignal(&stop);
    EXPECT_EQ(SendMailMessage({"owner@example.com", kAudioMailSubject, "x\r\n", std::nullopt, {}},
                              control_),
              TransferStatus::Aborted);
    EXPECT_FALSE(AnyMailStored());
}

}  // namespace
}  // namespace orvia
