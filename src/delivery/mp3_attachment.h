// The MP3 attachment of a message, for the mailboxes whose owners listen on
// phones ("sendemailmp3" in section "mbx" of the mailbox file).
//
// The MP3 is made from the stored recording whatever its WAVE format, in
// memory; the recording itself is never changed for it (it is not
// compressed first either: the MP3 is made from what was recorded).
//
// Any thread.
#pragma once

#include <optional>
#include <string>

#include "delivery/mail_sender.h"

namespace orvia {

// "sendemailmp3" of the mailbox file (missing: false).
bool MailsAsMp3(const std::string& mailboxFile);

// "<mailbox> ICM<number>.mp3", audio/mpeg, from the message's recording.
// Nothing when the recording cannot be read.
std::optional<MailAttachment> Mp3AttachmentOf(const std::string& messageIni);

}  // namespace orvia
