#include "app/core/main_lists.h"

#include <algorithm>

#include "engine/ogm_files.h"
#include "platform/files/folder_listing.h"
#include "platform/files/path_names.h"
#include "store/date_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

std::vector<std::string> Stems(const std::string& folder, const char* suffix) {
    std::vector<std::string> names = ListFolderFiles(folder, suffix);
    for (std::string& name : names)
        name = FileStemOf(name);
    return names;
}

}  // namespace

std::vector<std::string> AnswerOgmNames() {
    std::vector<std::string> names;
    for (const std::string& name : Stems(Store().OGMs(), ".ini")) {
        if (ReadProfileBool(Store().OGMs() + name + ".ini", kOgmSectionIvr, "answer", true))
            names.push_back(name);
    }
    return names;
}

std::string AnsweringOgmName() {
    return ReadProfileString(Store().SettingsFile(), "settings", "ogm", kDefaultOgmName);
}

std::vector<std::string> MailboxNames() {
    return Stems(Store().MailBoxes(), ".mbx");
}

std::string ShownMailboxName() {
    const std::vector<std::string> names = MailboxNames();
    const std::string wanted =
        ReadProfileString(Store().SettingsFile(), "settings", "mbx", "Default");
    if (std::find(names.begin(), names.end(), wanted) != names.end())
        return wanted;
    return names.empty() ? std::string() : names.front();
}

MessageItem ReadMessageItem(const std::string& messageIni, const std::string& mailboxName) {
    MessageItem item;
    item.messageIni = messageIni;
    item.number = MessageNumberText(FileNameOf(messageIni), mailboxName, ".ini");
    if (ProfileHasKey(messageIni, "message", "datetime")) {
        const int64_t when = ReadProfileDateTime(messageIni, "message", "datetime", -1);
        if (when >= 0) {
            item.when = when;
            item.date = FormatDateText(when);
            item.time = FormatTimeText(when);
        }
    }
    item.callerId = ReadProfileString(messageIni, "message", "cid", "");
    item.callerName = ReadProfileString(messageIni, "message", "cidname", "");
    item.read = ReadProfileBool(messageIni, "message", "read", false);
    return item;
}

std::vector<MessageItem> MessageItems(const std::string& mailboxName) {
    std::vector<MessageItem> items;
    if (mailboxName.empty())
        return items;
    for (const std::string& path : ListMessageFiles(mailboxName))
        items.push_back(ReadMessageItem(path, mailboxName));
    std::reverse(items.begin(), items.end());
    return items;
}

bool MessageBelongsTo(const std::string& messageIni, const std::string& mailboxName) {
    return IsMessageFileOf(FileNameOf(messageIni), mailboxName, ".ini");
}

}  // namespace orvia
