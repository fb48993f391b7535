// SIGTERM and SIGINT as the program's exit request.
//
// systemd stops the service with SIGTERM and a terminal sends SIGINT on
// Ctrl+C; both must end the program through the same clean path as the menu's
// Exit (lines closed, delivery stopped, "Orvia Exit" logged), which runs on
// the main thread. A signal handler can do almost nothing safely, so the
// signals are blocked in every thread and received instead by a watcher
// thread through a signalfd; the watcher calls back, and the callback posts
// the exit request to the main thread.
//
// BlockExitSignals must run on the main thread before any other thread is
// created (new threads inherit the mask, and a thread that has the signals
// unblocked would receive them with the default action: death).
#pragma once

#include <functional>
#include <thread>

namespace orvia {

// Blocks SIGTERM and SIGINT in the calling thread; false when that failed.
bool BlockExitSignals();

class ExitSignalWatcher {
public:
    // onSignal runs on the watcher's thread with the signal's number, once
    // for each signal received (repeated signals may be merged by the kernel).
    explicit ExitSignalWatcher(std::function<void(int signal)> onSignal);
    // Stops and joins the watcher thread.
    ~ExitSignalWatcher();
    ExitSignalWatcher(const ExitSignalWatcher&) = delete;
    ExitSignalWatcher& operator=(const ExitSignalWatcher&) = delete;

    // False when the signalfd or the thread could not be made.
    bool IsWatching() const { return thread_.joinable(); }

private:
    void Watch();

    std::function<void(int)> onSignal_;
    int signalFd_ = -1;
    int stopFd_ = -1;  // an eventfd that ends the watch
    std::thread thread_;
};

}  // namespace orvia
