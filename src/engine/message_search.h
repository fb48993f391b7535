// MessageSearch: the engine's walk through one mailbox's messages for remote
// access. Start lists the mailbox's message files (ListMessageFiles: read
// and unread alike, by number); the current message is the one found last.
//
// The listing is taken once at the start, so messages deleted or recorded
// meanwhile (on this line or another) never make the walk skip or repeat
// others. A message whose ".ini" file has gone by the time the walk reaches
// it is passed over.
//
// Main thread only, like its engine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvia {

class MessageSearch {
public:
    // Lists the messages of mailbox name in the MailBoxes folder; the first
    // one still present becomes current.
    void Start(std::string_view mailboxName);
    // Moves to the next message still present; the search closes after the
    // last one.
    void Next();
    void Close();

    bool HasCurrent() const { return index_ < files_.size(); }
    // Full path of the current message's ".ini" file; empty when none.
    std::string CurrentIni() const;

private:
    void SkipVanished();

    std::vector<std::string> files_;  // full paths
    std::size_t index_ = 0;
};

}  // namespace orvia
