// The vocabulary of OGM actions: the values stored under "press" keys,
// "playcomplete" and the transfer-fail keys.
#pragma once

#include <array>
#include <string_view>

namespace orvia {

enum class IVRAction {
    None,  // empty or unknown value: not handled
    NoResponse,
    Invalid,
    Go,
    Mailbox,
    Play,
    Record,
    Transfer,
    TransferConfirmed,
    MailboxAccess,
    Repeat,
    Goodbye,
    HangUp,
};

struct IVRActionInfo {
    IVRAction action;
    const char* value;  // as stored in the OGM file
    const char* label;  // as the OGM properties show it
    bool hasArguments;  // has a "Details" argument dialog
    bool atEnd;         // offered for "playcomplete"
};

extern const std::array<IVRActionInfo, 12> IVRActionTable;

// The action of a stored value, compared without regard to case; None for an
// empty or unknown value.
IVRAction ParseAction(std::string_view value);

}  // namespace orvia
