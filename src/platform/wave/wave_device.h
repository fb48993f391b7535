// Open wave devices: the handles the sound player and recorder work with.
//
// A device is a buffer queue (the same semantics for every backend) plus the
// backend's clock: whatever moves audio through the queue (a device thread
// over ALSA, a call's media clock, a test device). Destroying a device closes
// it: its clock stops first, then every buffer still queued is returned done
// (without a notification), so the owner may free its buffers afterwards.
//
// Threads: the owner's thread; the player's feeding thread may also write
// buffers and poll their done flags.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/wave/wave_in_queue.h"
#include "platform/wave/wave_out_queue.h"
#include "platform/wave/wave_types.h"

namespace orvia {

// The backend side of an open device. Destroying it stops moving the clock:
// after its destructor the backend no longer touches the queue.
class WaveDeviceClock {
public:
    virtual ~WaveDeviceClock() = default;
};

class WaveOutDevice {
public:
    WaveOutDevice(std::shared_ptr<WaveOutQueue> queue, std::unique_ptr<WaveDeviceClock> clock);
    ~WaveOutDevice();
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

    const PcmFormat& Format() const { return queue_->Format(); }
    // Queues a buffer; the device marks it done once played (see WaveOutQueue
    // for loops).
    WaveResult Write(WaveBuffer* buffer) { return queue_->Write(buffer); }
    WaveResult Pause();
    WaveResult Restart();
    // Returns every queued buffer as done at once.
    WaveResult Reset();
    WaveResult BreakLoop();
    // Frames played since opening or the last Reset.
    uint64_t GetPosition() const { return queue_->Position(); }

private:
    std::shared_ptr<WaveOutQueue> queue_;
    std::unique_ptr<WaveDeviceClock> clock_;
};

class WaveInDevice {
public:
    WaveInDevice(std::shared_ptr<WaveInQueue> queue, std::unique_ptr<WaveDeviceClock> clock);
    ~WaveInDevice();
    WaveInDevice(const WaveInDevice&) = delete;
    WaveInDevice& operator=(const WaveInDevice&) = delete;

    const PcmFormat& Format() const { return queue_->Format(); }
    WaveResult AddBuffer(WaveBuffer* buffer) { return queue_->AddBuffer(buffer); }
    WaveResult Start();
    WaveResult Stop();
    // Stops and returns every queued buffer as done at once.
    WaveResult Reset();
    // Frames recorded since opening or the last Reset.
    uint64_t GetPosition() const { return queue_->Position(); }

private:
    std::shared_ptr<WaveInQueue> queue_;
    std::unique_ptr<WaveDeviceClock> clock_;
};

}  // namespace orvia
