// Posts "buffer done" notifications of a wave device to the main thread.
//
// A device calls Notify from its own thread (or the owner's) for every buffer
// it returns; the owner's callback then runs on the dispatcher's thread, one
// call per buffer in the order the buffers were returned. Once the device is
// closed, notifications still queued are dropped, so a callback never sees a
// buffer that its owner freed after closing the device.
//
// A clock that returns many buffers at once (a media clock moving the audio
// of every call each 20 ms) opens a WaveDoneBatch around that work: the
// notifications it makes are then posted together when the batch ends, so
// the main thread wakes once for them instead of once per buffer.
//
// Threads: Notify from any thread; Close on the dispatcher's thread (the
// owner's thread) for the drop guarantee to hold. A batch belongs to the
// thread that opened it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

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

// Holds the notifications made on its thread while it lives and posts them
// when it ends: one task per dispatcher, running them in the order they were
// made. Batches may nest; the outermost one posts.
class WaveDoneBatch {
public:
    WaveDoneBatch();
    ~WaveDoneBatch();
    WaveDoneBatch(const WaveDoneBatch&) = delete;
    WaveDoneBatch& operator=(const WaveDoneBatch&) = delete;

private:
    friend class WaveDoneNotifier;
    // The batch open on this thread; null for none.
    static WaveDoneBatch* Current();

    WaveDoneBatch* outer_;
    std::vector<std::pair<Dispatcher*, std::function<void()>>> held_;
};

}  // namespace orvia
