// Sending one mail over SMTP with the "smtp" settings of settings.ini.
//
// Thread: any; the call blocks its thread until the mail is sent, refused,
// timed out or stopped (the delivery thread passes its stop event, the main
// window's manual action none).
#pragma once

#include <optional>
#include <string>

#include "delivery/transfer_control.h"

namespace orvia {

// An attachment made in memory (an MP3 of the recording, say).
struct MailAttachment {
    std::string fileName;  // the name the recipient sees
    std::string type;      // MIME type, "audio/mpeg"
    std::string data;
};

struct MailMessage {
    std::string address;  // recipient, as the mailbox or the dialog holds it
    std::string subject;
    std::string body;                       // lines ending in CR LF
    std::optional<std::string> attachment;  // a ".wav" file to attach, or none
    // Attached instead of the file when set.
    std::optional<MailAttachment> madeAttachment;
};

// Sends a multipart MIME mail: the body as text/plain, the attachment as
// audio/wav in base64 under its file name (or the made attachment under its
// own name and type), with Date and Message-ID headers.
// NotConfigured at once when settings.ini has no "smtp"/"server";
// InvalidInput for an address that is not a plain SMTP address (any header
// or command injection is refused here) or an unusable subject, sender or
// server text. *failure (when given) says why a mail was not sent, with the
// server's reply when it gave one.
TransferStatus SendMailMessage(const MailMessage& message, const TransferControl& control = {},
                               std::string* failure = nullptr);

// True when the server accepted the mail.
bool SendMail(const std::string& address, const std::string& subject, const std::string& body,
              const std::optional<std::string>& attachment, const TransferControl& control = {});

}  // namespace orvia
