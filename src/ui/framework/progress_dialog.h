// LProgressDialog and LProcessDialog: a long desktop action with a progress
// bar and a working Cancel.
//
// The work runs on the main thread, in steps; between steps it asks
// Cancelled(), which lets the event loop handle pending events (so the
// window repaints and the Cancel button can be pressed) and reports Cancel
// once it was pressed or the dialog was closed. The dialog is window modal
// over its owner: the rest of the window does not take input meanwhile.
//
// Main thread only.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace orvia {

class LProgressDialog {
public:
    // Shows the dialog at once: caption, then two text lines (the second may
    // be empty) above the bar, and Cancel.
    LProgressDialog(QWidget* owner, const QString& caption, const QString& line1,
                    const QString& line2 = QString());
    ~LProgressDialog();
    LProgressDialog(const LProgressDialog&) = delete;
    LProgressDialog& operator=(const LProgressDialog&) = delete;

    void SetText(const QString& line1, const QString& line2 = QString());
    // 0 to 100.
    void SetPercent(int percent);
    // Handles pending events; true once Cancel was pressed or the dialog is gone.
    bool Cancelled();

    QProgressDialog& Widget() { return *dialog_; }

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

// What a process running in an LProcessDialog may ask and tell.
struct ProcessControl {
    std::function<bool()> cancelled;
    std::function<void(int percent)> progress;
};

// Runs work inside a progress dialog; true when the work succeeded and was
// not cancelled.
bool RunProcessDialog(QWidget* owner, const QString& caption, const QString& text,
                      const std::function<bool(const ProcessControl&)>& work);

}  // namespace orvia
