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
            const std::string target =
                ExpandTemplate(ReadArgument(file, section, key, "go"), Context());
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
        case IVRAction::Play:
            return PlayFileAction(file, section, key);
        case IVRAction::Record:
            return RecordFileAction(file, section, key);
        case IVRAction::Transfer:
            BlindTransfer(file, section, key);
            return true;
        case IVRAction::TransferConfirmed:
            ConfirmedTransfer(file, section, key);
            return true;
        case IVRAction::Mailbox:
            return LeaveMessage(file, section, key);
        case IVRAction::MailboxAccess:
            StartAccessCode();
            return true;
        case IVRAction::NoResponse:
        case IVRAction::None:
            return false;
    }
    return false;
}

std::string IVRCMain::ReadArgument(const std::string& file, std::string_view section,
                                   std::string_view key, std::string_view suffix) const {
    return ReadProfileString(file, section, std::string(key) + std::string(suffix), "");
}

bool IVRCMain::PlayFileAction(const std::string& file, std::string_view section,
                              std::string_view key) {
    // A path that caller values would bend plays as a file that cannot be
    // opened: the OGM starts again.
    std::optional<std::string> path =
        ExpandFullPath(ReadArgument(file, section, key, "playfile"), Context());
    LSoundSource source;
    if (path) {
        source = OpenWave(*path);
        if (IsInvalid(source))
            source = OpenMp3(*path);
        if (IsInvalid(source))
            ReportUnplayable("the file of " + OgmLabel() + " key " + std::string(key), *path, true);
    }
    state_ = IVRState::PlayFile;
    PlaySource(source);
    return true;
}

bool IVRCMain::RecordFileAction(const std::string& file, std::string_view section,
                                std::string_view key) {
    // Nothing is recorded into a path that caller values would bend, or into
    // no path at all: the action is not handled.
    std::optional<std::string> path =
        ExpandFullPath(ReadArgument(file, section, key, "recfile"), Context());
    if (!path || path->empty())
        return false;
    HandOffRecordPath();
    recordPath_ = std::move(*path);
    state_ = IVRState::RecordTone;
    PlayPrompt("RecordTone");
    return true;
}

}  // namespace orvia
