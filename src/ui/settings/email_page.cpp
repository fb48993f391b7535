#include "ui/settings/email_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "delivery/delivery_settings.h"
#include "delivery/mail_sender.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/progress_dialog.h"
#include "ui/settings/settings_messages.h"

namespace orvia {
namespace {

constexpr const char* kSmtp = "smtp";
// The security choices in the order shown, as written.
constexpr const char* kSecurity[] = {"starttls", "tls", "none"};
constexpr const char* kSecurityLabels[] = {
    "STARTTLS (port 25 or 587)", "TLS from the start (port 465)", "None (plain, unencrypted)"};

int SecurityIndex(SmtpSecurity security) {
    switch (security) {
        case SmtpSecurity::Tls:
            return 1;
        case SmtpSecurity::None:
            return 2;
        case SmtpSecurity::StartTls:
            break;
    }
    return 0;
}

QLineEdit* ValueEdit() {
    auto* edit = new QLineEdit;
    edit->setMaxLength(static_cast<int>(kProfileValueMax));
    return edit;
}

}  // namespace

std::string TestMailOutcome(TransferStatus status, const std::string& failure,
                            const std::string& server, const std::string& recipient) {
    const std::string detail = failure.empty() ? std::string() : "\n\nDetails: " + failure;
    switch (status) {
        case TransferStatus::Ok:
            return "The mail server " + server + " accepted the test mail for " + recipient +
                   ". Messages will be mailed with these settings.";
        case TransferStatus::NotConfigured:
            return "No mail server is set. Enter the server's name (and its port, when it is not "
                   "25) first.";
        case TransferStatus::InvalidInput:
            return "The test mail was not sent: a setting or the address cannot be used." + detail;
        case TransferStatus::Unreachable:
            return "The mail server " + server +
                   " could not be reached: check its name and port, and that this computer is "
                   "connected." +
                   detail;
        case TransferStatus::LoginDenied:
            return "The mail server " + server + " refused the user name or password." + detail;
        case TransferStatus::Refused:
            return "The mail server " + server +
                   " refused the mail (the sender, the address or the security setting)." + detail;
        case TransferStatus::TimedOut:
            return "The mail server " + server + " did not answer in time." + detail;
        case TransferStatus::Aborted:
            return "The test mail was cancelled.";
        case TransferStatus::Failed:
            break;
    }
    return "The test mail was not sent through " + server + "." + detail;
}

LEmailPage::LEmailPage(QWidget* parent)
    : LPropertyPage(kHelpSettingsEmail, parent),
      server_(ValueEdit()),
      security_(new QComboBox),
      user_(ValueEdit()),
      password_(ValueEdit()),
      from_(ValueEdit()),
      test_(new QPushButton(tr("Send &Test Mail..."))) {
    server_->setObjectName("server");
    server_->setPlaceholderText(tr("mail.example.com:587"));
    for (const char* label : kSecurityLabels)
        security_->addItem(tr(label));
    user_->setPlaceholderText(tr("empty when the server needs no login"));
    password_->setEchoMode(QLineEdit::Password);
    from_->setPlaceholderText(tr("the user name, when it is an address"));

    auto* serverGroup = new QGroupBox(tr("Mail Server (SMTP)"));
    auto* form = new QFormLayout(serverGroup);
    form->addRow(tr("&Server:"), server_);
    form->addRow(tr("S&ecurity:"), security_);
    form->addRow(tr("&User:"), user_);
    form->addRow(tr("&Password:"), password_);
    form->addRow(tr("Sender (&From):"), from_);

    auto* note =
        new QLabel(tr("New messages of mailboxes that send e-mail go out through this "
                      "server. Send Test Mail saves these settings and mails a short "
                      "test message."));
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serverGroup);
    layout->addWidget(note);
    layout->addWidget(test_, 0, Qt::AlignLeft);
    layout->addStretch(1);
    server_->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    limits_.connectTimeoutMs = 15000;
    limits_.totalTimeoutMs = 60000;
    Watch(test_);
}

void LEmailPage::OnInit() {
    const MailSettings mail = ReadMailSettings();
    server_->setText(QString::fromStdString(mail.server));
    security_->setCurrentIndex(SecurityIndex(mail.security));
    user_->setText(QString::fromStdString(mail.user));
    password_->setText(QString::fromStdString(mail.password));
    from_->setText(QString::fromStdString(mail.from));
}

bool LEmailPage::OnApply() {
    KeyWriter write(Store().SettingsFile());
    write.Text(kSmtp, "server", server_->text().trimmed().toStdString());
    write.Text(kSmtp, "security", kSecurity[std::max(0, security_->currentIndex())]);
    write.Text(kSmtp, "user", user_->text().trimmed().toStdString());
    write.Text(kSmtp, "password", password_->text().toStdString());
    write.Text(kSmtp, "from", from_->text().trimmed().toStdString());
    // A write that failed keeps the user on the page, told why.
    return write.Confirm(this);
}

void LEmailPage::OnCommand(QObject* control) {
    if (control == test_)
        SendTestMail();
}

void LEmailPage::SendTestMail() {
    // The mail goes out with the saved settings: when they could not be
    // saved (the user was told), a test of the old ones would mislead.
    if (!OnApply())
        return;
    const std::string server = server_->text().trimmed().toStdString();
    if (server.empty()) {
        CurrentQuestions().Ask(
            this, TestMailResultMessage(
                      false, TestMailOutcome(TransferStatus::NotConfigured, "", server, "")));
        return;
    }
    QString proposed = from_->text().trimmed();
    if (proposed.isEmpty())
        proposed = QString::fromStdString(
            ReadProfileString(Store().SettingsFile(), "settings", "sendemail", ""));
    const std::optional<QString> answer =
        CurrentQuestions().AskText(this, tr("Send Test Mail To"), proposed);
    if (!answer)
        return;
    const std::string recipient = answer->trimmed().toStdString();

    MailMessage mail;
    mail.address = recipient;
    mail.subject = "Orvia Test Mail";
    mail.body =
        "This is a test mail from Orvia.\r\n\r\nThe mail settings work: new messages will be "
        "mailed through " +
        server + ".\r\n";
    std::string failure;
    TransferStatus status;
    {
        LProgressDialog progress(
            this, tr("Send Test Mail"),
            tr("Sending a test mail through %1").arg(QString::fromStdString(server)),
            tr("Please wait..."));
        progress.SetPercent(50);
        TransferControl control = limits_;
        control.stop = [&progress] { return progress.Cancelled(); };
        status = SendMailMessage(mail, control, &failure);
    }
    CurrentQuestions().Ask(
        this, TestMailResultMessage(status == TransferStatus::Ok,
                                    TestMailOutcome(status, failure, server, recipient)));
}

}  // namespace orvia
