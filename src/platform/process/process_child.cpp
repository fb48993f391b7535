#include "platform/process/process_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/process/process_command_line.h"
#include "platform/process/process_reaper.h"

extern char** environ;

namespace orvia {

const char* DescribeProcessStartResult(ProcessStartResult result) {
    switch (result) {
        case ProcessStartResult::Started:
            return "started";
        case ProcessStartResult::EmptyCommand:
            return "no program is named";
        case ProcessStartResult::NotFound:
            return "no such program";
        case ProcessStartResult::NotExecutable:
            return "the program may not be run";
        case ProcessStartResult::Failed:
            break;
    }
    return "the process could not be created";
}

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline; -1 for no deadline, 0 once passed.
int RemainingMs(bool bounded, Clock::time_point deadline) {
    if (!bounded)
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return static_cast<int>(std::min<long long>(left, 1 << 30));
}

ProcessStartResult ResultOfSpawnError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ProcessStartResult::NotFound;
        case EACCES:
        case EPERM:
        case ENOEXEC:
        case EISDIR:
        case ETXTBSY:
            return ProcessStartResult::NotExecutable;
        default:
            return ProcessStartResult::Failed;
    }
}

// Owns the posix_spawn attribute objects for one start.
class SpawnSetup {
public:
    SpawnSetup() {
        okActions_ = posix_spawn_file_actions_init(&actions_) == 0;
        okAttr_ = posix_spawnattr_init(&attr_) == 0;
    }
    ~SpawnSetup() {
        if (okActions_)
            posix_spawn_file_actions_destroy(&actions_);
        if (okAttr_)
            posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Descriptors 0 to 2 as described in the header; outFd the pipe's write
    // end or -1 for /dev/null.
    bool Prepare(int outFd, bool newSession) {
        if (!okActions_ || !okAttr_)
            return false;
        bool ok = posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0;
        if (outFd >= 0)
            ok = ok && posix_spawn_file_actions_adddup2(&actions_, outFd, 1) == 0;
        else
            ok =
                ok && posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0) == 0;
        ok = ok && posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0) == 0;
        ok = ok && posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;

        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (newSession)
            flags |= POSIX_SPAWN_SETSID;
        ok = ok && posix_spawnattr_setsigmask(&attr_, &none) == 0;
        ok = ok && posix_spawnattr_setsigdefault(&attr_, &all) == 0;
        ok = ok && posix_spawnattr_setflags(&attr_, flags) == 0;
        return ok;
    }

    const posix_spawn_file_actions_t* Actions() const { return &actions_; }
    const posix_spawnattr_t* Attr() const { return &attr_; }

private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attr_{};
    bool okActions_ = false;
    bool okAttr_ = false;
};

// A pidfd for a child (close-on-exec), or -1 on kernels without them. Called
// through syscall() because glibc's own wrapper is not declared for C++ in
// every version.
int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::~ChildProcess() {
    Close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::exchange(other.pidfd_, -1)),
      readFd_(std::exchange(other.readFd_, -1)),
      ended_(std::exchange(other.ended_, false)),
      endOfOutput_(std::exchange(other.endOfOutput_, false)),
      exitCode_(std::exchange(other.exitCode_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Close();
        pid_ = std::exchange(other.pid_, -1);
        pidfd_ = std::exchange(other.pidfd_, -1);
        readFd_ = std::exchange(other.readFd_, -1);
        ended_ = std::exchange(other.ended_, false);
        endOfOutput_ = std::exchange(other.endOfOutput_, false);
        exitCode_ = std::exchange(other.exitCode_, -1);
    }
    return *this;
}

ProcessStartResult ChildProcess::StartCommandLine(std::string_view commandLine,
                                                  ChildOptions options) {
    return Start(SplitCommandLine(commandLine), options);
}

ProcessStartResult ChildProcess::Start(const std::vector<std::string>& args, ChildOptions options) {
    Close();
    if (args.empty() || args[0].empty())
        return ProcessStartResult::EmptyCommand;

    int pipeFds[2] = {-1, -1};
    if (options.captureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return ProcessStartResult::Failed;

    SpawnSetup setup;
    if (!setup.Prepare(pipeFds[1], options.newSession)) {
        CloseFd(pipeFds[0]);
        CloseFd(pipeFds[1]);
        return ProcessStartResult::Failed;
    }

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    // glibc's posix_spawnp reports a failed exec (not found, not executable)
    // as its result, so no error pipe is needed.
    const int error =
        ::posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attr(), argv.data(), environ);
    CloseFd(pipeFds[1]);
    if (error != 0) {
        CloseFd(pipeFds[0]);
        return ResultOfSpawnError(error);
    }

    pid_ = pid;
    pidfd_ = OpenPidFd(pid);
    readFd_ = pipeFds[0];
    if (readFd_ >= 0)
        ::fcntl(readFd_, F_SETFL, ::fcntl(readFd_, F_GETFL) | O_NONBLOCK);
    return ProcessStartResult::Started;
}

ProcessOutput ChildProcess::ReadOutput(std::size_t maxBytes, int timeoutMs) {
    ProcessOutput out;
    if (readFd_ < 0)
        return out;  // NoPipe
    if (endOfOutput_) {
        out.status = OutputReadStatus::EndOfOutput;
        return out;
    }
    const bool bounded = timeoutMs >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[4096];
    out.status = OutputReadStatus::Full;
    while (out.data.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buf, maxBytes - out.data.size());
        const ssize_t n = ::read(readFd_, buf, want);
        if (n > 0) {
            out.data.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            endOfOutput_ = true;
            out.status = OutputReadStatus::EndOfOutput;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            out.status = OutputReadStatus::Failed;
            break;
        }
        const int wait = RemainingMs(bounded, deadline);
        if (wait == 0) {
            out.status = OutputReadStatus::TimedOut;
            break;
        }
        pollfd pfd{readFd_, POLLIN, 0};
        const int r = ::poll(&pfd, 1, wait);
        if (r < 0 && errno != EINTR) {
            out.status = OutputReadStatus::Failed;
            break;
        }
        // r == 0: the next round's read finds nothing and the deadline has
        // passed; r > 0: data or end of output is ready.
    }
    return out;
}

bool ChildProcess::WaitForExit(int timeoutMs, int* exitCode) {
    if (pid_ <= 0)
        return false;
    const bool bounded = timeoutMs >= 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ended_) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            ended_ = true;
            exitCode_ = ExitCodeOf(status);
            break;
        }
        if (r < 0 && errno == ECHILD) {
            ended_ = true;
            exitCode_ = -1;
            break;
        }
        if (r < 0 && errno == EINTR)
            continue;
        const int wait = RemainingMs(bounded, deadline);
        if (wait == 0)
            return false;
        if (pidfd_ >= 0) {
            pollfd pfd{pidfd_, POLLIN, 0};
            ::poll(&pfd, 1, wait);
        } else {
            const int step = wait < 0 ? 10 : std::min(wait, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(step));
        }
    }
    if (exitCode)
        *exitCode = exitCode_;
    return true;
}

void ChildProcess::Close() {
    CloseFd(readFd_);
    if (pid_ > 0 && !ended_ && !WaitForExit(0)) {
        ChildReaper::Instance().Adopt(pid_, pidfd_);
        pidfd_ = -1;
    }
    CloseFd(pidfd_);
    pid_ = -1;
    ended_ = false;
    endOfOutput_ = false;
    exitCode_ = -1;
}

}  // namespace orvia
