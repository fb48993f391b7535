// The telephone forwarding scheduler: the main window's timer 2 calls it to
// place a forwarding call on the first line for a mailbox whose messages
// wait for forwarding.
//
// Thread: the main thread (the lines and the main window live there).
#pragma once

#include <cstdint>
#include <string>

namespace orvia {

// Timer 2: first run after the main window is created, the sooner run after
// a kept message asks for forwarding (kMsgForwardingCheck), and the poll
// interval while some mailbox waits.
inline constexpr uint32_t kForwardingFirstMs = 5000;
inline constexpr uint32_t kForwardingSoonMs = 3500;
inline constexpr uint32_t kForwardingPollMs = 7000;

// The first line as the scheduler sees it.
class ForwardingLine {
public:
    virtual ~ForwardingLine() = default;
    virtual bool IsOpen() const = 0;
    // True while the line has a call or is placing one.
    virtual bool IsBusy() const = 0;
    // Places an outgoing call; when it connects, the line's engine plays the
    // forward mailbox's messages.
    virtual void MakeCall(const std::string& number) = 0;
};

// What the scheduler needs of the main window.
class ForwardingHost {
public:
    virtual ~ForwardingHost() = default;
    // The first line; null when there are no line objects or no configured
    // lines.
    virtual ForwardingLine* FirstLine() = 0;
    // The mailbox file whose messages a forwarding call plays; the main
    // window hands it to the engine that asks with kMsgForwardingMailbox.
    virtual void SetForwardMailbox(const std::string& mailboxFile) = 0;
};

// One run of the scheduler. When settings "state"/"unforwardedmessages" is
// set, it looks through the mailboxes in name order; the first mailbox with
// "forwardtel" and "unforwardedmessages" whose attempts ("forwardattempts"
// below "maxforwardattempts", default 2) are not used up and whose last
// attempt ("forwardedattempttime") lies more than "forwardfailwaitmins"
// (default 20) minutes back gets a call to its "forwardnumber". The attempt
// (its time, now, and the count) is written before the call is placed, and
// when it cannot be written no call is placed, so an unwritable mailbox never
// makes the scheduler call again and again. The settings flag is rewritten
// only when no call was placed: it stays set while any mailbox waits.
// Returns true when the timer is to run again in kForwardingPollMs.
bool RunForwardingScheduler(ForwardingHost& host);

}  // namespace orvia
