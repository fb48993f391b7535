#include "app/message_actions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/file_replacement.h"
#include "app/main_lists.h"
#include "delivery/delivery_settings.h"
#include "delivery/mail_sender.h"
#include "delivery/mail_texts.h"
#include "delivery/message_compression.h"
#include "platform/file_open.h"
#include "platform/text_file.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

void MarkMessagesSeen() {
    WriteProfileBool(Store().SettingsFile(), "state", "newmessages", false);
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Copies from into a new file beside to, then renames it over to, so a
// failed copy leaves to as it was. The copy is readable by others (0644), as
// a file the user saves normally is.
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
    ok = ok && ::chmod(temporary.c_str(), 0644) == 0 &&
         std::rename(temporary.c_str(), to.c_str()) == 0;
    if (!ok && !temporary.empty())
        ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

bool PlayMessage(DesktopPlayback& playback, const std::string& messageIni) {
    MarkMessagesSeen();
    if (!PlayOnDesktop(playback, MessageAudioPath(messageIni)))
        return false;
    WriteProfileBool(messageIni, "message", "read", true);
    return true;
}

std::string SaveDialogStart(const std::string& messageIni) {
    std::string folder = ReadProfileString(Store().SettingsFile(), "settings", "saveaspath", "");
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder + FileName(MessageAudioPath(messageIni));
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
    for (const std::string& messageIni : email.messageInis) {
        const std::string audio = MessageAudioPath(messageIni);
        if (!ReadProfileBool(messageIni, "message", "compressed", true)) {
            ConvertProgress progress;
            if (email.progress) {
                progress = [&](int32_t done, int32_t length) {
                    email.progress(length > 0 ? static_cast<int>(int64_t{done} * 100 / length)
                                              : 100);
                };
            }
            if (!ConvertAudioFile(ReadCompressionFormat(), audio, email.cancelled, progress)) {
                result.stopped = true;
                return result;
            }
            WriteProfileBool(messageIni, "message", "compressed", true);
        }
        const MessageDetails details = ReadMessageDetails(email.mailboxName, messageIni);
        const std::string body = ManualMailBody(email.note, details, links);
        ++result.sent;
        if (SendMail(email.address, kManualMailSubject, body, audio))
            ++result.accepted;
    }
    return result;
}

}  // namespace orvia
