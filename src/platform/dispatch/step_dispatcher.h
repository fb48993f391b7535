// A dispatcher that tests drive by hand.
//
// Posted work waits in a queue until the test calls RunPending; timers run on
// a fake clock that only AdvanceTime moves, so time-dependent behaviour is
// tested without waiting. Other threads may post at any time; RunUntil lets a
// test wait a bounded real time for work they post.
//
// Threads: Post, PostMessage and Send from any thread; everything else from
// the thread that created it (its dispatch thread). It does not mark that
// thread as the process's main thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "platform/dispatch/dispatcher.h"

namespace orvia {

class StepDispatcher : public Dispatcher {
public:
    StepDispatcher();
    ~StepDispatcher() override;

    void Post(Task task) override;
    void SetTimer(uint32_t id, uint32_t ms, Task callback) override;
    void KillTimer(uint32_t id) override;
    bool IsDispatchThread() const override;

    // Runs queued work in order, including work posted while it runs, until
    // the queue is empty. Returns how many calls ran.
    size_t RunPending();

    // Moves the fake clock forward by ms, firing each timer that falls due in
    // order of its due time (timers due at the same time in the order they
    // were set). Queued work runs before the first timer and after each one,
    // as a real event loop would.
    void AdvanceTime(int64_t ms);

    // The fake clock in milliseconds (0 at construction).
    int64_t Now() const;

    // Calls queued and not yet run.
    size_t PendingCount() const;

    // True while a timer with this id is armed.
    bool IsTimerSet(uint32_t id) const;

    // Runs queued work and waits for more until the predicate holds or
    // realTimeoutMs of real time have passed. The predicate is checked on the
    // calling thread after each round. True when it held.
    bool RunUntil(const std::function<bool()>& predicate, int realTimeoutMs);

private:
    struct Timer {
        int64_t due = 0;
        uint64_t order = 0;
        Task callback;
    };

    bool NextDueTimer(int64_t limit, uint32_t* id) const;

    const std::thread::id thread_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Task> queue_;

    // Timers are used on the dispatch thread only.
    std::map<uint32_t, Timer> timers_;
    int64_t now_ = 0;
    uint64_t timerOrder_ = 0;
};

}  // namespace orvia
