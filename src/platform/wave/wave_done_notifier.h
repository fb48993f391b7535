// Posts "buffer done" notifications of a wave device to the main thread.
//
// A device calls Notify from its own thread (or the owner's) for every buffer
// it returns; the owner's callback then runs on the dispatcher's thread, one
// call per buffer in the order the buffers were returned. Once the device is
// closed, notifications still queued are dropped, so a callback never sees a
// buffer that its owner freed after closing the device.
//
// Threads: Notify from any thread; Close on the dispatcher's thread (the
// owner's thread) for the drop guarantee to hold.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/wave/wave_types.h"

namespace orvia {

class Dispatcher;

using WaveDoneCallback = std::function<void(WaveBuffer* buffer)>;

class WaveDoneNotifier {
public:
    // No callback: Notify does nothing (the owner polls the done flags).
    WaveDoneNotifier() = default;
    WaveDoneNotifier(Dispatcher* dispatcher, WaveDoneCallback callback);

    void Notify(WaveBuffer* buffer) const;
    void Close();

private:
    struct Shared {
        explicit Shared(WaveDoneCallback cb) : callback(std::move(cb)) {}
        std::atomic<bool> open{true};
        WaveDoneCallback callback;
    };

    Dispatcher* dispatcher_ = nullptr;
    std::shared_ptr<Shared> shared_;
};

}  // namespace orvia
