// SIP line devices: the "sip" provider of the telephony device layer.
//
// Each section of the telephony configuration whose "type" is "sip" is one
// account (see SipDeviceSettings for the keys) and becomes one voice-capable
// line device per channel: named by its "name" (or its address of record)
// when it has one channel, "<name> 1" .. "<name> N" when it has N. The
// channels share the account's user agent (one listen address, one
// registration), which runs on the shared SIP loop while any of them is
// open; each channel is open for one owner at a time and carries one call.
//
// Threads: the main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sip/sip_line.h"
#include "platform/sip/sip_settings.h"
#include "platform/telephony/telephony.h"

namespace orvia::sip {

class SipAccount;

class SipDevice : public TelephonyDevice {
public:
    SipDevice(std::shared_ptr<SipAccount> account, int channel);

    std::string Name() const override;
    bool IsVoiceCapable() const override { return true; }
    std::unique_ptr<TelephonyLine> Open(LineEvents* events) override;
    std::string OpenError() const override { return lastError_; }
    std::optional<ListenEndpoint> Listens() const override;
    std::string ChannelGroup() const override;

    // The same, as the SIP line it is.
    std::unique_ptr<SipLine> OpenLine(LineEvents* events);
    // Why the last Open failed.
    const std::string& LastError() const { return lastError_; }
    const SipDeviceSettings& Settings() const;

private:
    std::shared_ptr<SipAccount> account_;
    int channel_;
    std::string lastError_;
};

// The devices of a section, one per channel; none with a reason in *error.
std::vector<std::unique_ptr<SipDevice>> CreateSipDevices(const std::string& section,
                                                         const TelephonySettings& settings,
                                                         const SipLineHooks& hooks,
                                                         std::string* error);

// Lines that report through the current dispatcher and carry their audio on
// the call wave devices (what the program uses).
SipLineHooks DefaultSipLineHooks();

}  // namespace orvia::sip

namespace orvia {

// Registers the "sip" provider: lines report through the current dispatcher
// and carry their audio on the call wave devices. The program calls this
// once at start-up.
void RegisterSipProvider();

}  // namespace orvia
