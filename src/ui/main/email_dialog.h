// EmailDialog, "Send Message by Email": the address to send the selected
// messages to (prefilled with the last one used) and a note for the mail.
// "Send" copies both out (the address up to 260 characters, the note up to
// 512) and closes; "Cancel" closes and copies nothing. Nothing is validated.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvia {

class EmailDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    static constexpr int kAddressMax = 260;
    static constexpr int kNoteMax = 512;

    // address and note are the caller's: address is shown, both are written
    // on Send.
    EmailDialog(QWidget* parent, std::string& address, std::string& note);

    QLineEdit* AddressEdit() const { return address_; }
    QPlainTextEdit* NoteEdit() const { return note_; }
    QPushButton* SendButton() const { return send_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void OnInit() override;
    bool OnApply() override;

private:
    std::string& addressOut_;
    std::string& noteOut_;
    QLineEdit* address_;
    QPlainTextEdit* note_;
    QPushButton* send_;
    QPushButton* cancel_;
};

}  // namespace orvia
