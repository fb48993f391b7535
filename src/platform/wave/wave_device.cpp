#include "platform/wave/wave_device.h"

#include <utility>

namespace orvia {

WaveOutDevice::WaveOutDevice(std::shared_ptr<WaveOutQueue> queue,
                             std::unique_ptr<WaveDeviceClock> clock)
    : queue_(std::move(queue)), clock_(std::move(clock)) {}

WaveOutDevice::~WaveOutDevice() {
    // Closing the queue wakes a clock that waits for work; then the clock ends.
    queue_->Close();
    clock_.reset();
}

WaveResult WaveOutDevice::Pause() {
    queue_->Pause();
    return WaveResult::Ok;
}

WaveResult WaveOutDevice::Restart() {
    queue_->Restart();
    return WaveResult::Ok;
}

WaveResult WaveOutDevice::Reset() {
    queue_->Reset();
    return WaveResult::Ok;
}

WaveResult WaveOutDevice::BreakLoop() {
    queue_->BreakLoop();
    return WaveResult::Ok;
}

WaveInDevice::WaveInDevice(std::shared_ptr<WaveInQueue> queue,
                           std::unique_ptr<WaveDeviceClock> clock)
    : queue_(std::move(queue)), clock_(std::move(clock)) {}

WaveInDevice::~WaveInDevice() {
    queue_->Close();
    clock_.reset();
}

WaveResult WaveInDevice::Start() {
    queue_->Start();
    return WaveResult::Ok;
}

WaveResult WaveInDevice::Stop() {
    queue_->Stop();
    return WaveResult::Ok;
}

WaveResult WaveInDevice::Reset() {
    queue_->Reset();
    return WaveResult::Ok;
}

}  // namespace orvia
