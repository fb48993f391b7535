#include "platform/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cassert>
#include <utility>

#include "platform/thread/thread_affinity.h"

namespace orvia {

// A timer keeps its QTimer for the dispatcher's life, so a callback may kill
// or re-arm its own timer while the QTimer is still emitting.
struct QtDispatcher::Timer {
    QTimer timer;
    Task callback;
};

QtDispatcher::QtDispatcher() : thread_(std::this_thread::get_id()), receiver_(new QObject) {
    assert(QCoreApplication::instance() != nullptr);
    MarkMainThread();
}

QtDispatcher::~QtDispatcher() {
    // Deleting the receiver drops its queued calls; the timers go first so no
    // callback fires during destruction.
    timers_.clear();
    receiver_.reset();
}

void QtDispatcher::Post(Task task) {
    if (!task)
        return;
    QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
}

void QtDispatcher::SetTimer(uint32_t id, uint32_t ms, Task callback) {
    ORVIA_ASSERT_MAIN_THREAD();
    auto& slot = timers_[id];
    if (!slot) {
        slot = std::make_unique<Timer>();
        slot->timer.setSingleShot(true);
        slot->timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&slot->timer, &QTimer::timeout, receiver_.get(),
                         [this, id] { FireTimer(id); });
    }
    slot->callback = std::move(callback);
    slot->timer.start(static_cast<int>(std::min<uint32_t>(ms, INT32_MAX)));
}

void QtDispatcher::KillTimer(uint32_t id) {
    ORVIA_ASSERT_MAIN_THREAD();
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->timer.stop();
    it->second->callback = nullptr;
}

bool QtDispatcher::IsDispatchThread() const {
    return std::this_thread::get_id() == thread_;
}

void QtDispatcher::FireTimer(uint32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    Task callback = std::move(it->second->callback);
    it->second->callback = nullptr;
    if (callback)
        callback();
}

}  // namespace orvia
