#include "ui/mailbox/mailbox_dialog.h"

#include <QCheckBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/mailbox_files.h"
#include "engine/number_entry.h"
#include "platform/thread/thread_affinity.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/number_edit.h"
#include "ui/framework/pictures.h"
#include "ui/framework/standard_buttons.h"
#include "ui/ogm/new_audio_menu.h"
#include "ui/ogm/ogm_controls.h"
#include "ui/ogm/play_toggle.h"

namespace orvia {
namespace {

constexpr const char* kMbx = kMailboxSection;

QLineEdit* Edit(QWidget* parent, const char* name, bool password = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 28);
    return edit;
}

QLabel* Label(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

Question EmailAddressRequired() {
    return {"Invalid Email",
            "An email address is required for the Email Notification or Send option.",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question FtpServerRequired() {
    return {"Invalid Server",
            "An ftp server (eg. ftp.example.com) is required for the Upload to Internet option.",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

MailboxDialog::MailboxDialog(QWidget* parent, std::string mailbox, const AudioServices& services)
    : LPopupDialogBox(parent, kHelpMailboxProperties),
      name_(std::move(mailbox)),
      file_(MailboxPath(name_)),
      remote_(NamedCheck(this, tr("&Remote Access (check messages by telephone)"), "remoteAccess")),
      code_(Edit(this, "accessCode", true)),
      codeNote_(new QLabel(this)),
      email_(NamedCheck(this, tr("&Email Notification or Send"), "email")),
      address_(Edit(this, "emailAddress")),
      audio_(NamedCheck(this, tr("Send audio file as attachment"), "emailAudio")),
      deleteAfter_(NamedCheck(this, tr("Delete message after sending"), "emailDelete")),
      mp3_(NamedCheck(this, tr("Send the recording as MP3 (plays on phones)"), "emailMp3")),
      ftp_(NamedCheck(this, tr("Upload to Internet Webpage using &FTP"), "ftp")),
      server_(Edit(this, "ftpServer")),
      user_(Edit(this, "ftpUser")),
      password_(Edit(this, "ftpPassword", true)),
      directory_(Edit(this, "ftpDirectory")),
      forward_(NamedCheck(this, tr("Forward by &Telephone"), "forward")),
      number_(Edit(this, "forwardNumber")),
      attempts_(MakeNumberEdit(this, NumberSign::Unsigned, 4)),
      wait_(MakeNumberEdit(this, NumberSign::Unsigned, 4)),
      play_(new QPushButton(tr("Play Greeting"), this)),
      change_(new QPushButton(tr("Change Greeting..."), this)),
      ok_(nullptr) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowTitle(QString::fromStdString(name_));
    setWindowIcon(Picture(kPictureWindowIcon));
    attempts_->setObjectName("forwardAttempts");
    wait_->setObjectName("forwardWait");
    play_->setObjectName("playGreeting");
    play_->setIcon(Picture(kPicturePlay));
    play_->setAutoDefault(false);
    change_->setObjectName("changeGreeting");
    change_->setAutoDefault(false);
    // A caller can enter only digits, and only so many of them: a code with
    // anything else could never be entered on the telephone, and the field
    // hides what was typed.
    code_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[0-9]{0,%1}").arg(kMaxEnteredDigits)), code_));
    codeNote_->setObjectName("accessCodeNote");
    // Broken by hand: a wrapping label would leave the layout guessing its height.
    codeNote_->setText(
        tr("An empty access code lets any caller in:\nwhoever presses # at the access code "
           "prompt\nhears this mailbox's messages."));
    QFont noteFont = codeNote_->font();
    noteFont.setBold(true);
    codeNote_->setFont(noteFont);

    const std::string prompts = Store().SystemPrompts();
    playToggle_ = new PlayToggle(play_, services.playback, [this, prompts] {
        return std::vector<std::string>{GreetingPath(name_), prompts + "LeaveMessage.wav"};
    });
    menu_ = new NewAudioMenu(
        this, {GreetingPath(name_), "Load New Greeting", tr("Reset to &Default"), std::nullopt},
        services.leveller);

    auto* remote = new QGroupBox(this);
    auto* remoteLayout = new QGridLayout(remote);
    codeLabel_ = Label(remote, tr("Access Code:"), code_);
    remoteLayout->addWidget(remote_, 0, 0, 1, 2);
    remoteLayout->addWidget(codeLabel_, 1, 0);
    remoteLayout->addWidget(code_, 1, 1);
    remoteLayout->addWidget(codeNote_, 2, 1);
    remoteLayout->setColumnStretch(1, 1);

    auto* mail = new QGroupBox(this);
    auto* mailLayout = new QGridLayout(mail);
    addressLabel_ = Label(mail, tr("Email Address:"), address_);
    mailLayout->addWidget(email_, 0, 0, 1, 2);
    mailLayout->addWidget(addressLabel_, 1, 0);
    mailLayout->addWidget(address_, 1, 1);
    mailLayout->addWidget(audio_, 2, 1);
    mailLayout->addWidget(mp3_, 3, 1);
    mailLayout->addWidget(deleteAfter_, 4, 1);
    mailLayout->setColumnStretch(1, 1);

    auto* upload = new QGroupBox(this);
    auto* uploadLayout = new QGridLayout(upload);
    uploadLayout->addWidget(ftp_, 0, 0, 1, 2);
    const std::pair<QString, QLineEdit*> ftpRows[] = {{tr("FTP Server:"), server_},
                                                      {tr("User Name:"), user_},
                                                      {tr("Password:"), password_},
                                                      {tr("Directory:"), directory_}};
    int row = 1;
    for (const auto& [text, edit] : ftpRows) {
        QLabel* label = Label(upload, text, edit);
        uploadLayout->addWidget(label, row, 0);
        uploadLayout->addWidget(edit, row++, 1);
        ftpControls_.push_back(label);
        ftpControls_.push_back(edit);
    }
    uploadLayout->setColumnStretch(1, 1);

    auto* phone = new QGroupBox(this);
    auto* phoneLayout = new QGridLayout(phone);
    phoneLayout->addWidget(forward_, 0, 0, 1, 2);
    const std::pair<QString, QLineEdit*> phoneRows[] = {{tr("Telephone Number:"), number_},
                                                        {tr("Number of Attempts:"), attempts_},
                                                        {tr("Wait Time (mins):"), wait_}};
    row = 1;
    for (const auto& [text, edit] : phoneRows) {
        QLabel* label = Label(phone, text, edit);
        phoneLayout->addWidget(label, row, 0);
        phoneLayout->addWidget(edit, row++, 1, Qt::AlignLeft);
        forwardControls_.push_back(label);
        forwardControls_.push_back(edit);
    }
    phoneLayout->setColumnStretch(1, 1);

    auto* greeting =
        new QGroupBox(tr("Mailbox Personal &Greeting (only used if selected for OGM)"), this);
    auto* greetingLayout = new QHBoxLayout(greeting);
    greetingLayout->addWidget(play_);
    greetingLayout->addWidget(change_);
    greetingLayout->addStretch();

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);

    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* group : {remote, mail, upload, phone, greeting})
        layout->addWidget(group);
    layout->addWidget(buttons);
    // The fields of the four groups line up.
    std::vector<QLabel*> labels = {codeLabel_, addressLabel_};
    for (QWidget* control : ftpControls_) {
        if (auto* label = qobject_cast<QLabel*>(control))
            labels.push_back(label);
    }
    for (QWidget* control : forwardControls_) {
        if (auto* label = qobject_cast<QLabel*>(control))
            labels.push_back(label);
    }
    int labelWidth = 0;
    for (QLabel* label : labels)
        labelWidth = std::max(labelWidth, label->sizeHint().width());
    for (QLabel* label : labels)
        label->setMinimumWidth(labelWidth);

    for (QObject* control :
         {static_cast<QObject*>(remote_), static_cast<QObject*>(code_),
          static_cast<QObject*>(email_), static_cast<QObject*>(audio_), static_cast<QObject*>(ftp_),
          static_cast<QObject*>(forward_), static_cast<QObject*>(change_)})
        Watch(control);
}

void MailboxDialog::OnInit() {
    const auto text = [&](const char* key) {
        return QString::fromStdString(ReadProfileString(file_, kMbx, key, ""));
    };
    const auto flag = [&](const char* key, bool fallback) {
        return ReadProfileBool(file_, kMbx, key, fallback);
    };
    remote_->setChecked(flag("remoteaccess", false));
    code_->setText(text("accesscode"));
    email_->setChecked(flag("sendemail", false));
    address_->setText(text("emailaddress"));
    audio_->setChecked(flag("sendemailaudio", true));
    deleteAfter_->setChecked(flag("sendemaildelete", false));
    mp3_->setChecked(flag("sendemailmp3", false));
    ftp_->setChecked(flag("sendftp", false));
    server_->setText(text("ftpserver"));
    user_->setText(text("ftpuser"));
    password_->setText(text("ftppass"));
    directory_->setText(text("ftpdir"));
    forward_->setChecked(flag("forwardtel", false));
    number_->setText(text("forwardnumber"));
    attempts_->setText(QString::number(ReadProfileInt(file_, kMbx, "maxforwardattempts", 2)));
    wait_->setText(QString::number(ReadProfileInt(file_, kMbx, "forwardfailwaitmins", 20)));
}

void MailboxDialog::UpdateControls() {
    const bool remote = remote_->isChecked();
    codeLabel_->setEnabled(remote);
    code_->setEnabled(remote);
    // The note stands out while it applies: remote access with no code.
    const bool open = remote && code_->text().isEmpty();
    codeNote_->setStyleSheet(open ? "color: #b3261e;" : QString());
    const bool email = email_->isChecked();
    addressLabel_->setEnabled(email);
    address_->setEnabled(email);
    audio_->setEnabled(email);
    mp3_->setEnabled(email && audio_->isChecked());
    deleteAfter_->setEnabled(email && audio_->isChecked());
    for (QWidget* control : ftpControls_)
        control->setEnabled(ftp_->isChecked());
    for (QWidget* control : forwardControls_)
        control->setEnabled(forward_->isChecked());
}

void MailboxDialog::OnCommand(QObject* control) {
    if (control == change_) {
        playToggle_->Stop();
        menu_->popup(QCursor::pos());
    }
}

void MailboxDialog::OnReset() {
    playToggle_->Stop();
}

bool MailboxDialog::OnApply() {
    KeyWriter writer(file_);
    writer.Bool(kMbx, "remoteaccess", remote_->isChecked());
    writer.Text(kMbx, "accesscode", code_->text().toStdString());
    if (email_->isChecked() && address_->text().trimmed().isEmpty()) {
        CurrentQuestions().Ask(this, EmailAddressRequired());
        address_->setFocus();
        return false;
    }
    writer.Bool(kMbx, "sendemail", email_->isChecked());
    writer.Text(kMbx, "emailaddress", address_->text().trimmed().toStdString());
    writer.Bool(kMbx, "sendemailaudio", audio_->isChecked());
    writer.Bool(kMbx, "sendemailmp3", mp3_->isChecked());
    writer.Bool(kMbx, "sendemaildelete", deleteAfter_->isChecked());
    if (ftp_->isChecked() && server_->text().trimmed().isEmpty()) {
        CurrentQuestions().Ask(this, FtpServerRequired());
        server_->setFocus();
        return false;
    }
    writer.Bool(kMbx, "sendftp", ftp_->isChecked());
    writer.Text(kMbx, "ftpserver", server_->text().trimmed().toStdString());
    writer.Text(kMbx, "ftpuser", user_->text().toStdString());
    writer.Text(kMbx, "ftppass", password_->text().toStdString());
    writer.Text(kMbx, "ftpdir", directory_->text().toStdString());
    writer.Bool(kMbx, "forwardtel", forward_->isChecked());
    writer.Text(kMbx, "forwardnumber", number_->text().toStdString());
    writer.Int(kMbx, "maxforwardattempts", static_cast<uint32_t>(NumberOf(attempts_)));
    writer.Int(kMbx, "forwardfailwaitmins", static_cast<uint32_t>(NumberOf(wait_)));
    if (!writer.Confirm(this))
        return false;
    playToggle_->Stop();
    return true;
}

}  // namespace orvia
