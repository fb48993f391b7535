// Notices from the engines to the main window. The numbers are the window
// messages the main window handles (1024 is the first user message).
#pragma once

#include <string>

namespace orvia {

enum IVRCMessage : int {
    kMsgAnnounceCall = 1027,       // sent: full path of the announcement file
    kMsgMessageStored = 1028,      // sent: path of the new message's ".ini" file
    kMsgMessageHeard = 1029,       // sent: path of the message's ".ini" file
    kMsgMessageDeleted = 1030,     // sent: path of the deleted message's ".ini" file
    kMsgStartDelivery = 1031,      // posted: a kept message awaits e-mail or FTP
    kMsgForwardingCheck = 1032,    // posted: a kept message awaits telephone forwarding
    kMsgForwardingMailbox = 1033,  // sent: the receiver writes the forwarded mailbox's path
    kMsgCallerIdFlash = 1034,      // sent: "line name\r\ncaller number\r\ncaller name"
};

// Implemented by the main window. Engines call it on the main thread only.
class IVRCNotify {
public:
    virtual ~IVRCNotify() = default;
    // Handled before it returns. text is the message's parameter; for
    // kMsgForwardingMailbox the receiver fills it.
    virtual void Send(int message, std::string& text) = 0;
    // Queued: handled on the main thread after the current event.
    virtual void Post(int message) = 0;
};

}  // namespace orvia
