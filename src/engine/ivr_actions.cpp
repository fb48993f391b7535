// IVRCMain: keys of the current OGM, number entry and the OGM actions.
#include "engine/ivr_main.h"

#include "engine/action_table.h"
#include "engine/number_entry.h"
#include "engine/ogm_files.h"
#include "store/profile.h"
#include "store/profile_values.h"

namespace orvia {
namespace {

bool IsMenuKey(char key) {
    return (key >= '0' && key <= '9') || key == '*' || key == '#';
}

}  // namespace

void IVRCMain::OnOgmKey(char key) {
    if (mode_ == IVRMode::NumberEntry) {
        OnNumberKey(key);
        return;
    }
    // "A" to "D" and anything else the line reports find no action.
    if (!IsMenuKey(key))
        return;
    // Not handled: nothing changes (a play goes on, a wait keeps running).
    DoAction(currentOgm_, kOgmSectionIvr, std::string("press") + key);
}

void IVRCMain::OnNumberKey(char key) {
    if (key >= '0' && key <= '9' && digits_.size() < kMaxEnteredDigits)
        digits_.push_back(key);
    // "maxdigits" is compared as an 8-bit value, so above 19 only "#" ends an
    // entry.
    const bool complete = key == '#' || static_cast<uint8_t>(digits_.size()) ==
                                            static_cast<uint8_t>(ReadOgmInt("maxdigits", 4));
    if (complete) {
        if (!NumberAccepted(currentOgm_, digits_)) {
            InvalidNumber();
            return;
        }
        variables_.Set(ExpandTemplate(ReadOgm("varname", "number"), Context()), digits_);
        if (!DoAction(currentOgm_, kOgmSectionIvr, "press#"))
            HangUp();
    }
    if (key == '*')
        DoAction(currentOgm_, kOgmSectionIvr, "press*");
}

bool IVRCMain::DoAction(const std::string& file, std::string_view section, std::string_view key) {
    const std::string value = ReadProfileString(file, section, key, "");
    switch (ParseAction(value)) {
        case IVRAction::Go: {
            const std::string target = ExpandTemplate(
                ReadProfileString(file, section, std::string(key) + "go", ""), Context());
            if (!SelectOGM(target))
                return false;
            OnConnected();
            return true;
        }
        case IVRAction::HangUp:
            HangUp();
            return true;
        case IVRAction::Goodbye:
            Goodbye();
            return true;
        case IVRAction::Invalid:
            InvalidOption();
            return true;
        case IVRAction::Repeat:
            StartOGM();
            return true;
        case IVRAction::Mailbox:
        case IVRAction::MailboxAccess:
        case IVRAction::Play:
        case IVRAction::Record:
        case IVRAction::Transfer:
        case IVRAction::TransferConfirmed:
            // Mailboxes, remote access, file actions and transfers are not
            // built yet: not handled, nothing changes.
            return false;
        case IVRAction::NoResponse:
        case IVRAction::None:
            return false;
    }
    return false;
}

}  // namespace orvia
