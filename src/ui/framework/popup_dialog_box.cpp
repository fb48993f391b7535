#include "ui/framework/popup_dialog_box.h"

#include <QKeyEvent>

#include "platform/thread/thread_affinity.h"
#include "ui/framework/questions.h"

namespace orvia {

LPopupDialogBox::LPopupDialogBox(QWidget* parent, int helpTopic)
    : QDialog(parent), DialogOperations(this, helpTopic) {
    ORVIA_ASSERT_MAIN_THREAD();
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
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

void LPopupDialogBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orvia
