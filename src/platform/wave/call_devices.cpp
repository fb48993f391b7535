#include "platform/wave/call_devices.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>

#include "platform/wave/wave_endpoint.h"
#include "platform/wave/wave_registry.h"

namespace orvia {

// What the pair, its endpoints and the devices opened on them share.
struct CallDevicePair::Port {
    explicit Port(const PcmFormat& f) : format(f) {}

    const PcmFormat format;
    std::mutex mutex;
    int id = -1;
    bool released = false;
    std::shared_ptr<WaveOutQueue> output;  // the open output device's queue
    std::shared_ptr<WaveInQueue> input;    // the open input device's queue
};

namespace {

// Detaches a device's queue from the port when the device closes.
template <typename Queue>
class CallAttachment : public WaveDeviceClock {
public:
    CallAttachment(std::shared_ptr<CallDevicePair::Port> port,
                   std::shared_ptr<Queue> CallDevicePair::Port::*slot, std::shared_ptr<Queue> queue)
        : port_(std::move(port)), slot_(slot), queue_(std::move(queue)) {}

    ~CallAttachment() override {
        std::lock_guard<std::mutex> guard(port_->mutex);
        if ((*port_).*slot_ == queue_)
            ((*port_).*slot_).reset();
    }

private:
    std::shared_ptr<CallDevicePair::Port> port_;
    std::shared_ptr<Queue> CallDevicePair::Port::*slot_;
    std::shared_ptr<Queue> queue_;
};

class CallEndpoint : public WaveEndpoint {
public:
    explicit CallEndpoint(std::shared_ptr<CallDevicePair::Port> port) : port_(std::move(port)) {}

    std::string ProductName() const override { return "Call line " + std::to_string(port_->id); }

    WaveResult OpenOutput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override {
        std::lock_guard<std::mutex> guard(port_->mutex);
        const WaveResult check = Check(format, port_->output != nullptr);
        if (check != WaveResult::Ok)
            return check;
        auto queue = std::make_shared<WaveOutQueue>(format, std::move(notifier));
        port_->output = queue;
        auto clock = std::make_unique<CallAttachment<WaveOutQueue>>(
            port_, &CallDevicePair::Port::output, queue);
        *device = std::make_unique<WaveOutDevice>(std::move(queue), std::move(clock));
        return WaveResult::Ok;
    }

    WaveResult OpenInput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                         std::unique_ptr<WaveInDevice>* device) override {
        std::lock_guard<std::mutex> guard(port_->mutex);
        const WaveResult check = Check(format, port_->input != nullptr);
        if (check != WaveResult::Ok)
            return check;
        auto queue = std::make_shared<WaveInQueue>(format, std::move(notifier));
        port_->input = queue;
        auto clock = std::make_unique<CallAttachment<WaveInQueue>>(
            port_, &CallDevicePair::Port::input, queue);
        *device = std::make_unique<WaveInDevice>(std::move(queue), std::move(clock));
        return WaveResult::Ok;
    }

private:
    // Under the port lock.
    WaveResult Check(const PcmFormat& format, bool open) const {
        if (port_->released)
            return WaveResult::BadDevice;
        if (open)
            return WaveResult::Allocated;
        if (!(format == port_->format))
            return WaveResult::BadFormat;
        return WaveResult::Ok;
    }

    std::shared_ptr<CallDevicePair::Port> port_;
};

}  // namespace

std::unique_ptr<CallDevicePair> CallDevicePair::Register(const PcmFormat& format) {
    if (!format.IsValid())
        return nullptr;
    auto port = std::make_shared<Port>(format);
    auto endpoint = std::make_shared<CallEndpoint>(port);
    const int id = WaveDevices().RegisterCall(endpoint, endpoint);
    if (id < 0)
        return nullptr;
    {
        std::lock_guard<std::mutex> guard(port->mutex);
        port->id = id;
    }
    return std::unique_ptr<CallDevicePair>(new CallDevicePair(std::move(port), id));
}

CallDevicePair::CallDevicePair(std::shared_ptr<Port> port, int id)
    : port_(std::move(port)), id_(id) {}

CallDevicePair::~CallDevicePair() {
    WaveDevices().UnregisterCall(id_);
    std::lock_guard<std::mutex> guard(port_->mutex);
    port_->released = true;
    if (port_->output)
        port_->output->Disconnect();
    port_->output.reset();
    port_->input.reset();
}

const PcmFormat& CallDevicePair::Format() const {
    return port_->format;
}

size_t CallDevicePair::PullOutput(int16_t* out, size_t frames) {
    std::shared_ptr<WaveOutQueue> queue;
    {
        std::lock_guard<std::mutex> guard(port_->mutex);
        queue = port_->output;
    }
    const size_t pulled = queue ? queue->Pull(out, frames) : 0;
    const size_t channels = static_cast<size_t>(port_->format.channels);
    std::fill(out + pulled * channels, out + frames * channels, int16_t{0});
    return pulled;
}

size_t CallDevicePair::PushInput(const int16_t* in, size_t frames) {
    std::shared_ptr<WaveInQueue> queue;
    {
        std::lock_guard<std::mutex> guard(port_->mutex);
        queue = port_->input;
    }
    return queue ? queue->Push(in, frames) : 0;
}

bool CallDevicePair::OutputOpen() const {
    std::lock_guard<std::mutex> guard(port_->mutex);
    return port_->output != nullptr;
}

bool CallDevicePair::WaitForOutput(int timeoutMs) {
    std::shared_ptr<WaveOutQueue> queue;
    {
        std::lock_guard<std::mutex> guard(port_->mutex);
        queue = port_->output;
    }
    return queue && queue->WaitForWork(timeoutMs);
}

size_t CallDevicePair::InputFreeFrames() const {
    std::shared_ptr<WaveInQueue> queue;
    {
        std::lock_guard<std::mutex> guard(port_->mutex);
        queue = port_->input;
    }
    return queue ? queue->FreeFrames() : 0;
}

}  // namespace orvia
