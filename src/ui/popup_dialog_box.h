// LPopupDialogBox: the base of every modal dialog of the desktop UI.
//
// A dialog fills its controls in OnInit, enables and disables them in
// UpdateControls (after OnInit and after every control signal it watches),
// reacts to a control in OnCommand, and reads its controls and writes its
// settings in OnApply, which may refuse: OK (accept) closes the dialog only
// when OnApply returns true. Signals of controls that OnInit fills are not
// commands. Cancel (reject, Esc) calls OnReset and closes.
// F1 calls OnHelp, which opens the dialog's help topic.
//
// Run() prepares the dialog and runs it through the question seam
// (questions.h), so a test can drive the same dialog through its controls.
//
// Main thread only.
#pragma once

#include <QDialog>

class QKeyEvent;

namespace orvia {

class LPopupDialogBox : public QDialog {
    Q_OBJECT

public:
    // helpTopic: the dialog's help topic (help.h); 0 for none.
    explicit LPopupDialogBox(QWidget* parent, int helpTopic = 0);

    // OnInit and UpdateControls, once; Run does it, a picture of the
    // dialog calls it before grabbing.
    void Prepare();
    // Prepares and runs the dialog modally; true when it was accepted.
    bool Run();

    int HelpTopic() const { return helpTopic_; }

    void accept() override;
    void reject() override;

protected:
    virtual void OnInit() {}
    // False keeps the dialog open.
    virtual bool OnApply() { return true; }
    virtual void OnHelp();
    virtual void UpdateControls() {}
    // A watched control changed or was clicked; UpdateControls follows.
    virtual void OnCommand(QObject* control) { (void)control; }
    virtual void OnReset() {}

    // Calls OnCommand(control) and then UpdateControls whenever the control
    // is clicked, edited, toggled or changes its selection (buttons, line and
    // text edits, combo boxes, list and tree widgets, spin boxes, sliders and
    // scroll bars).
    void Watch(QObject* control);

    void keyPressEvent(QKeyEvent* event) override;

private:
    void Command(QObject* control);

    int helpTopic_;
    bool prepared_ = false;
    bool initialising_ = false;
};

}  // namespace orvia
