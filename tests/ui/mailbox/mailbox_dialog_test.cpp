// MailboxDialog through its controls: the values shown for missing keys,
// which controls each box enables, the keys OK writes, the two refusals with
// the focus on their field, the note beside the access code, and the
// greeting's Play.
#include "ui/mailbox/mailbox_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "engine/mailbox_files.h"
#include "ogm_fixtures.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia::test {
namespace {

class MailboxDialogTest : public OgmEditorTest {
protected:
    std::string Mbx(const char* key) const {
        return ReadProfileValue(MailboxPath("Sales"), "mbx", key).value_or("<missing>");
    }
};

TEST_F(MailboxDialogTest, MissingKeysShowTheirDefaultsAndOkWritesEveryKey) {
    data_.Mailbox("Sales");
    MailboxDialog dialog(nullptr, "Sales", services_);
    questions_.QueueDialog([&](QDialog&) {
        EXPECT_EQ(dialog.windowTitle(), "Sales");
        EXPECT_FALSE(dialog.RemoteAccess()->isChecked());
        EXPECT_EQ(dialog.AccessCode()->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(dialog.EmailAudio()->isChecked());
        EXPECT_FALSE(dialog.EmailDelete()->isChecked());
        EXPECT_FALSE(dialog.EmailMp3()->isChecked());
        EXPECT_EQ(dialog.FtpPassword()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog.ForwardAttempts()->text(), "2");
        EXPECT_EQ(dialog.ForwardWait()->text(), "20");

        ClickBox(dialog.RemoteAccess());
        QTest::keyClicks(dialog.AccessCode(), "4711");
        ClickBox(dialog.Email());
        QTest::keyClicks(dialog.EmailAddress(), "sales@example.com");
        ClickBox(dialog.EmailMp3());
        ClickBox(dialog.Ftp());
        QTest::keyClicks(dialog.FtpServer(), "ftp.example.com");
        QTest::keyClicks(dialog.FtpUser(), "web");
        QTest::keyClicks(dialog.FtpPassword(), "s3cret");
        QTest::keyClicks(dialog.FtpDirectory(), "/msgs");
        ClickBox(dialog.Forward());
        QTest::keyClicks(dialog.ForwardNumber(), "5551234");
        dialog.ForwardAttempts()->clear();
        QTest::keyClicks(dialog.ForwardAttempts(), "x0");  // digits only
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.Run());
    const std::pair<const char*, const char*> written[] = {
        {"remoteaccess", "true"},
        {"accesscode", "4711"},
        {"sendemail", "true"},
        {"emailaddress", "sales@example.com"},
        {"sendemailaudio", "true"},
        {"sendemaildelete", "false"},
        {"sendemailmp3", "true"},
        {"sendftp", "true"},
        {"ftpserver", "ftp.example.com"},
        {"ftpuser", "web"},
        {"ftppass", "s3cret"},
        {"ftpdir", "/msgs"},
        {"forwardtel", "true"},
        {"forwardnumber", "5551234"},
        {"maxforwardattempts", "0"},
        {"forwardfailwaitmins", "20"},
    };
    for (const auto& [key, value] : written)
        EXPECT_EQ(Mbx(key), value) << key;
}

TEST_F(MailboxDialogTest, EachBoxEnablesItsFieldsAndDeleteNeedsTheAttachment) {
    data_.Mailbox("Sales");
    MailboxDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    const std::vector<QWidget*> email = {dialog.EmailAddress(), dialog.EmailAudio(),
                                         dialog.EmailDelete(), dialog.EmailMp3()};
    const std::vector<QWidget*> ftp = {dialog.FtpServer(), dialog.FtpUser(), dialog.FtpPassword(),
                                       dialog.FtpDirectory()};
    const std::vector<QWidget*> forward = {dialog.ForwardNumber(), dialog.ForwardAttempts(),
                                           dialog.ForwardWait()};
    const std::pair<QCheckBox*, std::vector<QWidget*>> groups[] = {
        {dialog.RemoteAccess(), {dialog.AccessCode()}},
        {dialog.Email(), email},
        {dialog.Ftp(), ftp},
        {dialog.Forward(), forward}};
    for (const auto& [box, controls] : groups) {
        for (QWidget* control : controls)
            EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        ClickBox(box);
        for (QWidget* control : controls)
            EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    dialog.EmailDelete()->setChecked(true);
    ClickBox(dialog.EmailAudio());
    EXPECT_FALSE(dialog.EmailDelete()->isEnabled());
    EXPECT_FALSE(dialog.EmailMp3()->isEnabled());
    EXPECT_TRUE(dialog.EmailDelete()->isChecked());  // greyed, not changed
}

TEST_F(MailboxDialogTest, AnEmptyAddressOrServerIsRefusedWithTheFocusOnItsField) {
    data_.Mailbox("Sales");
    MailboxDialog dialog(nullptr, "Sales", services_);
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueDialog([&](QDialog&) {
        ClickBox(dialog.RemoteAccess());
        ClickBox(dialog.Email());
        ClickBox(dialog.Ftp());
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(questions_.asked.back().caption, "Invalid Email");
        EXPECT_EQ(questions_.asked.back().text,
                  "An email address is required for the Email Notification or Send option.");
        EXPECT_EQ(dialog.focusWidget(), dialog.EmailAddress());
        // The remote-access values are written already; the rest is not.
        EXPECT_EQ(Mbx("remoteaccess"), "true");
        EXPECT_EQ(Mbx("sendemail"), "<missing>");

        QTest::keyClicks(dialog.EmailAddress(), "sales@example.com");
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(questions_.asked.back().caption, "Invalid Server");
        EXPECT_TRUE(questions_.asked.back().text.startsWith("An ftp server (eg. "));
        EXPECT_EQ(dialog.focusWidget(), dialog.FtpServer());
        EXPECT_EQ(Mbx("sendemail"), "true");
        EXPECT_EQ(Mbx("sendftp"), "<missing>");
        dialog.reject();
    });
    EXPECT_FALSE(dialog.Run());
}

TEST_F(MailboxDialogTest, TheAccessCodeSaysThatAnEmptyCodeLetsAnyCallerIn) {
    data_.Mailbox("Sales");
    MailboxDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    EXPECT_TRUE(dialog.AccessCodeNote()->text().contains("empty access code lets any caller in"));
    // It stands out while it applies: remote access on and no code.
    EXPECT_TRUE(dialog.AccessCodeNote()->styleSheet().isEmpty());
    ClickBox(dialog.RemoteAccess());
    EXPECT_FALSE(dialog.AccessCodeNote()->styleSheet().isEmpty());
    QTest::keyClicks(dialog.AccessCode(), "12");
    EXPECT_TRUE(dialog.AccessCodeNote()->styleSheet().isEmpty());
}

TEST_F(MailboxDialogTest, TheAccessCodeTakesOnlyWhatATelephoneCanEnter) {
    // The field hides what is typed; a code a caller cannot enter (other
    // characters, more digits than a call takes) would lock the owner out.
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"4711", "4711"},
        {"47 11", "4711"},
        {"12a4*#", "124"},
        {"12345678901234567890123", "1234567890123456789"},
    };
    data_.Mailbox("Sales");
    ASSERT_TRUE(WriteProfileString(MailboxPath("Sales"), "mbx", "remoteaccess", "true"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        MailboxDialog dialog(nullptr, "Sales", services_);
        questions_.QueueDialog([&](QDialog&) {
            dialog.AccessCode()->clear();
            QTest::keyClicks(dialog.AccessCode(), c.typed);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
        EXPECT_TRUE(dialog.Run());
        EXPECT_EQ(Mbx("accesscode"), c.written);
    }
}

TEST_F(MailboxDialogTest, PlayGreetingPlaysTheGreetingOrElseTheDefaultPrompt) {
    data_.Mailbox("Sales");
    WriteTone(Store().SystemPrompts() + "LeaveMessage.wav", 8000, 1, 0.5);
    WriteTone(data_.Box("Sales OGM.wav"), 8000, 1, 1.0);
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "playvolume", "-6dB"));
    MailboxDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    QTest::mouseClick(dialog.PlayGreeting(), Qt::LeftButton);
    EXPECT_TRUE(dialog.PlayGreeting()->isChecked());
    QTest::mouseClick(dialog.PlayGreeting(), Qt::LeftButton);
    EXPECT_FALSE(dialog.PlayGreeting()->isChecked());
    std::remove(data_.Box("Sales OGM.wav").c_str());
    QTest::mouseClick(dialog.PlayGreeting(), Qt::LeftButton);
    dialog.reject();  // closing stops it
    EXPECT_EQ(playback_.calls, (std::vector<std::string>{"play 8000 on 0 at -6dB", "stop",
                                                         "play 4000 on 0 at -6dB", "stop"}));
}

}  // namespace
}  // namespace orvia::test
