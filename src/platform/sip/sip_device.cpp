#include "platform/sip/sip_device.h"

#include "platform/thread/thread_affinity.h"

namespace orvia::sip {

SipDevice::SipDevice(SipDeviceSettings settings, SipLineHooks hooks)
    : settings_(std::move(settings)),
      hooks_(std::move(hooks)),
      open_(std::make_shared<bool>(false)) {}

std::unique_ptr<TelephonyLine> SipDevice::Open(LineEvents* events) {
    return OpenLine(events);
}

std::optional<ListenEndpoint> SipDevice::Listens() const {
    ListenEndpoint endpoint;
    endpoint.transport = settings_.transport == SipTransport::Tcp ? "tcp" : "udp";
    endpoint.host = settings_.listenHost;
    endpoint.port = settings_.listenPort;
    return endpoint;
}

std::unique_ptr<SipLine> SipDevice::OpenLine(LineEvents* events) {
    ORVIA_ASSERT_MAIN_THREAD();
    if (*open_) {
        lastError_ = "the device is open already";
        return nullptr;
    }
    lastError_.clear();
    auto line = SipLine::Open(settings_, events, hooks_, &lastError_);
    if (!line)
        return nullptr;
    *open_ = true;
    line->SetOnClosed([open = open_] { *open = false; });
    return line;
}

std::unique_ptr<SipDevice> CreateSipDevice(const std::string& section,
                                           const TelephonySettings& settings,
                                           const SipLineHooks& hooks, std::string* error) {
    SipDeviceSettings parsed;
    if (!ParseSipDeviceSettings(section, settings, &parsed, error))
        return nullptr;
    return std::make_unique<SipDevice>(std::move(parsed), hooks);
}

}  // namespace orvia::sip
