// The states and modes of the call-flow engine. The values live only in the
// engine's fields and appear in no file.
#pragma once

#include <algorithm>
#include <cstdint>

namespace orvia {

enum class IVRState : int {
    Idle = 0,              // no call, or an outgoing call not yet connected
    Accepted = 1,          // incoming call accepted, waiting for the connection
    Ogm = 2,               // OGM recording playing, then waiting for a key
    InvalidPrompt = 3,     // "InvalidOption" or "InvalidNumber" playing
    PlayFile = 4,          // "play" action file playing
    BlindDial = 5,         // blind transfer digits being dialled
    ConfirmedDial = 6,     // confirmed transfer digits being dialled
    TransferQuery = 7,     // "TransferQuery" playing to the called party
    RejectDial = 8,        // reject digits being dialled
    AcceptDial = 9,        // accept digits being dialled
    MailboxGreeting = 10,  // mailbox greeting or "LeaveMessage" playing
    MessageTone = 11,      // "RecordTone" before a message
    RecordingMessage = 12,
    RecordTone = 13,       // "RecordTone" before a "record" action
    RecordingFile = 14,    // recording for a "record" action
    AccessCode = 15,       // access code entry
    PlayingMessage = 16,   // a message playing to the mailbox owner
    MessageMenu = 17,      // "MailBoxMessageMenu" playing, then waiting
    NoMoreMessages = 18,   // "NoMoreMessagesMenu" playing, then waiting
    MailboxSetup = 19,     // "MailBoxSetup" playing, then waiting
    PlayingGreeting = 20,  // greeting playing in the set-up menu
    RecordingGreeting = 21,
    Forwarding = 22,  // outgoing forwarding call: "ForwardMessage" playing
    FaxDial = 23,     // fax dial string being dialled
    Goodbye = 24,     // "GoodBye" playing
    // The last "InvalidAccessCode" of a call with too many wrong codes; the
    // goodbye follows.
    AccessRefused = 25,
};

enum class IVRMode : uint8_t {
    None = 0,
    Menu = 1,         // each key is a menu choice
    NumberEntry = 2,  // keys collect a number
};

// The engine's counter is 8 bits wide: a repeat count from a file is kept
// within 0..255 instead of wrapping.
inline uint8_t CounterValue(int32_t value) {
    return static_cast<uint8_t>(std::clamp<int32_t>(value, 0, 255));
}

}  // namespace orvia
