// The SIP stack's own thread: one libre event loop for the whole process.
//
// libre keeps its loop state process-wide, so there is one loop, shared by
// every open SIP line: Acquire() starts it on first use and the last holder
// stops it (the loop is cancelled from inside and its thread joined). Every
// libre object is created, used and destroyed on the loop thread only; other
// threads hand it work through Post (a locked queue plus a wake-up message
// through libre's mqueue) or Call (posted and waited for).
//
// Threads: Acquire, Post and Call from any thread; Call never from the loop
// thread's own tasks (it runs them inline there). Classes that belong to the
// loop thread assert it in debug builds with ORVIA_ASSERT_SIP_LOOP_THREAD().
#pragma once

#include <cassert>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct mqueue;

namespace orvia::sip {

// True on the SIP loop's thread, and on any thread while no loop runs (unit
// tests that drive a loop class directly).
bool IsSipLoopThread();

class SipLoop {
public:
    using Task = std::function<void()>;

    // The running loop, started when no one holds it; null when libre cannot
    // start.
    static std::shared_ptr<SipLoop> Acquire();

    ~SipLoop();
    SipLoop(const SipLoop&) = delete;
    SipLoop& operator=(const SipLoop&) = delete;

    // Runs a task on the loop thread after those posted before it.
    void Post(Task task);
    // Runs a task on the loop thread and waits for it to finish.
    void Call(const Task& task);
    bool IsLoopThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Work to run on the loop thread just before it stops (closing SIP stacks
    // that are still finishing their last transactions). Loop thread only.
    void AddShutdownHook(void* owner, Task hook);
    void RemoveShutdownHook(void* owner);

private:
    SipLoop() = default;
    bool Start();
    void Run();
    void RunQueued();
    static void OnWakeUp(int id, void* data, void* arg);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable started_;
    bool ready_ = false;
    bool failed_ = false;
    std::deque<Task> queue_;
    struct mqueue* wakeup_ = nullptr;
    std::deque<std::pair<void*, Task>> shutdownHooks_;
};

}  // namespace orvia::sip

#define ORVIA_ASSERT_SIP_LOOP_THREAD() assert(::orvia::sip::IsSipLoopThread())
