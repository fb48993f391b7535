// The operations every dialog and property page of the desktop UI has, and
// what they share: the help topic, filling the controls once, and turning
// the controls' signals into commands.
//
// OnInit fills the controls (once, from Prepare); UpdateControls enables and
// disables them, after OnInit and after every command; OnCommand reacts to a
// watched control (the signals OnInit's filling causes are not commands);
// OnApply reads the controls and writes the settings and may refuse; OnReset
// runs on Cancel; OnHelp opens the help topic. LPopupDialogBox and
// LPropertyPage say when each runs.
//
// Main thread only.
#pragma once

class QObject;

namespace orvia {

class DialogOperations {
public:
    virtual ~DialogOperations() = default;

    // OnInit, then UpdateControls; only the first time.
    void Prepare();
    bool IsPrepared() const { return prepared_; }
    int HelpTopic() const { return helpTopic_; }

    virtual void OnInit() {}
    // False refuses: the dialog stays open, the page stays current.
    virtual bool OnApply() { return true; }
    // Opens the help topic (none for 0).
    virtual void OnHelp();
    virtual void UpdateControls() {}
    // A watched control was clicked, edited, toggled or changed its
    // selection; UpdateControls follows.
    virtual void OnCommand(QObject* control) { (void)control; }
    virtual void OnReset() {}

protected:
    // self: the dialog or page (it owns this object); helpTopic: help.h, 0
    // for none.
    DialogOperations(QObject* self, int helpTopic) : self_(self), helpTopic_(helpTopic) {}

    // Calls OnCommand(control) and then UpdateControls whenever the control
    // changes: buttons (clicked), line and text edits, combo boxes, list and
    // tree widgets (selection), spin boxes, sliders and scroll bars.
    void Watch(QObject* control);

private:
    QObject* self_;
    int helpTopic_;
    bool prepared_ = false;
    bool initialising_ = false;
};

}  // namespace orvia
