#include "platform/sip/sip_device.h"

#include "platform/sip/sip_account_p.h"
#include "platform/thread/thread_affinity.h"

namespace orvia::sip {

SipDevice::SipDevice(std::shared_ptr<SipAccount> account, int channel)
    : account_(std::move(account)), channel_(channel) {}

const SipDeviceSettings& SipDevice::Settings() const {
    return account_->Settings();
}

std::string SipDevice::Name() const {
    const std::string& name = Settings().name;
    return account_->Channels() == 1 ? name : name + " " + std::to_string(channel_ + 1);
}

std::string SipDevice::ChannelGroup() const {
    return account_->Channels() == 1 ? std::string() : "sip:" + Settings().section;
}

std::unique_ptr<TelephonyLine> SipDevice::Open(LineEvents* events) {
    return OpenLine(events);
}

std::optional<ListenEndpoint> SipDevice::Listens() const {
    const SipDeviceSettings& settings = Settings();
    ListenEndpoint endpoint;
    endpoint.transport = settings.TransportName();
    endpoint.host = settings.listenHost;
    endpoint.port = settings.listenPort;
    return endpoint;
}

std::unique_ptr<SipLine> SipDevice::OpenLine(LineEvents* events) {
    ORVIA_ASSERT_MAIN_THREAD();
    lastError_.clear();
    return SipAccount::OpenChannel(account_, channel_, events, &lastError_);
}

std::vector<std::unique_ptr<SipDevice>> CreateSipDevices(const std::string& section,
                                                         const TelephonySettings& settings,
                                                         const SipLineHooks& hooks,
                                                         std::string* error) {
    std::vector<std::unique_ptr<SipDevice>> devices;
    SipDeviceSettings parsed;
    if (!ParseSipDeviceSettings(section, settings, &parsed, error))
        return devices;
    auto account = std::make_shared<SipAccount>(std::move(parsed), hooks);
    for (int channel = 0; channel < account->Channels(); ++channel)
        devices.push_back(std::make_unique<SipDevice>(account, channel));
    return devices;
}

}  // namespace orvia::sip
