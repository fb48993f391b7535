#include "platform/process/process_reaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace orvia {

ChildReaper& ChildReaper::Instance() {
    // Deliberately never destroyed: see the header.
    static ChildReaper* reaper = new ChildReaper;
    return *reaper;
}

ChildReaper::ChildReaper() {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void ChildReaper::Adopt(pid_t pid, int pidfd) {
    if (pid <= 0) {
        if (pidfd >= 0)
            ::close(pidfd);
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    children_.push_back({pid, pidfd});
    if (running_) {
        if (wakeFd_ >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
        }
        return;
    }
    // A previous thread has set running_ to false and is ending (or has
    // ended) without touching the lock again, so joining here is brief.
    if (thread_.joinable())
        thread_.join();
    try {
        thread_ = std::thread([this] { Loop(); });
        running_ = true;
    } catch (const std::system_error&) {
        // No thread now: the child waits in the list for the next Adopt.
    }
}

std::size_t ChildReaper::PendingCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return children_.size();
}

bool ChildReaper::ReapEnded() {
    for (auto it = children_.begin(); it != children_.end();) {
        const pid_t r = ::waitpid(it->pid, nullptr, WNOHANG);
        // ECHILD: someone else collected it (or SIGCHLD is ignored); either
        // way nothing is left to wait for.
        if (r == it->pid || (r < 0 && errno == ECHILD)) {
            if (it->pidfd >= 0)
                ::close(it->pidfd);
            it = children_.erase(it);
        } else {
            ++it;
        }
    }
    return children_.empty();
}

void ChildReaper::Loop() {
    for (;;) {
        std::vector<pollfd> fds;
        bool tick = wakeFd_ < 0;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (ReapEnded()) {
                running_ = false;
                return;
            }
            if (wakeFd_ >= 0)
                fds.push_back({wakeFd_, POLLIN, 0});
            for (const Child& child : children_) {
                if (child.pidfd >= 0)
                    fds.push_back({child.pidfd, POLLIN, 0});
                else
                    tick = true;
            }
        }
        ::poll(fds.data(), fds.size(), tick ? 100 : -1);
        if (wakeFd_ >= 0) {
            std::uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &count, sizeof count);
        }
    }
}

}  // namespace orvia
