#include "ui/popup_dialog_box.h"

#include <QKeyEvent>
#include <cassert>

#include "platform/thread_affinity.h"
#include "ui/control_watch.h"
#include "ui/help.h"
#include "ui/questions.h"

namespace orvia {

LPopupDialogBox::LPopupDialogBox(QWidget* parent, int helpTopic)
    : QDialog(parent), helpTopic_(helpTopic) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void LPopupDialogBox::Prepare() {
    if (prepared_)
        return;
    prepared_ = true;
    // Filling the controls is not the user's command.
    initialising_ = true;
    OnInit();
    initialising_ = false;
    UpdateControls();
}

bool LPopupDialogBox::Run() {
    ORVIA_ASSERT_MAIN_THREAD();
    Prepare();
    return CurrentQuestions().RunDialog(*this) == QDialog::Accepted;
}

void LPopupDialogBox::accept() {
    if (OnApply())
        QDialog::accept();
}

void LPopupDialogBox::reject() {
    OnReset();
    QDialog::reject();
}

void LPopupDialogBox::OnHelp() {
    if (helpTopic_ != 0)
        OpenHelp(this, helpTopic_);
}

void LPopupDialogBox::Watch(QObject* control) {
    [[maybe_unused]] const bool known =
        WatchControl(control, this, [this, control] { Command(control); });
    assert(known);
}

void LPopupDialogBox::Command(QObject* control) {
    if (initialising_)
        return;
    OnCommand(control);
    UpdateControls();
}

void LPopupDialogBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvia
