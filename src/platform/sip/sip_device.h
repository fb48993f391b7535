// SIP line devices: the "sip" provider of the telephony device layer.
//
// Each section of the telephony configuration whose "type" is "sip" becomes
// one voice-capable line device, named by its "name" or its address of
// record (see SipDeviceSettings for the keys). Opening it starts the device's
// SIP user agent on the shared SIP loop; a device is open for one owner at a
// time.
//
// Threads: the main thread.
#pragma once

#include <memory>
#include <string>

#include "platform/sip/sip_line.h"
#include "platform/sip/sip_settings.h"
#include "platform/telephony/telephony.h"

namespace orvia::sip {

class SipDevice : public TelephonyDevice {
public:
    SipDevice(SipDeviceSettings settings, SipLineHooks hooks);

    std::string Name() const override { return settings_.name; }
    bool IsVoiceCapable() const override { return true; }
    std::unique_ptr<TelephonyLine> Open(LineEvents* events) override;
    std::string OpenError() const override { return lastError_; }
    std::optional<ListenEndpoint> Listens() const override;

    // The same, as the SIP line it is.
    std::unique_ptr<SipLine> OpenLine(LineEvents* events);
    // Why the last Open failed.
    const std::string& LastError() const { return lastError_; }
    const SipDeviceSettings& Settings() const { return settings_; }

private:
    class OwnedLine;
    SipDeviceSettings settings_;
    SipLineHooks hooks_;
    std::shared_ptr<bool> open_;
    std::string lastError_;
};

// A device from its section; null with a reason in *error.
std::unique_ptr<SipDevice> CreateSipDevice(const std::string& section,
                                           const TelephonySettings& settings,
                                           const SipLineHooks& hooks, std::string* error);

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
