#include "engine/action_table.h"

#include "platform/text/ascii_text.h"

namespace orvia {

const std::array<IVRActionInfo, 12> IVRActionTable = {{
    {IVRAction::NoResponse, "noresponse", "No Response", false, false},
    {IVRAction::Invalid, "invalid", "Invalid Option", false, false},
    {IVRAction::Go, "go", "Go To OGM...", true, true},
    {IVRAction::Mailbox, "mailbox", "Leave Message for Mailbox...", true, true},
    {IVRAction::Play, "play", "Play Wav/MP3 File...", true, false},
    {IVRAction::Record, "record", "Record Wav File...", true, true},
    {IVRAction::Transfer, "transfer", "Transfer (Blind) to...", true, true},
    {IVRAction::TransferConfirmed, "transferconfirmed", "Transfer (Confirmed) to...", true, true},
    {IVRAction::MailboxAccess, "mailboxaccess", "Access Mailbox Control", false, true},
    {IVRAction::Repeat, "repeat", "Repeat OGM", false, false},
    {IVRAction::Goodbye, "goodbye", "Goodbye (Polite Hang-up)", false, true},
    {IVRAction::HangUp, "hangup", "Hang-up (Immediate)", false, true},
}};

IVRAction ParseAction(std::string_view value) {
    for (const IVRActionInfo& info : IVRActionTable) {
        if (EqualsNoCase(value, info.value))
            return info.action;
    }
    return IVRAction::None;
}

}  // namespace orvia
