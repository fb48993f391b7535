// One delivery pass over all mailboxes: e-mail and FTP upload of the messages
// that wait for them, with the one-time compression of their audio.
//
// Every outcome is recorded in the mailbox and message files, each flag
// written before the work it guards:
// - mailbox "unsentmessages" is cleared before the mailbox is worked on and
//   set again when the pass is stopped inside it, or when a message could
//   not be taken because its flag could not be written (a full disk: the
//   message was not tried, so the next pass tries it);
// - message "sentemail" / "sentftp" are "true" from the moment a stage takes
//   the message; only messages that say "false" are taken (a missing key
//   means the kind was off when the message was stored). They go back to
//   "false" when a stop interrupts the stage, and for FTP when connecting,
//   changing directory or uploading the audio failed.
// E-mail is not retried after the server refused it; a mail ended by the stop
// check is. With "sendemaildelete" the message files are deleted only after
// the server accepted the mail, so a failed mail never costs the message.
//
// Thread: runs on the calling thread (the delivery thread) and blocks it; the
// stop check of the control is polled before each mailbox, before each
// message, before each conversion block and inside every transfer.
#pragma once

#include <string>

#include "delivery/file_transfer.h"
#include "delivery/transfer_control.h"

namespace orvia {

// Where a pass reports to the main window. Called on the pass's thread, so
// an implementation only posts.
class DeliveryNotices {
public:
    virtual ~DeliveryNotices() = default;
    // The message whose ".ini" file this was has been deleted (its audio
    // first, then the ".ini" file).
    virtual void MessageDeleted(const std::string& messageIni) = 0;
    // A mail or an upload failed; text says which and why (it has also been
    // reported as an error of the program).
    virtual void DeliveryFailed(const std::string& text) { (void)text; }
};

class DeliveryPass {
public:
    // notices may be null (no main window).
    DeliveryPass(TransferControl control, DeliveryNotices* notices);

    // Works through every "*.mbx" file of the MailBoxes folder in name order.
    void Run();

private:
    void DeliverMailbox(FileTransfer& transfer, const std::string& mailboxFile);
    void MailStage(const std::string& mailboxFile);
    void MailOne(const std::string& mailboxFile, const std::string& address,
                 const std::string& messageIni);
    void FtpStage(FileTransfer& transfer, const std::string& mailboxFile);
    void UploadOne(FileTransfer& transfer, const std::string& mailboxFile,
                   const std::string& messageIni);
    void DeleteMessage(const std::string& messageIni);
    void Failed(const std::string& text);
    // The message's flag could not be set to take it: reported, and the
    // mailbox stays flagged for the next pass.
    void NotTaken(const std::string& mailboxFile, const std::string& messageIni, const char* work);
    bool Stopped() const { return StopNow(control_.stop); }

    TransferControl control_;
    DeliveryNotices* notices_;
    bool messageLeft_ = false;  // a message of the mailbox could not be taken
};

}  // namespace orvia
