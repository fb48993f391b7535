#include "platform/dispatch/step_dispatcher.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <utility>

namespace orvia {

StepDispatcher::StepDispatcher() : thread_(std::this_thread::get_id()) {}

StepDispatcher::~StepDispatcher() {
    // Queued work is dropped unrun; a thread waiting in Send is released by it.
    std::deque<Task> dropped;
    std::lock_guard<std::mutex> guard(mutex_);
    dropped.swap(queue_);
}

void StepDispatcher::Post(Task task) {
    if (!task)
        return;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        queue_.push_back(std::move(task));
    }
    posted_.notify_all();
}

void StepDispatcher::SetTimer(uint32_t id, uint32_t ms, Task callback) {
    assert(IsDispatchThread());
    timers_[id] = Timer{now_ + static_cast<int64_t>(ms), timerOrder_++, std::move(callback)};
}

void StepDispatcher::KillTimer(uint32_t id) {
    assert(IsDispatchThread());
    timers_.erase(id);
}

bool StepDispatcher::IsDispatchThread() const {
    return std::this_thread::get_id() == thread_;
}

size_t StepDispatcher::RunPending() {
    assert(IsDispatchThread());
    size_t ran = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (queue_.empty())
                return ran;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
        ++ran;
    }
}

bool StepDispatcher::NextDueTimer(int64_t limit, uint32_t* id) const {
    bool found = false;
    const Timer* best = nullptr;
    for (const auto& [timerId, timer] : timers_) {
        if (timer.due > limit)
            continue;
        if (!best || timer.due < best->due ||
            (timer.due == best->due && timer.order < best->order)) {
            best = &timer;
            *id = timerId;
            found = true;
        }
    }
    return found;
}

void StepDispatcher::AdvanceTime(int64_t ms) {
    assert(IsDispatchThread());
    const int64_t target = now_ + (ms > 0 ? ms : 0);
    RunPending();
    uint32_t id = 0;
    while (NextDueTimer(target, &id)) {
        auto it = timers_.find(id);
        if (it->second.due > now_)
            now_ = it->second.due;
        Task callback = std::move(it->second.callback);
        timers_.erase(it);  // one-shot: gone before its callback may re-arm it
        if (callback)
            callback();
        RunPending();
    }
    now_ = target;
}

int64_t StepDispatcher::Now() const {
    return now_;
}

size_t StepDispatcher::PendingCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return queue_.size();
}

bool StepDispatcher::IsTimerSet(uint32_t id) const {
    return timers_.count(id) != 0;
}

bool StepDispatcher::RunUntil(const std::function<bool()>& predicate, int realTimeoutMs) {
    assert(IsDispatchThread());
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(realTimeoutMs);
    for (;;) {
        RunPending();
        if (predicate())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        // Wakes for new work at once; otherwise looks again every few
        // milliseconds, for predicates that other threads change directly.
        const auto slice = std::min(deadline, now + std::chrono::milliseconds(5));
        std::unique_lock<std::mutex> lock(mutex_);
        posted_.wait_until(lock, slice, [&] { return !queue_.empty(); });
    }
}

}  // namespace orvia
