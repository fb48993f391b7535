// Subjects and bodies of the mails about messages.
//
// Bodies are lines ending in CR LF (the last one too), always twelve lines
// (the manual body fourteen): a web address that is not configured leaves an
// empty line in its place.
#pragma once

#include <string>

#include "delivery/delivery_settings.h"
#include "store/date_text.h"

namespace orvia {

inline constexpr const char* kAudioMailSubject = "Orvia Message Received";
inline constexpr const char* kNotificationMailSubject = "Orvia Message Received Notification";
inline constexpr const char* kManualMailSubject = "Orvia Telephone Message";

// What a mail or an index page row tells about one message.
struct MessageDetails {
    std::string mailbox;   // the mailbox name
    std::string date;      // date text, "%.2d/%.2d/%.2d" in the user's order
    std::string time;      // time text, "%.2d:%.2d:%.2d"
    std::string callerId;  // "cid", empty when none
};

// Reads "datetime" (missing or unreadable: now) and "cid" of a message file.
MessageDetails ReadMessageDetails(const std::string& mailboxName, const std::string& messageIni,
                                  DateOrder order = UserDateOrder());

// The delivery pass's body with the recording attached.
std::string AudioMailBody(const MessageDetails& details, const WebLinks& links);
// The delivery pass's body without a recording.
std::string NotificationMailBody(const MessageDetails& details, const WebLinks& links);
// The main window's body, with the note typed by the user (possibly empty).
std::string ManualMailBody(const std::string& note, const MessageDetails& details,
                           const WebLinks& links);

}  // namespace orvia
