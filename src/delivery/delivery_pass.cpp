#include "delivery/delivery_pass.h"

#include "delivery/delivery_settings.h"
#include "delivery/ftp_upload_p.h"
#include "delivery/mail_sender.h"
#include "delivery/mail_texts.h"
#include "delivery/message_compression.h"
#include "delivery/mp3_attachment.h"
#include "engine/mailbox_files.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kMailbox = "mbx";
constexpr const char* kMessage = "message";

}  // namespace

DeliveryPass::DeliveryPass(TransferControl control, DeliveryNotices* notices)
    : control_(std::move(control)), notices_(notices) {}

void DeliveryPass::Run() {
    FileTransfer transfer(control_);
    const std::string& folder = Store().MailBoxes();
    for (const std::string& name : ListFolderFiles(folder, ".mbx")) {
        if (Stopped())
            break;
        DeliverMailbox(transfer, folder + name);
    }
    transfer.Close();
}

void DeliveryPass::DeliverMailbox(FileTransfer& transfer, const std::string& mailboxFile) {
    if (!ReadProfileBool(mailboxFile, kMailbox, "unsentmessages", false))
        return;
    if (!WriteProfileBool(mailboxFile, kMailbox, "unsentmessages", false))
        return;
    messageLeft_ = false;
    if (ReadProfileBool(mailboxFile, kMailbox, "sendemail", false))
        MailStage(mailboxFile);
    if (ReadProfileBool(mailboxFile, kMailbox, "sendftp", false))
        FtpStage(transfer, mailboxFile);
    if (Stopped() || messageLeft_)
        WriteProfileBool(mailboxFile, kMailbox, "unsentmessages", true);
}

void DeliveryPass::MailStage(const std::string& mailboxFile) {
    const std::string address = ReadProfileString(mailboxFile, kMailbox, "emailaddress", "");
    for (const std::string& messageIni : ListMessageFiles(MailboxNameOf(mailboxFile))) {
        if (Stopped())
            return;
        MailOne(mailboxFile, address, messageIni);
    }
}

void DeliveryPass::MailOne(const std::string& mailboxFile, const std::string& address,
                           const std::string& messageIni) {
    if (ReadProfileBool(messageIni, kMessage, "sentemail", true))
        return;
    if (!WriteProfileBool(messageIni, kMessage, "sentemail", true)) {
        NotTaken(mailboxFile, messageIni, "mailed");
        return;
    }
    const MessageDetails details = ReadMessageDetails(MailboxNameOf(mailboxFile), messageIni);
    const WebLinks links = ReadWebLinks();
    const bool withAudio = ReadProfileBool(mailboxFile, kMailbox, "sendemailaudio", true);
    MailMessage mail;
    mail.address = address;
    if (withAudio) {
        if (MailsAsMp3(mailboxFile)) {
            mail.madeAttachment = Mp3AttachmentOf(messageIni);
            if (!mail.madeAttachment)
                ReportWarning("delivery", "Mailbox \"" + MailboxNameOf(mailboxFile) +
                                              "\": the recording of message " +
                                              FileStemOf(messageIni) +
                                              " could not be made into MP3; it is mailed as it is "
                                              "stored");
        }
        // The MP3 is made from the recording as it was recorded; only a
        // WAVE attachment is compressed first.
        if (!mail.madeAttachment) {
            CompressMessage(messageIni, control_.stop);
            if (Stopped()) {
                WriteProfileBool(messageIni, kMessage, "sentemail", false);
                return;
            }
        }
        mail.subject = kAudioMailSubject;
        mail.body = AudioMailBody(details, links);
        mail.attachment = MessageAudioPath(messageIni);
    } else {
        mail.subject = kNotificationMailSubject;
        mail.body = NotificationMailBody(details, links);
    }
    std::string failure;
    const TransferStatus status = SendMailMessage(mail, control_, &failure);
    if (status == TransferStatus::Aborted) {
        // Ended by the stop, not refused: the next pass sends it.
        WriteProfileBool(messageIni, kMessage, "sentemail", false);
        return;
    }
    if (status != TransferStatus::Ok)
        Failed("Mailbox \"" + MailboxNameOf(mailboxFile) + "\": the mail of message " +
               FileStemOf(messageIni) + " to " + address + " was not sent: " + failure +
               "; it is not tried again");
    if (withAudio && status == TransferStatus::Ok &&
        ReadProfileBool(mailboxFile, kMailbox, "sendemaildelete", false))
        DeleteMessage(messageIni);
}

void DeliveryPass::FtpStage(FileTransfer& transfer, const std::string& mailboxFile) {
    for (const std::string& messageIni : ListMessageFiles(MailboxNameOf(mailboxFile))) {
        if (Stopped())
            return;
        UploadOne(transfer, mailboxFile, messageIni);
    }
}

void DeliveryPass::UploadOne(FileTransfer& transfer, const std::string& mailboxFile,
                             const std::string& messageIni) {
    if (ReadProfileBool(messageIni, kMessage, "sentftp", true))
        return;
    if (!WriteProfileBool(messageIni, kMessage, "sentftp", true)) {
        NotTaken(mailboxFile, messageIni, "uploaded");
        return;
    }
    CompressMessage(messageIni, control_.stop);
    if (Stopped()) {
        WriteProfileBool(messageIni, kMessage, "sentftp", false);
        return;
    }
    std::string failure;
    if (!UploadMessage(transfer, mailboxFile, messageIni, &failure)) {
        WriteProfileBool(messageIni, kMessage, "sentftp", false);
        if (!Stopped())
            Failed("Mailbox \"" + MailboxNameOf(mailboxFile) + "\": the upload of message " +
                   FileStemOf(messageIni) + " failed at " + failure +
                   "; it is tried again with the mailbox's next message");
    }
}

void DeliveryPass::Failed(const std::string& text) {
    ReportError("delivery", text);
    if (notices_ != nullptr)
        notices_->DeliveryFailed(text);
}

void DeliveryPass::NotTaken(const std::string& mailboxFile, const std::string& messageIni,
                            const char* work) {
    messageLeft_ = true;
    ReportError("delivery", "Mailbox \"" + MailboxNameOf(mailboxFile) + "\": message " +
                                FileStemOf(messageIni) + " is not " + work + " now: its file " +
                                messageIni +
                                " cannot be written (is the disk full?); the next pass tries "
                                "it again");
}

void DeliveryPass::DeleteMessage(const std::string& messageIni) {
    // The audio goes first: a message whose audio could not be deleted keeps
    // its ".ini" file and stays listed.
    if (!RemoveFileIfPresent(MessageAudioPath(messageIni)))
        return;
    if (!RemoveFileIfPresent(messageIni))
        return;
    if (notices_ != nullptr)
        notices_->MessageDeleted(messageIni);
}

}  // namespace orvia
