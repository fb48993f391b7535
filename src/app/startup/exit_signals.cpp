#include "app/startup/exit_signals_p.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace orvia {
namespace {

sigset_t ExitSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

bool BlockExitSignals() {
    const sigset_t set = ExitSignalSet();
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

ExitSignalWatcher::ExitSignalWatcher(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    const sigset_t set = ExitSignalSet();
    signalFd_ = ::signalfd(-1, &set, SFD_CLOEXEC);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (signalFd_ < 0 || stopFd_ < 0)
        return;
    try {
        thread_ = std::thread([this] { Watch(); });
    } catch (...) {
        // No thread: IsWatching() reports it.
    }
}

ExitSignalWatcher::~ExitSignalWatcher() {
    if (thread_.joinable()) {
        const uint64_t one = 1;
        while (::write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    if (signalFd_ >= 0)
        ::close(signalFd_);
    if (stopFd_ >= 0)
        ::close(stopFd_);
}

void ExitSignalWatcher::Watch() {
    for (;;) {
        pollfd fds[2] = {{signalFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        signalfd_siginfo info{};
        const ssize_t n = ::read(signalFd_, &info, sizeof info);
        if (n == static_cast<ssize_t>(sizeof info) && onSignal_)
            onSignal_(static_cast<int>(info.ssi_signo));
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

}  // namespace orvia
