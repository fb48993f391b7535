// E-mailing messages by hand: the "Send Message by Email" dialog, what it
// writes, and the compression progress with its Cancel.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ui/main/message_list_view.h"

#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/main/email_dialog.h"
#include "ui/main/main_window.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

class EmailTest : public DesktopTest {
protected:
    void SetUp() override {
        data_.Mailbox("Default");
        first_ = data_.Message("Default", 1);
        second_ = data_.Message("Default", 2);
        ASSERT_TRUE(WriteProfileBool(data_.Settings(), "state", "newmessages", true));
        ASSERT_TRUE(
            WriteProfileString(data_.Settings(), "settings", "sendemail", "owner@example.com"));
        Create();
    }

    std::string Setting(const char* section, const char* key) const {
        return ReadProfileString(data_.Settings(), section, key, "(missing)");
    }

    std::string first_;
    std::string second_;
};

TEST_F(EmailTest, CancelLeavesTheAddressAndMarksTheMessagesSeen) {
    SelectMessages({first_});
    questions_.QueueDialog([](QDialog& dialog) {
        auto& email = static_cast<EmailDialog&>(dialog);
        EXPECT_EQ(email.AddressEdit()->text(), "owner@example.com");
        EXPECT_TRUE(email.NoteEdit()->toPlainText().isEmpty());
        QTest::keyClicks(email.AddressEdit(), "x");
        QTest::mouseClick(email.CancelButton(), Qt::LeftButton);
    });
    QTest::mouseClick(Window().EmailButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("settings", "sendemail"), "owner@example.com");
    EXPECT_EQ(Setting("state", "newmessages"), "false");
}

TEST_F(EmailTest, NothingSelectedAsksNothing) {
    Window().Actions().messageEmail->trigger();
    QTest::keyClick(Window().Messages(), Qt::Key_S);
    EXPECT_TRUE(questions_.dialogsRun.empty());
    EXPECT_EQ(Setting("state", "newmessages"), "true");
}

TEST_F(EmailTest, SendKeepsTheTypedAddressAndTruncatesTheNote) {
    SelectMessages({first_, second_});
    std::string address;
    std::string note;
    EmailDialog dialog(&Window(), address, note);
    dialog.Prepare();
    dialog.show();
    dialog.AddressEdit()->clear();
    QTest::keyClicks(dialog.AddressEdit(), "sales@example.com");
    dialog.NoteEdit()->setPlainText(QString("Call back\n") + QString(600, 'x'));
    QTest::mouseClick(dialog.SendButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(address, "sales@example.com");
    EXPECT_EQ(note.size(), 513u);  // 512 characters, the line break as CR LF
    EXPECT_EQ(note.substr(0, 11), "Call back\r\n");

    // Through the window: the address is written back and, with no mail
    // server, the mails are refused and the user is told so.
    questions_.QueueDialog([](QDialog& d) {
        auto& email = static_cast<EmailDialog&>(d);
        email.AddressEdit()->setText("desk@example.com");
        QTest::keyClick(email.AddressEdit(), Qt::Key_Return);  // Send is the default
    });
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(Window().EmailButton(), Qt::LeftButton);
    EXPECT_EQ(Setting("settings", "sendemail"), "desk@example.com");
    EXPECT_EQ(Setting("state", "newmessages"), "false");
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Send Message by Email");
    EXPECT_TRUE(questions_.asked[0].text.startsWith(
        "2 of the 2 selected messages could not be sent to \"desk@example.com\": "
        "no SMTP server is configured"))
        << questions_.asked[0].text.toStdString();
}

TEST_F(EmailTest, CancelDuringTheCompressionStopsTheAction) {
    // Two recordings kept uncompressed, long enough for many blocks.
    const std::string third = data_.Message("Default", 3, "", false, 8000 * 60);
    const std::string fourth = data_.Message("Default", 4, "", false, 8000 * 60);
    for (const std::string& ini : {third, fourth})
        ASSERT_TRUE(WriteProfileBool(ini, "message", "compressed", false));
    Window().FillMessageList();
    const std::string before = ReadFile(data_.Box("Default ICM000003.wav"));
    SelectMessages({third, fourth});

    questions_.QueueDialog([](QDialog& d) {
        QTest::mouseClick(static_cast<EmailDialog&>(d).SendButton(), Qt::LeftButton);
    });
    // The progress dialog's Cancel, pressed as soon as the dialog is up.
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(top);
            if (progress == nullptr || !progress->isVisible())
                continue;
            EXPECT_EQ(progress->windowTitle(), "Compress Audio File");
            EXPECT_EQ(progress->labelText(), "Orvia");
            if (auto* cancel = progress->findChild<QPushButton*>()) {
                QTest::mouseClick(cancel, Qt::LeftButton);
                pressed = true;
            }
        }
    });
    QTest::mouseClick(Window().EmailButton(), Qt::LeftButton);
    ASSERT_TRUE(pressed);
    // Neither recording was converted: the first conversion was cancelled
    // and the action ended there.
    EXPECT_EQ(ReadProfileString(third, "message", "compressed", ""), "false");
    EXPECT_EQ(ReadProfileString(fourth, "message", "compressed", ""), "false");
    EXPECT_EQ(ReadFile(data_.Box("Default ICM000003.wav")), before);
    // The user's own cancel is no failure to report.
    EXPECT_TRUE(questions_.asked.empty());
}

}  // namespace
}  // namespace orvia::test
