// What the main window's lists show: the answer OGMs, the mailboxes and the
// messages of the mailbox shown, read from the files at each call.
//
// Main thread (any thread may call them; they only read files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mailbox_files.h"

namespace orvia {

// The OGMs that may answer calls: every "*.ini" of the OGMs folder whose
// "ivr"/"answer" reads true (missing: true), by name without extension, in
// name order.
std::vector<std::string> AnswerOgmNames();
// "settings"/"ogm" (missing: "Default Answering Message").
std::string AnsweringOgmName();

// Every "*.mbx" of the MailBoxes folder by name, in name order.
std::vector<std::string> MailboxNames();
// The mailbox the window shows: "settings"/"mbx" (missing: "Default") when
// that mailbox exists, else the first mailbox, else empty.
std::string ShownMailboxName();

// One row of the message list.
struct MessageItem {
    std::string messageIni;  // full path of the message's ".ini" file
    std::string number;      // the digits after "<mailbox> ICM" in the file name
    std::string date;        // "datetime" as a date text; empty when missing
    std::string time;        // "datetime" as a time text; empty when missing
    std::string callerId;    // "cid"
    std::string callerName;  // "cidname"
    int64_t when = -1;       // "datetime" (local date-time); -1 when missing
    bool read = false;       // "read"
};

// The messages of a mailbox in list order: an item added later goes to the
// top, so the newest (highest number) comes first.
std::vector<MessageItem> MessageItems(const std::string& mailboxName);
MessageItem ReadMessageItem(const std::string& messageIni, const std::string& mailboxName);

// True when the message's ".ini" file belongs to the mailbox, by the rule of
// IsMessageFileOf (engine/mailbox_files.h, which also gives the message's
// audio file, MessageAudioPath).
bool MessageBelongsTo(const std::string& messageIni, const std::string& mailboxName);

}  // namespace orvia
