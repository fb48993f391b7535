#include "platform/dispatch/dispatcher.h"
#include "platform/sip/sip_device.h"
#include "platform/wave/call_devices.h"

namespace orvia::sip {
namespace {

// A call's audio on its pair of call wave devices.
class DeviceMediaPort : public MediaPort {
public:
    explicit DeviceMediaPort(std::unique_ptr<CallDevicePair> pair) : pair_(std::move(pair)) {}
    int OutputId() const override { return pair_->OutputId(); }
    int InputId() const override { return pair_->InputId(); }
    void Pull(int16_t* out, size_t samples) override { pair_->PullOutput(out, samples); }
    void Push(const int16_t* in, size_t samples) override { pair_->PushInput(in, samples); }

private:
    std::unique_ptr<CallDevicePair> pair_;
};

}  // namespace

SipLineHooks DefaultSipLineHooks() {
    SipLineHooks hooks;
    // The dispatcher of the thread that sets the lines up; the current one at
    // the time of each report when there was none yet.
    hooks.post = [captured = CurrentDispatcher()](std::function<void()> task) {
        if (Dispatcher* dispatcher = captured ? captured : CurrentDispatcher())
            dispatcher->Post(std::move(task));
    };
    hooks.audio = []() -> std::unique_ptr<MediaPort> {
        PcmFormat format;
        format.channels = 1;
        format.rate = 8000;
        auto pair = CallDevicePair::Register(format);
        if (!pair)
            return nullptr;
        return std::make_unique<DeviceMediaPort>(std::move(pair));
    };
    return hooks;
}

}  // namespace orvia::sip

namespace orvia {

void RegisterSipProvider() {
    RegisterTelephonyProvider(
        "sip",
        [](const std::string& section, const TelephonySettings& settings, std::string* error) {
            TelephonyDeviceList devices;
            for (auto& device :
                 sip::CreateSipDevices(section, settings, sip::DefaultSipLineHooks(), error))
                devices.push_back(std::move(device));
            return devices;
        },
        sip::SipDeviceKeys());
}

}  // namespace orvia
