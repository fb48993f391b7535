// The buffer queue of an open input device, shared by every backend.
//
// The owner adds empty buffers and starts the device; the backend's clock
// pushes captured frames, which fill the front buffer. A full buffer is marked
// done with its byte count and returned through the notifier (a post to the
// main thread per buffer). Frames pushed while the device is stopped, or while
// no buffer is waiting, are lost, as on a sound card.
//
// Threads: owner operations from the owner's thread, clock operations from
// the clock's thread; all under one lock.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/wave/wave_done_notifier.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class WaveInQueue {
public:
    WaveInQueue(const PcmFormat& format, WaveDoneNotifier notifier);
    ~WaveInQueue();
    WaveInQueue(const WaveInQueue&) = delete;
    WaveInQueue& operator=(const WaveInQueue&) = delete;

    const PcmFormat& Format() const { return format_; }

    // Owner side. A buffer must hold at least one frame.
    WaveResult AddBuffer(WaveBuffer* buffer);
    void Start();
    // Stops capturing; a partly filled buffer is returned with what it holds,
    // empty buffers stay queued.
    void Stop();
    // Stops and returns every queued buffer as done; position back to 0.
    void Reset();
    // Frames stored since opening or the last Reset.
    uint64_t Position() const;
    bool IsStarted() const;
    // Ends the queue for good: notifications still to come are dropped, every
    // buffer is returned and the clock is woken to stop.
    void Close();

    // Clock side. Stores frames in the queued buffers; returns how many were
    // stored (0 while stopped or without buffers).
    size_t Push(const int16_t* frames, size_t count);
    // Frames the queued buffers can still take while started, else 0.
    size_t FreeFrames() const;
    // Waits until started with a buffer to fill; false on timeout or close.
    bool WaitForWork(int timeoutMs);
    bool IsClosed() const;

private:
    void MarkDone(WaveBuffer* buffer);
    void ReturnAll();
    uint32_t Usable(const WaveBuffer* buffer) const;

    const PcmFormat format_;
    WaveDoneNotifier notifier_;

    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::deque<WaveBuffer*> queue_;  // the front one is being filled
    uint64_t position_ = 0;
    bool started_ = false;
    bool closed_ = false;
};

}  // namespace orvia
