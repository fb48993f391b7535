// How the web view's request threads reach the application core: each piece
// of work is posted to the main-thread dispatcher and runs there with the
// application object (MainDialog), while the request thread waits for it a
// bounded time. Request threads never touch main-thread objects themselves.
//
// Work must capture by value: when the wait ends first (a busy main thread,
// the web view stopping), the work may still run later, or not at all.
//
// Threads: Call on any thread but the main thread; Stop on the main thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace orvia {

class Dispatcher;
class MainDialog;

inline constexpr int kMainThreadWaitMs = 5000;

class MainThreadCalls {
public:
    // dispatcher must outlive every call; app outlives the object or is
    // detached by Stop first.
    MainThreadCalls(Dispatcher& dispatcher, MainDialog& app);
    ~MainThreadCalls();
    MainThreadCalls(const MainThreadCalls&) = delete;
    MainThreadCalls& operator=(const MainThreadCalls&) = delete;

    // The work's result; nothing when it did not run in time or the object
    // is stopping.
    template <class R>
    std::optional<R> Call(std::function<R(MainDialog&)> work, int waitMs = kMainThreadWaitMs) {
        auto result = std::make_shared<std::optional<R>>();
        const bool done =
            Run([work = std::move(work), result](MainDialog& app) { *result = work(app); }, waitMs);
        if (!done)
            return std::nullopt;
        return std::move(*result);
    }

    // From now on no work runs and every waiting call returns at once.
    void Stop();

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        MainDialog* app = nullptr;  // null once stopping
    };

    // True when work ran; its writes are visible to the caller then.
    bool Run(std::function<void(MainDialog&)> work, int waitMs);

    Dispatcher& dispatcher_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace orvia
