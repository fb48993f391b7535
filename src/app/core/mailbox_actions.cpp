#include "app/core/mailbox_actions.h"

#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <vector>

#include "engine/mailbox_files.h"
#include "engine/safe_name.h"
#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
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

// True when another mailbox than except has this name without regard to
// case: message files are matched that way, so two such mailboxes would
// share (and mail, upload and delete) each other's messages.
bool NameTakenNoCase(const std::string& name, const std::string& except) {
    for (const std::string& file : ListFolderFiles(Store().MailBoxes(), ".mbx")) {
        const std::string other = FileStemOf(file);
        if (other != except && EqualsNoCase(other, name))
            return true;
    }
    return false;
}

// The names (without folder) of the mailbox's message files and greeting.
std::vector<std::string> MailboxFiles(const std::string& name) {
    std::vector<std::string> files;
    for (const char* extension : {".ini", ".wav"}) {
        for (const std::string& path : ListMessageFiles(name, extension))
            files.push_back(FileNameOf(path));
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
        if (!Exists(MailboxFile(name)) && !NameTakenNoCase(name, {}))
            return name;
    }
    return {};
}

bool CreateMailbox(const std::string& name) {
    if (!IsUsableMailboxName(name) || Exists(MailboxFile(name)) || NameTakenNoCase(name, {}))
        return false;
    return WriteProfileString(MailboxFile(name), "mbx", "remoteaccess", "false");
}

void SelectMailbox(const std::string& name) {
    WriteProfileString(Store().SettingsFile(), "settings", "mbx", name);
}

bool RenameMailbox(const std::string& from, const std::string& to) {
    if (!IsUsableMailboxName(from) || !IsUsableMailboxName(to) || from == to ||
        !Exists(MailboxFile(from)) || Exists(MailboxFile(to)) || NameTakenNoCase(to, from))
        return false;
    const std::string& folder = Store().MailBoxes();
    const std::vector<std::string> files = MailboxFiles(from);
    std::set<std::string> targets;
    for (const std::string& file : files) {
        // Messages matched without regard to case may map to one new name.
        const std::string target = to + file.substr(from.size());
        if (Exists(folder + target) || !targets.insert(target).second)
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
