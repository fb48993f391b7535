// The buffer queue of an open output device, shared by every backend.
//
// The owner queues buffers; the backend's clock (a device thread, a call's
// media clock, a test) pulls frames from the front. Buffers are marked done in
// the order they were queued, as soon as their last frame has been pulled. A
// loop runs from a begin-loop buffer to the next end-loop buffer as many
// times as the begin buffer's loop count says; its buffers are returned only
// when the loop is over. BreakLoop makes the pass that is playing the last.
//
// Threads: owner operations from the owner's thread (or the player's feeding
// thread), clock operations from the clock's thread; all under one lock.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/wave/wave_done_notifier.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class WaveOutQueue {
public:
    WaveOutQueue(const PcmFormat& format, WaveDoneNotifier notifier);
    ~WaveOutQueue();
    WaveOutQueue(const WaveOutQueue&) = delete;
    WaveOutQueue& operator=(const WaveOutQueue&) = delete;

    const PcmFormat& Format() const { return format_; }

    // Owner side.
    WaveResult Write(WaveBuffer* buffer);
    void Pause();
    void Restart();
    // Returns every queued buffer as done, forgets any loop, clears the pause
    // and sets the position back to 0.
    void Reset();
    void BreakLoop();
    // Frames pulled since opening or the last Reset (loop passes included).
    uint64_t Position() const;
    bool IsPaused() const;
    // Ends the queue for good: notifications still to come are dropped, every
    // queued buffer is returned done and the clock is woken to stop.
    void Close();
    // The far end is gone (a call ended): queued buffers are returned done and
    // later writes are returned done at once, so nobody waits for a clock that
    // will not come.
    void Disconnect();

    // Clock side. Copies up to frames frames of queued audio to out and
    // returns how many; 0 while paused, empty or closed. The tap, when given,
    // sees the copied frames before any buffer they came from is marked done.
    using Tap = std::function<void(const int16_t* frames, size_t count)>;
    size_t Pull(int16_t* out, size_t frames, const Tap& tap = nullptr);
    // Waits until frames can be pulled; false on timeout or when closed.
    bool WaitForWork(int timeoutMs);
    bool IsClosed() const;
    // Passes of the current loop already played in full (0 outside a loop).
    uint32_t LoopPassesPlayed() const;

private:
    void ReturnFront(size_t count);
    void ReturnAll();
    void MarkDone(WaveBuffer* buffer);
    bool HasWork() const;

    const PcmFormat format_;
    WaveDoneNotifier notifier_;

    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::deque<WaveBuffer*> queue_;
    size_t current_ = 0;       // index of the buffer playing (above 0 only inside a loop)
    uint32_t offset_ = 0;      // bytes of it already played
    bool inLoop_ = false;      // the front buffer began a loop that is playing
    uint32_t loopPasses_ = 0;  // passes of the loop to play in all
    uint32_t loopPassesPlayed_ = 0;
    uint64_t loopPassFrames_ = 0;  // frames of the pass playing
    uint64_t position_ = 0;
    bool paused_ = false;
    bool closed_ = false;
    bool disconnected_ = false;
};

}  // namespace orvia
