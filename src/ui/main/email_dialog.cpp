#include "ui/main/email_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/framework/help.h"

namespace orvia {
namespace {

// The first max characters (not bytes) of a text.
std::string Limited(const QString& text, int max) {
    return text.left(max).toStdString();
}

}  // namespace

EmailDialog::EmailDialog(QWidget* parent, std::string& address, std::string& note)
    : LPopupDialogBox(parent, kHelpEmail),
      addressOut_(address),
      noteOut_(note),
      address_(new QLineEdit(this)),
      note_(new QPlainTextEdit(this)),
      send_(new QPushButton(tr("Send"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle("Send Message by Email");
    address_->setObjectName("address");
    address_->setMaxLength(kAddressMax);
    note_->setObjectName("note");
    note_->setTabChangesFocus(true);
    note_->setPlaceholderText(tr("A note for the mail (optional)"));
    auto* label = new QLabel(tr("To &Email:"), this);
    label->setBuddy(address_);
    send_->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(send_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &EmailDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EmailDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(address_, 0, 1);
    layout->addWidget(note_, 1, 0, 1, 2);
    layout->addWidget(buttons, 2, 0, 1, 2);
    const QFontMetrics metrics = fontMetrics();
    address_->setMinimumWidth(metrics.averageCharWidth() * 36);
    note_->setMinimumHeight(metrics.lineSpacing() * 5);
}

void EmailDialog::OnInit() {
    address_->setText(QString::fromStdString(addressOut_));
    note_->clear();
    address_->setFocus();
}

bool EmailDialog::OnApply() {
    addressOut_ = Limited(address_->text(), kAddressMax);
    // The mail body's lines end in CR LF.
    QString note = note_->toPlainText().left(kNoteMax);
    note.replace("\r\n", "\n").replace("\n", "\r\n");
    noteOut_ = note.toStdString();
    return true;
}

}  // namespace orvia
