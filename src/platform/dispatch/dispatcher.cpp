#include "platform/dispatch/dispatcher.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <utility>

namespace orvia {
namespace {

std::atomic<Dispatcher*> g_current{nullptr};

// What a thread waiting in Send shares with the posted call.
struct SendState {
    std::mutex mutex;
    std::condition_variable cond;
    bool finished = false;
    bool ran = false;

    void Finish(bool didRun) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            finished = true;
            ran = didRun;
        }
        cond.notify_all();
    }
};

// The posted form of a sent call. When the dispatcher drops it unrun (it is
// being destroyed), the destructor releases the waiting thread.
class SendCall {
public:
    SendCall(Dispatcher::Task task, std::shared_ptr<SendState> state)
        : task_(std::make_shared<Dispatcher::Task>(std::move(task))),
          state_(std::move(state)),
          guard_(std::make_shared<Guard>(state_)) {}

    void operator()() const {
        if (guard_->done)
            return;
        guard_->done = true;
        (*task_)();
        state_->Finish(true);
    }

private:
    struct Guard {
        explicit Guard(std::shared_ptr<SendState> s) : state(std::move(s)) {}
        ~Guard() {
            if (!done)
                state->Finish(false);
        }
        std::shared_ptr<SendState> state;
        bool done = false;
    };

    std::shared_ptr<Dispatcher::Task> task_;
    std::shared_ptr<SendState> state_;
    std::shared_ptr<Guard> guard_;
};

}  // namespace

bool Dispatcher::Send(Task task) {
    if (!task)
        return false;
    if (IsDispatchThread()) {
        task();
        return true;
    }
    auto state = std::make_shared<SendState>();
    Post(SendCall(std::move(task), state));
    std::unique_lock<std::mutex> lock(state->mutex);
    state->cond.wait(lock, [&] { return state->finished; });
    return state->ran;
}

void Dispatcher::PostMessage(uint32_t id, int64_t wParam, int64_t lParam) {
    Post([this, id, wParam, lParam] { DeliverMessage(id, wParam, lParam); });
}

void Dispatcher::SetMessageHandler(uint32_t id, MessageHandler handler) {
    std::lock_guard<std::mutex> guard(handlersMutex_);
    if (handler)
        handlers_[id] = std::move(handler);
    else
        handlers_.erase(id);
}

void Dispatcher::DeliverMessage(uint32_t id, int64_t wParam, int64_t lParam) {
    MessageHandler handler;
    {
        std::lock_guard<std::mutex> guard(handlersMutex_);
        auto it = handlers_.find(id);
        if (it == handlers_.end())
            return;
        handler = it->second;  // a copy: the handler may replace itself
    }
    handler(id, wParam, lParam);
}

Dispatcher* CurrentDispatcher() {
    return g_current.load();
}

void SetCurrentDispatcher(Dispatcher* dispatcher) {
    g_current.store(dispatcher);
}

ScopedCurrentDispatcher::ScopedCurrentDispatcher(Dispatcher* dispatcher)
    : previous_(g_current.exchange(dispatcher)) {}

ScopedCurrentDispatcher::~ScopedCurrentDispatcher() {
    g_current.store(previous_);
}

}  // namespace orvia
