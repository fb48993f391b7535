#include "platform/wave/wave_registry.h"

#include <utility>

#include "platform/dispatch/dispatcher.h"
#include "platform/text/utf8_text.h"

namespace orvia {
namespace {

constexpr size_t kMaxNameBytes = 31;

bool InRange(int id) {
    return id >= kDefaultWaveDevice && id <= kLastWaveDevice;
}

WaveResult MakeNotifier(const WaveOpenParams& params, WaveDoneNotifier* notifier) {
    if (!params.onDone)
        return WaveResult::Ok;
    Dispatcher* dispatcher = CurrentDispatcher();
    if (!dispatcher)
        return WaveResult::NoDispatcher;
    *notifier = WaveDoneNotifier(dispatcher, params.onDone);
    return WaveResult::Ok;
}

template <typename Device, typename OpenFn>
WaveResult Open(WaveDirection direction, const WaveOpenParams& params,
                std::unique_ptr<Device>* device, OpenFn open) {
    if (!device)
        return WaveResult::InvalidParam;
    device->reset();
    if (!params.format.IsValid())
        return WaveResult::BadFormat;
    auto endpoint = WaveDevices().Find(direction, params.device);
    if (!endpoint)
        return WaveResult::BadDevice;
    WaveDoneNotifier notifier;
    const WaveResult made = MakeNotifier(params, &notifier);
    if (made != WaveResult::Ok)
        return made;
    const WaveResult result = open(*endpoint, std::move(notifier));
    if (result == WaveResult::Ok && !*device)
        return WaveResult::Error;
    if (result != WaveResult::Ok)
        device->reset();
    return result;
}

std::string ProductName(WaveDirection direction, int id) {
    auto endpoint = WaveDevices().Find(direction, id);
    return endpoint ? ShortDeviceName(endpoint->ProductName()) : std::string();
}

}  // namespace

WaveResult WaveEndpoint::OpenOutput(const PcmFormat&, bool, WaveDoneNotifier,
                                    std::unique_ptr<WaveOutDevice>*) {
    return WaveResult::BadDevice;
}

WaveResult WaveEndpoint::OpenInput(const PcmFormat&, bool, WaveDoneNotifier,
                                   std::unique_ptr<WaveInDevice>*) {
    return WaveResult::BadDevice;
}

WaveDeviceRegistry::Table& WaveDeviceRegistry::TableOf(WaveDirection direction) {
    return direction == WaveDirection::Output ? outputs_ : inputs_;
}

const WaveDeviceRegistry::Table& WaveDeviceRegistry::TableOf(WaveDirection direction) const {
    return direction == WaveDirection::Output ? outputs_ : inputs_;
}

bool WaveDeviceRegistry::Register(WaveDirection direction, int id,
                                  std::shared_ptr<WaveEndpoint> endpoint) {
    if (!InRange(id) || !endpoint)
        return false;
    std::lock_guard<std::mutex> guard(mutex_);
    TableOf(direction)[Slot(id)] = std::move(endpoint);
    return true;
}

void WaveDeviceRegistry::Unregister(WaveDirection direction, int id) {
    if (!InRange(id))
        return;
    std::lock_guard<std::mutex> guard(mutex_);
    TableOf(direction)[Slot(id)].reset();
}

std::shared_ptr<WaveEndpoint> WaveDeviceRegistry::Find(WaveDirection direction, int id) const {
    if (!InRange(id))
        return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    return TableOf(direction)[Slot(id)];
}

int WaveDeviceRegistry::Count(WaveDirection direction) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const Table& table = TableOf(direction);
    int count = 0;
    while (count < kFirstCallWaveDevice && table[Slot(count)])
        ++count;
    return count;
}

int WaveDeviceRegistry::RegisterCall(std::shared_ptr<WaveEndpoint> output,
                                     std::shared_ptr<WaveEndpoint> input) {
    if (!output || !input)
        return -1;
    std::lock_guard<std::mutex> guard(mutex_);
    for (int id = kFirstCallWaveDevice; id <= kLastWaveDevice; ++id) {
        if (!outputs_[Slot(id)] && !inputs_[Slot(id)]) {
            outputs_[Slot(id)] = std::move(output);
            inputs_[Slot(id)] = std::move(input);
            return id;
        }
    }
    return -1;
}

void WaveDeviceRegistry::UnregisterCall(int id) {
    if (id < kFirstCallWaveDevice || id > kLastWaveDevice)
        return;
    std::lock_guard<std::mutex> guard(mutex_);
    outputs_[Slot(id)].reset();
    inputs_[Slot(id)].reset();
}

void WaveDeviceRegistry::Clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    outputs_ = {};
    inputs_ = {};
}

WaveDeviceRegistry& WaveDevices() {
    static WaveDeviceRegistry registry;
    return registry;
}

ScopedWaveDevice::ScopedWaveDevice(WaveDirection direction, int id,
                                   std::shared_ptr<WaveEndpoint> endpoint)
    : direction_(direction), id_(id), previous_(WaveDevices().Find(direction, id)) {
    WaveDevices().Register(direction, id, std::move(endpoint));
}

ScopedWaveDevice::~ScopedWaveDevice() {
    if (previous_)
        WaveDevices().Register(direction_, id_, previous_);
    else
        WaveDevices().Unregister(direction_, id_);
}

WaveResult OpenWaveOut(const WaveOpenParams& params, std::unique_ptr<WaveOutDevice>* device) {
    return Open(WaveDirection::Output, params, device,
                [&](WaveEndpoint& endpoint, WaveDoneNotifier notifier) {
                    return endpoint.OpenOutput(params.format, params.mapped, std::move(notifier),
                                               device);
                });
}

WaveResult OpenWaveIn(const WaveOpenParams& params, std::unique_ptr<WaveInDevice>* device) {
    return Open(WaveDirection::Input, params, device,
                [&](WaveEndpoint& endpoint, WaveDoneNotifier notifier) {
                    return endpoint.OpenInput(params.format, params.mapped, std::move(notifier),
                                              device);
                });
}

int WaveOutDeviceCount() {
    return WaveDevices().Count(WaveDirection::Output);
}

int WaveInDeviceCount() {
    return WaveDevices().Count(WaveDirection::Input);
}

std::string WaveOutProductName(int id) {
    return ProductName(WaveDirection::Output, id);
}

std::string WaveInProductName(int id) {
    return ProductName(WaveDirection::Input, id);
}

std::string ShortDeviceName(const std::string& name) {
    return CutUtf8(name, kMaxNameBytes);
}

}  // namespace orvia
