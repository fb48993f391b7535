#include "platform/thread/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace orvia {

void LSignalObject::Set() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        set_ = true;
    }
    if (manualReset_)
        cond_.notify_all();
    else
        cond_.notify_one();
}

void LSignalObject::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = false;
}

bool LSignalObject::Wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return set_; };
    bool signalled;
    if (timeoutMs == 0) {
        // A look, not a wait: no sleep (a worker asks this in every round).
        signalled = set_;
    } else if (timeoutMs < 0) {
        cond_.wait(lock, ready);
        signalled = true;
    } else {
        signalled = cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (signalled && !manualReset_)
        set_ = false;
    return signalled;
}

bool SetCurrentThreadPriority(ThreadPriority priority) {
    int nice = 0;
    switch (priority) {
        case ThreadPriority::Idle:
            nice = 19;
            break;
        case ThreadPriority::Lowest:
            nice = 10;
            break;
        case ThreadPriority::BelowNormal:
            nice = 5;
            break;
        case ThreadPriority::Normal:
            nice = 0;
            break;
        case ThreadPriority::AboveNormal:
            nice = -5;
            break;
        case ThreadPriority::Highest:
            nice = -10;
            break;
        case ThreadPriority::TimeCritical:
            nice = -15;
            break;
    }
    // On Linux the nice value is per thread when addressed by thread id.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    if (setpriority(PRIO_PROCESS, tid, nice) == 0)
        return true;
    return nice < 0;  // a refused raise is fine; a failed lowering is not
}

// Shared with the thread itself, so a thread left detached after a timed-out
// Stop never touches freed memory for its own bookkeeping.
struct LThread::State {
    LSignalObject stopEvent{true, false};
    LSignalObject endedEvent{true, true};
    std::atomic<bool> running{false};
};

LThread::LThread() : state_(std::make_shared<State>()) {}

LThread::~LThread() {
    // Derived classes stop their thread in their own destructor; this is the
    // last resort for one that did not.
    Stop();
}

bool LThread::Start(ThreadPriority priority) {
    std::lock_guard<std::mutex> guard(startStop_);
    if (state_->running.load())
        return true;
    JoinFinished();
    state_->stopEvent.Reset();
    state_->endedEvent.Reset();
    state_->running = true;
    auto state = state_;
    try {
        thread_ = std::thread([this, state, priority] {
            SetCurrentThreadPriority(priority);
            OnThreadStart();
            Run();
            OnThreadEnd();
            state->running = false;
            state->endedEvent.Set();
        });
    } catch (const std::system_error&) {
        state_->running = false;
        state_->endedEvent.Set();
        return false;
    }
    return true;
}

void LThread::JoinFinished() {
    if (thread_.joinable())
        thread_.join();
}

void LThread::Stop(int stopTimeoutMs) {
    std::lock_guard<std::mutex> guard(startStop_);
    if (!thread_.joinable())
        return;
    state_->stopEvent.Set();
    if (thread_.get_id() == std::this_thread::get_id()) {
        // A worker stopping itself: it ends when Run returns.
        thread_.detach();
        return;
    }
    if (state_->endedEvent.Wait(stopTimeoutMs)) {
        thread_.join();
    } else {
        // No safe way to kill a thread: leave it to finish on its own with a
        // fresh state for any later Start.
        thread_.detach();
        state_ = std::make_shared<State>();
    }
}

bool LThread::IsRunning() const {
    return state_->running.load();
}

bool LThread::StopRequested() const {
    return state_->stopEvent.IsSet();
}

bool LThread::WaitForStop(int timeoutMs) const {
    return state_->stopEvent.Wait(timeoutMs);
}

}  // namespace orvia
