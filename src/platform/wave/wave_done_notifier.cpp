#include "platform/wave/wave_done_notifier.h"

#include <utility>

#include "platform/dispatch/dispatcher.h"

namespace orvia {

WaveDoneNotifier::WaveDoneNotifier(Dispatcher* dispatcher, WaveDoneCallback callback)
    : dispatcher_(dispatcher) {
    if (dispatcher_ && callback)
        shared_ = std::make_shared<Shared>(std::move(callback));
}

void WaveDoneNotifier::Notify(WaveBuffer* buffer) const {
    if (!shared_ || !shared_->open.load())
        return;
    dispatcher_->Post([shared = shared_, buffer] {
        if (shared->open.load())
            shared->callback(buffer);
    });
}

void WaveDoneNotifier::Close() {
    if (shared_)
        shared_->open.store(false);
}

}  // namespace orvia
