// Thread, lock and signal wrappers used by every background worker.
//
// LThread runs Run() on a thread of its own with a manual-reset stop event that
// the worker polls. Any thread may call Start/Stop/IsRunning; a derived class
// must call Stop() in its own destructor, before its members are gone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace orvia {

// A recursive lock (a thread may take it again while it holds it).
// BasicLockable, so std::lock_guard<LLockObject> works.
class LLockObject {
public:
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }
    bool TryLock() { return mutex_.try_lock(); }
    void lock() { Lock(); }
    void unlock() { Unlock(); }
    bool try_lock() { return TryLock(); }

private:
    std::recursive_mutex mutex_;
};

// An event: manual reset (stays set until Reset) or auto reset (one waiter
// consumes the signal).
class LSignalObject {
public:
    explicit LSignalObject(bool manualReset = true, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}

    void Set();
    void Reset();
    // Waits up to timeoutMs (negative: for ever); true when the event was set.
    bool Wait(int timeoutMs);
    bool IsSet() { return Wait(0); }

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    bool manualReset_;
    bool set_;
};

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };

// Applies a priority to the calling thread as its nice value. A refused raise
// (no privilege) is not an error; returns false only for a failed lowering.
bool SetCurrentThreadPriority(ThreadPriority priority);

class LThread {
public:
    LThread();
    virtual ~LThread();
    LThread(const LThread&) = delete;
    LThread& operator=(const LThread&) = delete;

    // Starts the thread unless it is still running. Returns false when the
    // thread could not be created.
    bool Start(ThreadPriority priority = ThreadPriority::Normal);
    // Signals the stop event and waits up to stopTimeoutMs for the thread to end;
    // a thread that does not end in time is left detached.
    void Stop(int stopTimeoutMs = 5000);
    bool IsRunning() const;

protected:
    virtual void Run() = 0;
    virtual void OnThreadStart() {}
    virtual void OnThreadEnd() {}

    // Zero-wait poll of the stop event, for the worker's loop.
    bool StopRequested() const;
    // Waits up to timeoutMs for the stop event; true when stop was requested.
    bool WaitForStop(int timeoutMs) const;
    LLockObject& Lock() { return lock_; }

private:
    struct State;
    void JoinFinished();

    std::shared_ptr<State> state_;
    std::thread thread_;
    LLockObject lock_;
    std::mutex startStop_;
};

}  // namespace orvia
