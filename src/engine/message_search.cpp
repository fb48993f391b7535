#include "engine/message_search.h"

#include "engine/mailbox_files.h"
#include "platform/files/text_file.h"

namespace orvia {

void MessageSearch::Start(std::string_view mailboxName) {
    files_ = ListMessageFiles(mailboxName);
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
    return HasCurrent() ? files_[index_] : std::string();
}

void MessageSearch::SkipVanished() {
    while (HasCurrent() && !FileIsPresent(files_[index_]))
        ++index_;
    if (!HasCurrent())
        Close();
}

}  // namespace orvia
