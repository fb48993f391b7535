#include "platform/desktop/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/files/user_paths.h"
#include "platform/thread/thread.h"

namespace orvia {
namespace {

// How long the listener waits for one client to send its notice.
constexpr int kClientReadMs = 1000;
constexpr std::size_t kMaxNoticeBytes = 64;

std::uint64_t Fnv1a64(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string CanonicalFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(folder, error);
    if (error)
        path = folder;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    std::string text = error ? path.lexically_normal().string() : canonical.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A connected socket to path, or -1 with errno set.
int ConnectTo(const std::string& path) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int r;
    do {
        r = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SameUser(int fd) {
    ucred cred{};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::geteuid();
}

// Reads one notice line from a client, within kClientReadMs.
std::string ReadNoticeText(int fd) {
    std::string text;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kClientReadMs);
    char buf[kMaxNoticeBytes];
    while (text.size() < kMaxNoticeBytes && text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd pfd{fd, POLLIN, 0};
        const int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        const ssize_t n = ::recv(fd, buf, kMaxNoticeBytes - text.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

// Accepts connections on the listening socket and hands each notice to the
// handler, on its own thread.
class SingleInstance::Listener : public LThread {
public:
    Listener(int listenFd, NoticeHandler handler)
        : listenFd_(listenFd),
          handler_(std::move(handler)),
          wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Listener() override {
        StopListening();
        if (wakeFd_ >= 0)
            ::close(wakeFd_);
    }

    bool Usable() const { return wakeFd_ >= 0; }

    void StopListening() {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
        Stop();
    }

protected:
    void Run() override {
        while (!StopRequested()) {
            pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
            const int r = ::poll(fds, 2, -1);
            if (r < 0 && errno != EINTR)
                return;
            if (r <= 0 || (fds[1].revents & POLLIN))
                continue;  // the loop condition sees the stop request
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            if (SameUser(client)) {
                const auto notice = ParseInstanceNotice(ReadNoticeText(client));
                if (notice && handler_)
                    handler_(*notice);
            }
            ::close(client);
        }
    }

private:
    int listenFd_;
    NoticeHandler handler_;
    int wakeFd_;
};

std::string InstanceSocketName(const std::string& dataFolder) {
    char name[64];
    std::snprintf(name, sizeof name, "orvia-%016llx.sock",
                  static_cast<unsigned long long>(Fnv1a64(CanonicalFolder(dataFolder))));
    return name;
}

SingleInstance::SingleInstance(const std::string& dataFolder, const std::string& runtimeDir) {
    std::string folder = runtimeDir.empty() ? UserRuntimeDir() : runtimeDir;
    if (folder.empty())
        return;
    if (folder.back() != '/')
        folder.push_back('/');
    const std::string path = folder + InstanceSocketName(dataFolder);
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return;
    socketPath_ = path;
    lockPath_ = path + ".lock";
}

SingleInstance::~SingleInstance() {
    listener_.reset();  // stops the thread before its socket goes
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0)
        ::close(lockFd_);  // releases the lock, after the socket is gone
}

InstanceClaim SingleInstance::Claim(NoticeHandler handler) {
    if (listener_)
        return InstanceClaim::First;
    if (socketPath_.empty())
        return InstanceClaim::Failed;

    const int lockFd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0)
        return InstanceClaim::Failed;
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(lockFd);
        return held ? InstanceClaim::AlreadyRunning : InstanceClaim::Failed;
    }

    // The lock is ours, so a socket file still there was left by an instance
    // that ended without removing it. A connect tells a dead one (refused)
    // from one that listens without the lock (an instance that predates it).
    const int probe = ConnectTo(socketPath_);
    if (probe >= 0) {
        ::close(probe);
        ::close(lockFd);
        return InstanceClaim::AlreadyRunning;
    }
    ::unlink(socketPath_.c_str());

    sockaddr_un address;
    MakeAddress(socketPath_, address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        if (fd >= 0)
            ::close(fd);
        ::close(lockFd);
        return InstanceClaim::Failed;
    }

    auto listener = std::make_unique<Listener>(fd, std::move(handler));
    if (!listener->Usable() || !listener->Start()) {
        listener.reset();
        ::close(fd);
        ::unlink(socketPath_.c_str());
        ::close(lockFd);
        return InstanceClaim::Failed;
    }
    lockFd_ = lockFd;
    listenFd_ = fd;
    listener_ = std::move(listener);
    return InstanceClaim::First;
}

bool SingleInstance::OtherInstanceHoldsLock() const {
    const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the lock if this probe took it
    return held;
}

bool SingleInstance::Send(const InstanceNotice& notice, int waitMs) const {
    if (socketPath_.empty())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const int fd = ConnectTo(socketPath_);
        if (fd >= 0) {
            const bool sent = WriteAll(fd, EncodeInstanceNotice(notice));
            ::close(fd);
            return sent;
        }
        // Not listening (yet): worth waiting only while an instance holds
        // the lock, that is, while one is starting up.
        if (std::chrono::steady_clock::now() >= deadline || !OtherInstanceHoldsLock())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace orvia
