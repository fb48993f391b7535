#include "engine/mailbox_files.h"

#include <cstdio>

#include "audio/wave_source.h"
#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

std::string MailboxPath(std::string_view name) {
    return Store().MailBoxes() + std::string(name) + ".mbx";
}

std::string MailboxNameOf(std::string_view mbxPath) {
    return FileStemOf(mbxPath);
}

std::string GreetingPath(std::string_view name) {
    return Store().MailBoxes() + std::string(name) + " OGM.wav";
}

std::string MessagePath(std::string_view name, int32_t number, std::string_view extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.6lu",
                  static_cast<unsigned long>(NormalizeMessageNumber(number)));
    return Store().MailBoxes() + std::string(name) + " ICM" + digits + std::string(extension);
}

std::string MessageAudioPath(std::string_view messageIni) {
    return WithExtension(messageIni, ".wav");
}

std::string MessageIniPath(std::string_view messageAudio) {
    return WithExtension(messageAudio, ".ini");
}

std::string MessageNumberText(std::string_view fileName, std::string_view mailboxName,
                              std::string_view extension) {
    const std::string prefix = std::string(mailboxName) + " ICM";
    if (mailboxName.empty() || fileName.size() <= prefix.size() + extension.size() ||
        !StartsWithNoCase(fileName, prefix) ||
        fileName.substr(fileName.size() - extension.size()) != extension)
        return {};
    const std::string_view number =
        fileName.substr(prefix.size(), fileName.size() - prefix.size() - extension.size());
    return IsAsciiDigits(number) ? std::string(number) : std::string();
}

bool IsMessageFileOf(std::string_view fileName, std::string_view mailboxName,
                     std::string_view extension) {
    return !MessageNumberText(fileName, mailboxName, extension).empty();
}

std::vector<std::string> ListMessageFiles(std::string_view mailboxName,
                                          std::string_view extension) {
    const std::string& folder = Store().MailBoxes();
    std::vector<std::string> paths;
    for (const std::string& name : ListFolderFiles(folder, extension)) {
        if (IsMessageFileOf(name, mailboxName, extension))
            paths.push_back(folder + name);
    }
    return paths;
}

int32_t NormalizeMessageNumber(int32_t number) {
    const int32_t rest = number % kMessageNumberLimit;
    return rest < 0 ? rest + kMessageNumberLimit : rest;
}

int64_t RecordingLengthTicks(const std::string& path) {
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return 0;
    const int64_t frames = source->GetLength();
    const int64_t rate = source->sampleRate;
    if (frames <= 0 || rate <= 0)
        return 0;
    return (frames / rate) * 10000 + ((frames % rate) * 10000) / rate;
}

}  // namespace orvia
