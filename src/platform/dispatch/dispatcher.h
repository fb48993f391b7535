// The main-thread dispatcher: how every other thread reaches the main thread.
//
// The system runs its engines, lines, telephony callbacks and the players' and
// recorders' notifications on one main thread. Other threads never call into
// those objects; they post work to the dispatcher, which runs it on the main
// thread in the order it was posted. Numbered messages play the part of window
// messages: a message id with two parameters, delivered to the handler
// registered for that id.
//
// Threads: Post, PostMessage and Send may be called from any thread;
// SetTimer, KillTimer and SetMessageHandler belong to the dispatcher's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace orvia {

class Dispatcher {
public:
    using Task = std::function<void()>;
    using MessageHandler = std::function<void(uint32_t id, int64_t wParam, int64_t lParam)>;

    virtual ~Dispatcher() = default;
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // Queues a call to run on the dispatcher's thread after the work queued
    // before it. Any thread.
    virtual void Post(Task task) = 0;

    // Runs a call on the dispatcher's thread and waits for it: at once when the
    // caller is that thread, else posted and waited for. False when the call
    // could not run because the dispatcher went away first.
    bool Send(Task task);

    // Queues a numbered message for the handler registered for its id. A
    // message whose id has no handler when it is delivered is dropped.
    void PostMessage(uint32_t id, int64_t wParam = 0, int64_t lParam = 0);
    // Registers (or, with an empty handler, removes) the handler of a message id.
    void SetMessageHandler(uint32_t id, MessageHandler handler);

    // One-shot timer: runs the callback once, ms milliseconds from now, on the
    // dispatcher's thread. Setting an id that is already set re-arms it with
    // the new time and callback.
    virtual void SetTimer(uint32_t id, uint32_t ms, Task callback) = 0;
    // Cancels a timer; nothing happens when it is not set.
    virtual void KillTimer(uint32_t id) = 0;

    // True on the thread that runs the dispatcher's work.
    virtual bool IsDispatchThread() const = 0;

protected:
    Dispatcher() = default;

private:
    void DeliverMessage(uint32_t id, int64_t wParam, int64_t lParam);

    std::mutex handlersMutex_;
    std::map<uint32_t, MessageHandler> handlers_;
};

// The process's dispatcher: set once at start-up by the program (tests install
// their own). Null until set.
Dispatcher* CurrentDispatcher();
void SetCurrentDispatcher(Dispatcher* dispatcher);

// Installs a dispatcher as the current one for a scope, restoring the previous.
class ScopedCurrentDispatcher {
public:
    explicit ScopedCurrentDispatcher(Dispatcher* dispatcher);
    ~ScopedCurrentDispatcher();
    ScopedCurrentDispatcher(const ScopedCurrentDispatcher&) = delete;
    ScopedCurrentDispatcher& operator=(const ScopedCurrentDispatcher&) = delete;

private:
    Dispatcher* previous_;
};

}  // namespace orvia
