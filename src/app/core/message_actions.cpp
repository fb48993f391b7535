#include "app/core/message_actions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/core/main_lists.h"
#include "delivery/delivery_settings.h"
#include "delivery/mail_sender.h"
#include "delivery/mail_texts.h"
#include "delivery/message_compression.h"
#include "delivery/mp3_attachment.h"
#include "platform/files/file_modes.h"
#include "platform/files/file_open.h"
#include "platform/files/file_replacement.h"
#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// Copies from into a new file beside to, then renames it over to, so a
// failed copy leaves to as it was. The copy gets the mode of a file the user
// saves normally (0666 less the umask), or keeps the mode of the file it
// replaces.
bool CopyFile(const std::string& from, const std::string& to) {
    const int in = OpenRegularFile(from, O_RDONLY);
    if (in < 0)
        return false;
    const std::string temporary = CreateFileBeside(to);
    const int out = temporary.empty() ? -1 : OpenRegularFile(temporary, O_WRONLY | O_TRUNC);
    bool ok = out >= 0;
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        ok = n > 0 && WriteFully(out, std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(in);
    if (out >= 0)
        ok = ::close(out) == 0 && ok;
    ok = ok && ::chmod(temporary.c_str(), ReplacementMode(to, FileAccess::Shared)) == 0 &&
         std::rename(temporary.c_str(), to.c_str()) == 0;
    if (!ok && !temporary.empty())
        ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

void MarkMessagesSeen() {
    WriteProfileBool(Store().SettingsFile(), "state", "newmessages", false);
}

bool PlayMessage(DesktopPlayback& playback, const std::string& messageIni) {
    MarkMessagesSeen();
    if (!PlayOnDesktop(playback, MessageAudioPath(messageIni)))
        return false;
    WriteProfileBool(messageIni, "message", "read", true);
    return true;
}

bool MarkMessageRead(const std::string& messageIni) {
    MarkMessagesSeen();
    return FileIsPresent(messageIni) && WriteProfileBool(messageIni, "message", "read", true);
}

std::string SaveDialogStart(const std::string& messageIni) {
    std::string folder = ReadProfileString(Store().SettingsFile(), "settings", "saveaspath", "");
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder + FileNameOf(MessageAudioPath(messageIni));
}

bool SaveMessageAs(const std::string& messageIni, const std::string& destination) {
    MarkMessagesSeen();
    if (destination.empty() || !CopyFile(MessageAudioPath(messageIni), destination))
        return false;
    WriteProfileString(Store().SettingsFile(), "settings", "saveaspath", FolderOf(destination));
    return true;
}

bool DeleteMessage(const std::string& messageIni) {
    MarkMessagesSeen();
    return RemoveFileIfPresent(MessageAudioPath(messageIni)) && RemoveFileIfPresent(messageIni);
}

std::string LastEmailAddress() {
    return ReadProfileString(Store().SettingsFile(), "settings", "sendemail", "");
}

ManualEmailResult EmailMessages(const ManualEmail& email) {
    ManualEmailResult result;
    MarkMessagesSeen();
    WriteProfileString(Store().SettingsFile(), "settings", "sendemail", email.address);
    const WebLinks links = ReadWebLinks();
    const bool mp3 = MailsAsMp3(MailboxPath(email.mailboxName));
    for (const std::string& messageIni : email.messageInis) {
        const std::string audio = MessageAudioPath(messageIni);
        // An MP3 is made from the recording as it is; only a WAVE
        // attachment is compressed first.
        std::optional<MailAttachment> made;
        if (mp3)
            made = Mp3AttachmentOf(messageIni);
        if (!made && !ReadProfileBool(messageIni, "message", "compressed", true)) {
            ConvertProgress progress;
            if (email.progress) {
                progress = [&](int32_t done, int32_t length) {
                    email.progress(length > 0 ? static_cast<int>(int64_t{done} * 100 / length)
                                              : 100);
                };
            }
            if (!ConvertAudioFile(ReadCompressionFormat(), audio, email.cancelled, progress)) {
                result.stopped = true;
                if (result.failure.empty() && !(email.cancelled && email.cancelled()))
                    result.failure = "the recording " + audio +
                                     " could not be compressed (the disk may be full)";
                return result;
            }
            WriteProfileBool(messageIni, "message", "compressed", true);
        }
        const MessageDetails details = ReadMessageDetails(email.mailboxName, messageIni);
        const std::string body = ManualMailBody(email.note, details, links);
        ++result.sent;
        const MailMessage mail{email.address, kManualMailSubject, body, audio, std::move(made)};
        std::string failure;
        if (SendMailMessage(mail, {}, &failure) == TransferStatus::Ok)
            ++result.accepted;
        else if (result.failure.empty())
            result.failure = failure;
    }
    return result;
}

}  // namespace orvia
