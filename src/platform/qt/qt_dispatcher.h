// The program's dispatcher over the Qt event loop (QtCore only).
//
// Create it on the main thread once the QCoreApplication (or QApplication)
// exists; it marks that thread as the main thread. Posted work and messages
// arrive as queued calls on the event loop, timers are single-shot QTimers.
// It must outlive every thread that posts to it; work still queued when it is
// destroyed is dropped (a thread waiting in Send is released).
//
// Threads: Post, PostMessage and Send from any thread; SetTimer, KillTimer and
// SetMessageHandler from the main thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <thread>

#include "platform/dispatch/dispatcher.h"

class QObject;
class QTimer;

namespace orvia {

class QtDispatcher : public Dispatcher {
public:
    QtDispatcher();
    ~QtDispatcher() override;

    void Post(Task task) override;
    void SetTimer(uint32_t id, uint32_t ms, Task callback) override;
    void KillTimer(uint32_t id) override;
    bool IsDispatchThread() const override;

private:
    struct Timer;
    void FireTimer(uint32_t id);

    const std::thread::id thread_;
    std::unique_ptr<QObject> receiver_;
    std::map<uint32_t, std::unique_ptr<Timer>> timers_;
};

}  // namespace orvia
