#include "web/main_thread_calls.h"

#include <chrono>

#include "platform/dispatch/dispatcher.h"

namespace orvia {

MainThreadCalls::MainThreadCalls(Dispatcher& dispatcher, MainDialog& app)
    : dispatcher_(dispatcher) {
    shared_->app = &app;
}

MainThreadCalls::~MainThreadCalls() {
    Stop();
}

void MainThreadCalls::Stop() {
    {
        const std::lock_guard<std::mutex> guard(shared_->mutex);
        shared_->app = nullptr;
    }
    shared_->changed.notify_all();
}

bool MainThreadCalls::Run(std::function<void(MainDialog&)> work, int waitMs) {
    struct State {
        bool done = false;
        bool abandoned = false;
    };
    auto state = std::make_shared<State>();
    {
        const std::lock_guard<std::mutex> guard(shared_->mutex);
        if (shared_->app == nullptr)
            return false;
    }
    dispatcher_.Post([shared = shared_, state, work = std::move(work)] {
        MainDialog* app = nullptr;
        {
            const std::lock_guard<std::mutex> guard(shared->mutex);
            if (shared->app == nullptr || state->abandoned)
                return;
            app = shared->app;
        }
        work(*app);
        {
            const std::lock_guard<std::mutex> guard(shared->mutex);
            state->done = true;
        }
        shared->changed.notify_all();
    });
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->changed.wait_for(lock, std::chrono::milliseconds(waitMs),
                              [&] { return state->done || shared_->app == nullptr; });
    if (!state->done)
        state->abandoned = true;
    return state->done;
}

}  // namespace orvia
