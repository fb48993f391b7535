#include "platform/wave/wave_done_notifier.h"

#include <utility>

#include "platform/dispatch/dispatcher.h"

namespace orvia {
namespace {

thread_local WaveDoneBatch* t_batch = nullptr;

}  // namespace

WaveDoneBatch::WaveDoneBatch() : outer_(t_batch) {
    if (!outer_)
        t_batch = this;
}

WaveDoneBatch::~WaveDoneBatch() {
    if (outer_)
        return;
    t_batch = nullptr;
    // One task per dispatcher, each running its notifications in order.
    while (!held_.empty()) {
        Dispatcher* dispatcher = held_.front().first;
        std::vector<std::function<void()>> tasks;
        auto rest = held_.begin();
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            if (it->first == dispatcher)
                tasks.push_back(std::move(it->second));
            else
                *rest++ = std::move(*it);
        }
        held_.erase(rest, held_.end());
        dispatcher->Post([tasks = std::move(tasks)] {
            for (const auto& task : tasks)
                task();
        });
    }
}

WaveDoneBatch* WaveDoneBatch::Current() {
    return t_batch;
}

WaveDoneNotifier::WaveDoneNotifier(Dispatcher* dispatcher, WaveDoneCallback callback)
    : dispatcher_(dispatcher) {
    if (dispatcher_ && callback)
        shared_ = std::make_shared<Shared>(std::move(callback));
}

void WaveDoneNotifier::Notify(WaveBuffer* buffer) const {
    if (!shared_ || !shared_->open.load())
        return;
    auto task = [shared = shared_, buffer] {
        if (shared->open.load())
            shared->callback(buffer);
    };
    if (WaveDoneBatch* batch = WaveDoneBatch::Current())
        batch->held_.emplace_back(dispatcher_, std::move(task));
    else
        dispatcher_->Post(std::move(task));
}

void WaveDoneNotifier::Close() {
    if (shared_)
        shared_->open.store(false);
}

}  // namespace orvia
