// IVRCMain: blind and confirmed call transfers.
#include "engine/ivr_main.h"

#include "line/vline.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kTransferSection = "transfer";

std::string ReadTransferSetting(std::string_view key, std::string_view def) {
    return ReadProfileString(Store().SettingsFile(), kTransferSection, key, def);
}

}  // namespace

void IVRCMain::BlindTransfer(const std::string& file, std::string_view section,
                             std::string_view key) {
    state_ = IVRState::BlindDial;
    const std::string dial = ExpandTemplate(ReadTransferSetting("blindprefix", "!,") +
                                                ReadArgument(file, section, key, "transfer") +
                                                ReadTransferSetting("blindsuffix", ""),
                                            Context());
    if (!Line())
        return;
    if (ReadProfileBool(Store().SettingsFile(), kTransferSection, "blindtapi", false))
        Line()->BlindTransfer(dial);
    else
        Line()->GenerateDigits(dial);
}

void IVRCMain::ConfirmedTransfer(const std::string& file, std::string_view section,
                                 std::string_view key) {
    state_ = IVRState::ConfirmedDial;
    const std::string dial = ExpandTemplate(ReadTransferSetting("confirmedprefix", "!,") +
                                                ReadArgument(file, section, key, "transfer") +
                                                ReadTransferSetting("confirmedsuffix", ""),
                                            Context());
    transferFail_ = {file, std::string(section), std::string(key) + "transferfail"};
    if (Line())
        Line()->GenerateDigits(dial);
}

void IVRCMain::AskTransferQuery() {
    state_ = IVRState::TransferQuery;
    counter_ = CounterValue(
        ReadProfileInt(Store().SettingsFile(), kTransferSection, "confirmedrepeat", 10));
    PlayPrompt("TransferQuery");
}

void IVRCMain::OnTransferAnswer(char key) {
    if (key != '1') {
        RejectTransfer();
        return;
    }
    state_ = IVRState::AcceptDial;
    const std::string dial = ReadTransferSetting("confirmedcomplete", "");
    if (Line())
        Line()->GenerateDigits(dial);
}

void IVRCMain::RejectTransfer() {
    state_ = IVRState::RejectDial;
    const std::string dial = ReadTransferSetting("confirmedreject", "!,");
    if (Line())
        Line()->GenerateDigits(dial);
}

void IVRCMain::OnRejectDialled() {
    // The fail context is copied: the fail action may itself be a confirmed
    // transfer that replaces it.
    const TransferFail fail = transferFail_;
    if (!DoAction(fail.file, fail.section, fail.key))
        StartOGM();
}

}  // namespace orvia
