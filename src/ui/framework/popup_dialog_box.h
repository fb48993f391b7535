// LPopupDialogBox: the base of every modal dialog of the desktop UI, with
// the operations of dialog_operations.h. OK (accept) closes the dialog only
// when OnApply returns true; Cancel (reject, Esc) calls OnReset and closes;
// F1 calls OnHelp.
//
// Run() prepares the dialog and runs it through the question seam
// (questions.h), so a test can drive the same dialog through its controls.
//
// Main thread only.
#pragma once

#include <QDialog>

#include "ui/framework/dialog_operations.h"

class QKeyEvent;

namespace orvia {

class LPopupDialogBox : public QDialog, public DialogOperations {
    Q_OBJECT

public:
    // helpTopic: the dialog's help topic (help.h); 0 for none.
    explicit LPopupDialogBox(QWidget* parent, int helpTopic = 0);

    // Prepares (dialog_operations.h; a picture of the dialog calls Prepare
    // before grabbing) and runs the dialog modally; true when it was accepted.
    bool Run();

    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orvia
