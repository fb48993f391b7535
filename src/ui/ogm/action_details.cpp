#include "ui/ogm/action_details.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/main_lists.h"
#include "engine/ogm_files.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/questions.h"
#include "ui/ogm/action_choice.h"
#include "ui/ogm/ogm_controls.h"
#include "ui/ogm/ogm_files_commands.h"

namespace orvia {
namespace {

constexpr const char* kWaveFilter = "Wav Files (*.wav *.WAV *.Wav)";

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// An open or save dialog starting at the stored path; the chosen path is
// written at once.
bool AskPath(QWidget* parent, const std::string& file, const std::string& key, bool save,
             const FileQuestion& question) {
    const std::optional<QString> chosen = save ? CurrentQuestions().AskSaveFile(parent, question)
                                               : CurrentQuestions().AskOpenFile(parent, question);
    if (!chosen)
        return false;
    KeyWriter writer(file);
    writer.Text(kOgmSectionIvr, key, chosen->toStdString());
    return writer.Confirm(parent);
}

}  // namespace

bool EditActionDetails(QWidget* parent, const std::string& ogmFile, const std::string& key,
                       IVRAction action) {
    const auto stored = [&](const char* suffix) {
        return QString::fromStdString(ReadProfileString(ogmFile, kOgmSectionIvr, key + suffix, ""));
    };
    switch (action) {
        case IVRAction::Go:
            return GoToOgmDialog(parent, ogmFile, key).Run();
        case IVRAction::Mailbox:
            return LeaveMessageDialog(parent, ogmFile, key).Run();
        case IVRAction::Transfer:
        case IVRAction::TransferConfirmed:
            return TransferDialog(parent, ogmFile, key, action == IVRAction::TransferConfirmed)
                .Run();
        case IVRAction::Play:
            return AskPath(parent, ogmFile, key + "playfile", false,
                           {"Play File", stored("playfile"), kWavOrMp3Filter});
        case IVRAction::Record:
            return AskPath(parent, ogmFile, key + "recfile", true,
                           {"Record File", stored("recfile"), kWaveFilter});
        default:
            return false;
    }
}

GoToOgmDialog::GoToOgmDialog(QWidget* parent, std::string ogmFile, std::string key)
    : LPopupDialogBox(parent, kHelpOgmActions),
      file_(std::move(ogmFile)),
      key_(std::move(key)),
      target_(NameChoice(this, "target", OgmNames())) {
    setWindowTitle("Go To OGM");
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Go to &OGM:"), target_);
    layout->addRow(OkCancel(this));
}

void GoToOgmDialog::OnInit() {
    ShowName(target_, ReadProfileString(file_, kOgmSectionIvr, key_ + "go", ""));
}

bool GoToOgmDialog::OnApply() {
    KeyWriter writer(file_);
    writer.Text(kOgmSectionIvr, key_ + "go", ChosenName(target_));
    return writer.Confirm(this);
}

LeaveMessageDialog::LeaveMessageDialog(QWidget* parent, std::string ogmFile, std::string key)
    : LPopupDialogBox(parent, kHelpOgmActions),
      file_(std::move(ogmFile)),
      key_(std::move(key)),
      mailbox_(NameChoice(this, "mailbox", MailboxNames())),
      greeting_(new QCheckBox(tr("Play Mailbox personal greeting"), this)) {
    setWindowTitle("Leave Message for Mailbox");
    greeting_->setObjectName("greeting");
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("&Mailbox:"), mailbox_);
    layout->addRow(greeting_);
    layout->addRow(OkCancel(this));
}

void LeaveMessageDialog::OnInit() {
    ShowName(mailbox_, ReadProfileString(file_, kOgmSectionIvr, key_ + "mbx", ""));
    greeting_->setChecked(ReadProfileBool(file_, kOgmSectionIvr, key_ + "mbxmessage", true));
}

bool LeaveMessageDialog::OnApply() {
    KeyWriter writer(file_);
    writer.Text(kOgmSectionIvr, key_ + "mbx", ChosenName(mailbox_));
    writer.Bool(kOgmSectionIvr, key_ + "mbxmessage", greeting_->isChecked());
    return writer.Confirm(this);
}

TransferDialog::TransferDialog(QWidget* parent, std::string ogmFile, std::string key,
                               bool confirmed)
    : LPopupDialogBox(parent, kHelpOgmActions),
      file_(std::move(ogmFile)),
      key_(std::move(key)),
      confirmed_(confirmed),
      number_(new QLineEdit(this)),
      fail_(new QComboBox(this)),
      failDetails_(new QPushButton(tr("Details"), this)) {
    setWindowTitle("Transfer Call to");
    number_->setObjectName("number");
    fail_->setObjectName("failAction");
    failDetails_->setObjectName("failDetails");
    number_->setMinimumWidth(number_->fontMetrics().averageCharWidth() * 24);
    FillActionChoice(fail_, ActionOffer::AtEnd);
    auto* failRow = new QHBoxLayout;
    failRow->addWidget(fail_, 1);
    failRow->addWidget(failDetails_);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Telephone &Number:"), number_);
    auto* failLabel = new QLabel(tr("If transfer &fails:"), this);
    failLabel->setBuddy(fail_);
    layout->addRow(failLabel, failRow);
    layout->addRow(OkCancel(this));
    Watch(fail_);
    Watch(failDetails_);
}

void TransferDialog::OnInit() {
    number_->setText(
        QString::fromStdString(ReadProfileString(file_, kOgmSectionIvr, key_ + "transfer", "")));
    ShowAction(fail_, ReadProfileString(file_, kOgmSectionIvr, key_ + "transferfail", ""),
               "hangup");
}

void TransferDialog::UpdateControls() {
    fail_->setEnabled(confirmed_);
    failDetails_->setEnabled(confirmed_ && ChosenHasArguments(fail_));
}

void TransferDialog::OnCommand(QObject* control) {
    if (control == failDetails_)
        EditActionDetails(this, file_, key_ + "transferfail", ChosenAction(fail_));
}

bool TransferDialog::OnApply() {
    KeyWriter writer(file_);
    writer.Text(kOgmSectionIvr, key_ + "transfer", number_->text().trimmed().toStdString());
    if (confirmed_)
        writer.Text(kOgmSectionIvr, key_ + "transferfail", ChosenActionValue(fail_));
    return writer.Confirm(this);
}

}  // namespace orvia
