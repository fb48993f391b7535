// "Send Test Mail" of the settings' E-mail page against an SMTP server
// started on loopback: accepted, refused login, refused address, no server.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "server_process.h"
#include "settings_fixtures.h"
#include "ui/settings/email_page.h"
#include "ui/settings/settings_sheet.h"

namespace orvia::test {
namespace {

class TestMailTest : public SettingsTest {
protected:
    void StartServer(const std::vector<std::string>& login = {}) {
        std::vector<std::string> args = {mails_.Path(), work_.Path() + "port"};
        args.insert(args.end(), login.begin(), login.end());
        std::string error;
        server_ = ServerProcess::Start("smtp_server.py", args, work_.Path() + "port",
                                       work_.Path() + "log", &error);
        ASSERT_TRUE(server_) << error;
    }
    // The page filled as a user would, then Send Test Mail to recipient.
    Question SendTo(const std::string& server, const std::string& user, const std::string& password,
                    const QString& recipient) {
        SettingsSheet sheet(nullptr, SettingsServices{&startup_, {}});
        sheet.ShowPage(SettingsSheet::Email);
        LEmailPage& page = *sheet.EmailPage();
        TransferControl limits;
        limits.connectTimeoutMs = 5000;
        limits.totalTimeoutMs = 30000;
        page.SetTestLimits(limits);
        page.Server()->setText(QString::fromStdString(server));
        page.Security()->setCurrentIndex(2);  // none: the test server has no TLS
        page.User()->setText(QString::fromStdString(user));
        page.Password()->setText(QString::fromStdString(password));
        page.From()->setText("orvia@example.org");
        questions_.QueueText(recipient);
        questions_.QueueAnswer(Answer::Ok);
        QTest::mouseClick(page.TestButton(), Qt::LeftButton);
        EXPECT_EQ(questions_.textsAsked.back().second, "orvia@example.org");
        return questions_.asked.back();
    }
    std::string Server() const { return "127.0.0.1:" + std::to_string(server_->Port()); }

    TempDir mails_, work_;
    std::unique_ptr<ServerProcess> server_;
};

TEST_F(TestMailTest, AnAcceptedMailIsSaidAndTheSettingsAreSavedFirst) {
    StartServer({"phone", "right"});
    const Question said = SendTo(Server(), "phone", "right", "owner@example.com");
    EXPECT_EQ(said.caption, "Send Test Mail");
    EXPECT_EQ(said.icon, QuestionIcon::Information);
    EXPECT_TRUE(said.text.startsWith("The mail server " + QString::fromStdString(Server()) +
                                     " accepted the test mail for owner@example.com"))
        << said.text.toStdString();
    EXPECT_EQ(ReadFile(mails_.Path() + "mail0/envelope_to"), "owner@example.com");
    EXPECT_EQ(Setting("smtp", "server"), Server());
    EXPECT_EQ(Setting("smtp", "user"), "phone");
}

TEST_F(TestMailTest, RefusalsAreSaidInPlainWords) {
    StartServer({"phone", "right"});
    struct Case {
        const char* password;
        const char* recipient;
        const char* says;
    };
    const Case cases[] = {
        {"wrong", "owner@example.com", "refused the user name or password"},
        {"right", "refuse@example.com", "Recipient address rejected"},
        {"right", "not an address", "cannot be used"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recipient);
        const Question said = SendTo(Server(), "phone", c.password, c.recipient);
        EXPECT_EQ(said.icon, QuestionIcon::Exclamation);
        EXPECT_TRUE(said.text.contains(c.says)) << said.text.toStdString();
    }
    EXPECT_FALSE(FileExists(mails_.Path() + "mail0"));
}

TEST_F(TestMailTest, AServerThatIsNotThereOrNotSetIsSaid) {
    const Question unreachable =
        SendTo("127.0.0.1:" + std::to_string(ClosedLoopbackPort()), "", "", "owner@example.com");
    EXPECT_TRUE(unreachable.text.contains("could not be reached"))
        << unreachable.text.toStdString();

    SettingsSheet sheet(nullptr, SettingsServices{&startup_, {}});
    sheet.ShowPage(SettingsSheet::Email);
    sheet.EmailPage()->Server()->clear();
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(sheet.EmailPage()->TestButton(), Qt::LeftButton);
    EXPECT_TRUE(questions_.asked.back().text.startsWith("No mail server is set"));
    EXPECT_EQ(questions_.textsAsked.size(), 1u);  // no address was asked for
}

}  // namespace
}  // namespace orvia::test
