// The argument dialogs of OGM actions ("Details"). K is the key of the list
// the button belongs to ("press1", "playcomplete", "press2transferfail" ...);
// the arguments are kept under K followed by a suffix ("go", "mbx",
// "mbxmessage", "playfile", "recfile", "transfer", "transferfail"). Each
// dialog reads its keys when it opens and writes them only on OK.
//
// Main thread only.
#pragma once

#include <string>

#include "engine/action_table.h"
#include "ui/framework/popup_dialog_box.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace orvia {

// Opens the argument dialog of action for key K of the OGM definition file:
// the three dialogs below, or the open-file dialog "Play File" (play) or the
// save-file dialog "Record File" (record), whose chosen path is written.
// True when something was written; false for an action without arguments.
bool EditActionDetails(QWidget* parent, const std::string& ogmFile, const std::string& key,
                       IVRAction action);

// "Go To OGM": the OGM to go to (K + "go"), chosen from all OGMs or typed
// (a %variable% template is allowed).
class GoToOgmDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    GoToOgmDialog(QWidget* parent, std::string ogmFile, std::string key);
    QComboBox* Target() const { return target_; }

protected:
    void OnInit() override;
    bool OnApply() override;

private:
    std::string file_;
    std::string key_;
    QComboBox* target_;
};

// "Leave Message for Mailbox": the mailbox (K + "mbx") and whether its
// personal greeting plays first (K + "mbxmessage", default true).
class LeaveMessageDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    LeaveMessageDialog(QWidget* parent, std::string ogmFile, std::string key);
    QComboBox* Mailbox() const { return mailbox_; }
    QCheckBox* Greeting() const { return greeting_; }

protected:
    void OnInit() override;
    bool OnApply() override;

private:
    std::string file_;
    std::string key_;
    QComboBox* mailbox_;
    QCheckBox* greeting_;
};

// "Transfer Call to": the number (K + "transfer") and, for a confirmed
// transfer only, the action when the called party rejects the call
// (K + "transferfail", end-of-message actions, default "hangup") with its
// own "Details" for the key K + "transferfail".
class TransferDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    TransferDialog(QWidget* parent, std::string ogmFile, std::string key, bool confirmed);
    QLineEdit* Number() const { return number_; }
    QComboBox* FailAction() const { return fail_; }
    QPushButton* FailDetails() const { return failDetails_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

private:
    std::string file_;
    std::string key_;
    bool confirmed_;
    QLineEdit* number_;
    QComboBox* fail_;
    QPushButton* failDetails_;
};

}  // namespace orvia
