#include "app/core/mailbox_actions.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "delivery/message_files.h"
#include "engine/safe_name.h"
#include "platform/files/text_file.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

std::string MailboxFile(const std::string& name) {
    return Store().MailBoxes() + name + ".mbx";
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// True for "<name> ICM<digits><suffix>": a message file of that mailbox and
// not of a mailbox whose name merely begins with "<name> ICM".
bool IsMessageFileOf(const std::string& file, const std::string& name, const std::string& suffix) {
    const std::string prefix = name + " ICM";
    if (file.size() <= prefix.size() + suffix.size() || file.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string number =
        file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

// The names (without folder) of the mailbox's message files and greeting.
std::vector<std::string> MailboxFiles(const std::string& name) {
    std::vector<std::string> files;
    for (const char* suffix : {".ini", ".wav"}) {
        for (const std::string& file : ListFolderFiles(Store().MailBoxes(), suffix)) {
            if (IsMessageFileOf(file, name, suffix))
                files.push_back(file);
        }
    }
    if (Exists(Store().MailBoxes() + name + " OGM.wav"))
        files.push_back(name + " OGM.wav");
    return files;
}

}  // namespace

bool IsUsableMailboxName(const std::string& name) {
    return !name.empty() && name.front() != '.' && IsSafeName(name) &&
           name.find_first_of("\r\n") == std::string::npos && name.back() != ' ';
}

std::string ProposeNewMailboxName() {
    for (int n = 1; n <= 300; ++n) {
        const std::string name = "Mailbox " + std::to_string(n);
        if (!Exists(MailboxFile(name)))
            return name;
    }
    return {};
}

bool CreateMailbox(const std::string& name) {
    if (!IsUsableMailboxName(name) || Exists(MailboxFile(name)))
        return false;
    return WriteProfileString(MailboxFile(name), "mbx", "remoteaccess", "false");
}

void SelectMailbox(const std::string& name) {
    WriteProfileString(Store().SettingsFile(), "settings", "mbx", name);
}

bool RenameMailbox(const std::string& from, const std::string& to) {
    if (!IsUsableMailboxName(from) || !IsUsableMailboxName(to) || from == to ||
        !Exists(MailboxFile(from)) || Exists(MailboxFile(to)))
        return false;
    const std::string& folder = Store().MailBoxes();
    const std::vector<std::string> files = MailboxFiles(from);
    for (const std::string& file : files) {
        if (Exists(folder + to + file.substr(from.size())))
            return false;
    }
    if (std::rename(MailboxFile(from).c_str(), MailboxFile(to).c_str()) != 0)
        return false;
    for (const std::string& file : files)
        std::rename((folder + file).c_str(), (folder + to + file.substr(from.size())).c_str());
    SelectMailbox(to);
    return true;
}

bool DeleteMailbox(const std::string& name) {
    if (!IsUsableMailboxName(name) || !Exists(MailboxFile(name)))
        return false;
    if (!RemoveFileIfPresent(MailboxFile(name)))
        return false;
    bool ok = true;
    for (const std::string& file : MailboxFiles(name))
        ok = RemoveFileIfPresent(Store().MailBoxes() + file) && ok;
    return ok;
}

}  // namespace orvia
