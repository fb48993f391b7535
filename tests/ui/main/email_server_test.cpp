// Mailing messages by hand from the main window to an SMTP server started on
// loopback: what the user typed reaches the server, and a refusal is said.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "server_process.h"
#include "store/profile.h"
#include "ui/main/email_dialog.h"
#include "ui/main/main_window.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

class EmailServerTest : public DesktopTest {
protected:
    void SetUp() override {
        std::string error;
        server_ = ServerProcess::Start("smtp_server.py", {mails_.Path(), work_.Path() + "port"},
                                       work_.Path() + "port", work_.Path() + "log", &error);
        ASSERT_TRUE(server_) << error;
        const std::pair<const char*, std::string> smtp[] = {
            {"server", "127.0.0.1:" + std::to_string(server_->Port())},
            {"security", "none"},
            {"from", "orvia@example.org"}};
        for (const auto& [key, value] : smtp)
            ASSERT_TRUE(WriteProfileString(data_.Settings(), "smtp", key, value));
        data_.Mailbox("Sales");
        ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "mbx", "Sales"));
        first_ = data_.Message("Sales", 1, "5551234");
        second_ = data_.Message("Sales", 2, "5559876");
        Create();
    }

    // Mails the selected messages through the window's button, typing the
    // address and the note in its dialog.
    void MailTo(const QString& address, const QString& note) {
        questions_.QueueDialog([address, note](QDialog& dialog) {
            auto& email = static_cast<EmailDialog&>(dialog);
            email.AddressEdit()->clear();
            QTest::keyClicks(email.AddressEdit(), address);
            email.NoteEdit()->setPlainText(note);
            QTest::mouseClick(email.SendButton(), Qt::LeftButton);
        });
        QTest::mouseClick(Window().EmailButton(), Qt::LeftButton);
    }

    std::string Mail(int index, const char* file) const {
        return ReadFile(mails_.Path() + "mail" + std::to_string(index) + "/" + file);
    }

    TempDir mails_, work_;
    std::unique_ptr<ServerProcess> server_;
    std::string first_, second_;
};

TEST_F(EmailServerTest, EachSelectedMessageGoesWithItsRecordingAndTheNote) {
    SelectMessages({first_, second_});
    MailTo("owner@example.com", "Please call\nthem back");
    EXPECT_TRUE(questions_.asked.empty());  // accepted: nothing to say

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Mail(i, "envelope_to"), "owner@example.com");
        EXPECT_NE(Mail(i, "headers").find("Subject: Orvia Telephone Message"), std::string::npos);
        EXPECT_NE(Mail(i, "part0.data").find("Please call\r\nthem back"), std::string::npos)
            << Mail(i, "part0.data");
        EXPECT_EQ(Mail(i, "part1.type"), "audio/wav");
    }
    // Newest first in the list, so mailed in that order.
    EXPECT_EQ(Mail(0, "part1.filename"), "Sales ICM000002.wav");
    EXPECT_EQ(Mail(0, "part1.data"), ReadFile(data_.Box("Sales ICM000002.wav")));
    EXPECT_NE(Mail(0, "part0.data").find("5559876"), std::string::npos);
    EXPECT_EQ(Mail(1, "part1.filename"), "Sales ICM000001.wav");
    EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "sendemail", ""),
              "owner@example.com");
}

TEST_F(EmailServerTest, ARefusedAddressIsSaidWithTheServersReason) {
    SelectMessages({first_});
    questions_.QueueAnswer(Answer::Ok);
    MailTo("refuse@example.com", "");
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Send Message by Email");
    EXPECT_TRUE(questions_.asked[0].text.contains("refuse@example.com"))
        << questions_.asked[0].text.toStdString();
    EXPECT_TRUE(questions_.asked[0].text.contains("Recipient address rejected"))
        << questions_.asked[0].text.toStdString();
    EXPECT_FALSE(FileExists(mails_.Path() + "mail0"));
}

}  // namespace
}  // namespace orvia::test
