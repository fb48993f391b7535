#include "engine/plugin_pipe.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/dispatch/dispatcher.h"

namespace orvia {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

enum class Wake { Output, Cancel, Timeout };

// Waits up to ms for output (or its end) on outFd or a signal on cancelFd
// (-1: none).
Wake WaitForOutput(int outFd, int cancelFd, int ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pollfd fds[2] = {{outFd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
        const int n = ::poll(fds, cancelFd >= 0 ? 2 : 1, RemainingMs(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && cancelFd >= 0 && fds[1].revents != 0)
            return Wake::Cancel;
        return n > 0 ? Wake::Output : Wake::Timeout;
    }
}

// The bounded read; *cancelled when cancelFd was signalled first.
PluginOutput ReadBounded(ChildProcess& child, int boundMs, int cancelFd, bool* cancelled) {
    PluginOutput output;
    const int fd = child.OutputFd();
    if (fd < 0)
        return output;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(boundMs, 0));
    // The first output (or its end) is waited for up to the bound; after that
    // only while more keeps arriving.
    Wake wake = WaitForOutput(fd, cancelFd, RemainingMs(deadline));
    for (;;) {
        if (wake == Wake::Cancel) {
            *cancelled = true;
            return {};
        }
        if (wake == Wake::Timeout) {
            output.timedOut = output.data.empty();
            return output;
        }
        ProcessOutput more = child.ReadOutput(kPluginOutputMax - output.data.size(), 0);
        output.data += more.data;
        if (output.data.size() >= kPluginOutputMax || more.status != OutputReadStatus::TimedOut)
            return output;  // full, ended or failed
        const int wait = std::min(RemainingMs(deadline), kPluginOutputPauseMs);
        if (wait == 0)
            return output;
        wake = WaitForOutput(fd, cancelFd, wait);
    }
}

}  // namespace

// A read under way: its thread, the descriptor that ends it early, and the
// flag (main thread only) that keeps its output from being handed over.
struct PluginPipe::Reading {
    std::thread thread;
    int cancel = -1;
    std::shared_ptr<bool> dropped = std::make_shared<bool>(false);
};

PluginPipe::PluginPipe() = default;

PluginPipe::~PluginPipe() {
    Close();
}

ProcessStartResult PluginPipe::Start(const std::vector<std::string>& args) {
    Close();
    const ProcessStartResult result = child_.Start(args);
    if (result == ProcessStartResult::Started)
        return result;
    child_.Close();
    return result;
}

void PluginPipe::ReadInBackground(int boundMs, Dispatcher& dispatcher,
                                  std::function<void(const PluginOutput&)> done) {
    if (reading_ || !child_.IsStarted())
        return;
    auto reading = std::make_unique<Reading>();
    reading->cancel = ::eventfd(0, EFD_CLOEXEC);
    reading->thread =
        std::thread([child = std::move(child_), boundMs, cancel = reading->cancel, &dispatcher,
                     dropped = reading->dropped, done = std::move(done)]() mutable {
            bool cancelled = false;
            PluginOutput output = ReadBounded(child, boundMs, cancel, &cancelled);
            child.Close();
            if (cancelled)
                return;
            dispatcher.Post([dropped, done = std::move(done), output = std::move(output)] {
                if (!*dropped)
                    done(output);
            });
        });
    reading_ = std::move(reading);
}

PluginOutput PluginPipe::ReadAndClose(int boundMs) {
    bool cancelled = false;
    PluginOutput output;
    if (child_.IsStarted())
        output = ReadBounded(child_, boundMs, -1, &cancelled);
    Close();
    return output;
}

void PluginPipe::Close() {
    if (reading_) {
        *reading_->dropped = true;
        if (reading_->cancel >= 0) {
            const uint64_t one = 1;
            (void)!::write(reading_->cancel, &one, sizeof one);
        }
        reading_->thread.join();
        if (reading_->cancel >= 0)
            ::close(reading_->cancel);
        reading_.reset();
    }
    child_.Close();
}

}  // namespace orvia
