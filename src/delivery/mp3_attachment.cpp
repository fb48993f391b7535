#include "delivery/mp3_attachment.h"

#include "audio/mp3/mp3_encoder.h"
#include "engine/mailbox_files.h"
#include "platform/files/path_names.h"
#include "store/profile_values.h"

namespace orvia {

bool MailsAsMp3(const std::string& mailboxFile) {
    return ReadProfileBool(mailboxFile, kMailboxSection, "sendemailmp3", false);
}

std::optional<MailAttachment> Mp3AttachmentOf(const std::string& messageIni) {
    std::optional<std::string> mp3 = EncodeWaveFileAsMp3(MessageAudioPath(messageIni));
    if (!mp3)
        return std::nullopt;
    return MailAttachment{FileStemOf(messageIni) + ".mp3", "audio/mpeg", std::move(*mp3)};
}

}  // namespace orvia
