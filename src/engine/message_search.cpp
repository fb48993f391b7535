#include "engine/message_search.h"

#include "engine/folder_search.h"
#include "engine/mailbox_files.h"
#include "platform/files/text_file.h"
#include "store/settings_store.h"

namespace orvia {

void MessageSearch::Start(std::string_view mailboxName) {
    folder_ = Store().MailBoxes();
    files_ = SearchFolder(folder_, MessageNamePrefix(mailboxName), ".ini");
    index_ = 0;
    SkipVanished();
}

void MessageSearch::Next() {
    if (!HasCurrent())
        return;
    ++index_;
    SkipVanished();
}

void MessageSearch::Close() {
    files_.clear();
    index_ = 0;
}

std::string MessageSearch::CurrentIni() const {
    return HasCurrent() ? folder_ + files_[index_] : std::string();
}

void MessageSearch::SkipVanished() {
    while (HasCurrent() && !FileIsPresent(folder_ + files_[index_]))
        ++index_;
    if (!HasCurrent())
        Close();
}

}  // namespace orvia
