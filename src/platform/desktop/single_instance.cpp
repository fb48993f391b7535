#include "platform/desktop/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/files/file_modes.h"
#include "platform/files/user_paths.h"
#include "platform/thread/thread.h"

namespace orvia {
namespace {

// How long the listener waits for one client to send its notice.
constexpr int kClientReadMs = 1000;
constexpr std::size_t kMaxNoticeBytes = 64;
// How long the listener tries to hand an answer to a client.
constexpr int kClientWriteMs = 2000;
// Largest answer a client takes.
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
constexpr std::string_view kQueryPrefix = "query ";

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

// Writes text to a client, giving up after kClientWriteMs (a client that
// does not read cannot hold the listener).
bool WriteWithBound(int fd, const std::string& text) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kClientWriteMs);
    std::size_t done = 0;
    while (done < text.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd pfd{fd, POLLOUT, 0};
        const int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        const ssize_t n =
            ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The same user, or root (who may end or signal any process anyway).
bool TrustedPeer(int fd) {
    ucred cred{};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 &&
           (cred.uid == ::geteuid() || cred.uid == 0);
}

std::string UserName(uid_t uid) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

// Reads into *text until a line end (when toLineEnd), maxBytes, the peer's
// close or the deadline, whichever comes first; true when the peer closed
// the connection.
bool ReadWithBound(int fd, std::chrono::steady_clock::time_point deadline, std::size_t maxBytes,
                   bool toLineEnd, std::string* text) {
    char buf[4096];
    while (text->size() < maxBytes && !(toLineEnd && text->find('\n') != std::string::npos)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd pfd{fd, POLLIN, 0};
        const int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        const ssize_t n = ::recv(fd, buf, std::min(sizeof buf, maxBytes - text->size()), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        text->append(buf, static_cast<std::size_t>(n));
    }
    return false;
}

// Reads one notice line from a client, within kClientReadMs.
std::string ReadNoticeText(int fd) {
    std::string text;
    ReadWithBound(fd, std::chrono::steady_clock::now() + std::chrono::milliseconds(kClientReadMs),
                  kMaxNoticeBytes, true, &text);
    return text;
}

}  // namespace

// Accepts connections on the listening socket and hands each notice to the
// handler, on its own thread.
class SingleInstance::Listener : public LThread {
public:
    Listener(int listenFd, NoticeHandler handler, QueryHandler queries)
        : listenFd_(listenFd),
          handler_(std::move(handler)),
          queries_(std::move(queries)),
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
            if (TrustedPeer(client))
                Serve(client);
            ::close(client);
        }
    }

private:
    void Serve(int client) {
        std::string text = ReadNoticeText(client);
        if (const auto notice = ParseInstanceNotice(text)) {
            if (handler_)
                handler_(*notice);
            return;
        }
        if (!queries_ || text.compare(0, kQueryPrefix.size(), kQueryPrefix) != 0 ||
            text.back() != '\n')
            return;
        text.pop_back();
        WriteWithBound(client, queries_(text.substr(kQueryPrefix.size())));
    }

    int listenFd_;
    NoticeHandler handler_;
    QueryHandler queries_;
    int wakeFd_;
};

std::string InstanceSocketName(const std::string& dataFolder) {
    char name[64];
    std::snprintf(name, sizeof name, "orvia-%016llx.sock",
                  static_cast<unsigned long long>(Fnv1a64(CanonicalFolder(dataFolder))));
    return name;
}

SingleInstance::SingleInstance(const std::string& dataFolder, const std::string& runtimeDir) {
    std::string data = dataFolder;
    if (!data.empty() && data.back() != '/')
        data.push_back('/');
    lockPath_ = data + kInstanceLockName;
    sockaddr_un address;
    if (const std::string inData = data + kInstanceSocketName; MakeAddress(inData, address))
        socketPaths_.push_back(inData);
    std::string folder = runtimeDir.empty() ? UserRuntimeDir() : runtimeDir;
    if (!folder.empty()) {
        if (folder.back() != '/')
            folder.push_back('/');
        if (const std::string inRuntime = folder + InstanceSocketName(dataFolder);
            MakeAddress(inRuntime, address))
            socketPaths_.push_back(inRuntime);
    }
    if (!socketPaths_.empty())
        socketPath_ = socketPaths_.front();
}

SingleInstance::~SingleInstance() {
    listener_.reset();  // stops the thread before its socket goes
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        // No process id is left behind for a later reader to take for ours.
        if (lockWritable_) {
            const int truncated = ::ftruncate(lockFd_, 0);
            (void)truncated;
        }
        ::close(lockFd_);  // releases the lock, after the socket is gone
    }
}

int SingleInstance::Listen() {
    for (const std::string& path : socketPaths_) {
        // The lock is ours, so a socket file still there was left by an
        // instance that ended without removing it. Nothing but a socket is
        // ever removed.
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            ::unlink(path.c_str());
        sockaddr_un address;
        MakeAddress(path, address);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            continue;
        }
        // Only the same user (and root, who passes any mode) may connect:
        // the listener takes notices from no one else.
        if (::chmod(path.c_str(), 0600) == 0 && ::listen(fd, 8) == 0) {
            socketPath_ = path;
            return fd;
        }
        ::close(fd);
        ::unlink(path.c_str());
    }
    return -1;
}

InstanceClaim SingleInstance::Claim(NoticeHandler handler, QueryHandler queries) {
    if (listener_)
        return InstanceClaim::First;
    problem_.clear();

    // Not private: every user who may start on this data folder must be able
    // to open it and find the lock held. A user who may not create or write
    // it can still take or test the lock on a read-only descriptor.
    bool writable = true;
    int lockFd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                        CreationMode(FileAccess::Shared));
    if (lockFd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        const int refused = errno;
        writable = false;
        lockFd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (lockFd < 0 && errno == ENOENT)
            errno = refused;
    }
    if (lockFd < 0) {
        problem_ = "cannot open " + lockPath_ + ": " + std::strerror(errno);
        return InstanceClaim::Failed;
    }
    struct stat st {};
    if (::fstat(lockFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem_ = lockPath_ + " is not a regular file";
        ::close(lockFd);
        return InstanceClaim::Failed;
    }
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        if (!held)
            problem_ = "cannot lock " + lockPath_ + ": " + std::strerror(errno);
        ::close(lockFd);
        return held ? InstanceClaim::AlreadyRunning : InstanceClaim::Failed;
    }

    // A socket that still answers belongs to an instance that listens without
    // the lock (one that predates it).
    for (const std::string& path : socketPaths_) {
        const int probe = ConnectTo(path);
        if (probe >= 0) {
            ::close(probe);
            ::close(lockFd);
            return InstanceClaim::AlreadyRunning;
        }
    }
    const int fd = Listen();
    if (fd < 0) {
        problem_ = socketPaths_.empty() ? "no folder can hold its socket"
                                        : "cannot listen on " + socketPaths_.front();
        ::close(lockFd);
        return InstanceClaim::Failed;
    }

    auto listener = std::make_unique<Listener>(fd, std::move(handler), std::move(queries));
    if (!listener->Usable() || !listener->Start()) {
        listener.reset();
        ::close(fd);
        ::unlink(socketPath_.c_str());
        ::close(lockFd);
        problem_ = "cannot start listening for notices";
        return InstanceClaim::Failed;
    }
    if (writable) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        writable = ::ftruncate(lockFd, 0) == 0 &&
                   ::pwrite(lockFd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
    }
    lockFd_ = lockFd;
    lockWritable_ = writable;
    listenFd_ = fd;
    listener_ = std::move(listener);
    return InstanceClaim::First;
}

bool SingleInstance::OtherInstanceHoldsLock() const {
    const int fd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the lock if this probe took it
    return held;
}

pid_t SingleInstance::LockHolderPid() const {
    const int fd = ::open(lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return 0;
    char text[24] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && pid < (1L << 30) ? static_cast<pid_t>(pid) : 0;
}

std::string SingleInstance::DescribeRunningInstance() const {
    const pid_t pid = LockHolderPid();
    struct stat st {};
    if (pid == 0 || ::stat(("/proc/" + std::to_string(pid)).c_str(), &st) != 0)
        return {};
    return "pid " + std::to_string(pid) + ", user " + UserName(st.st_uid);
}

NoticeDelivery SingleInstance::SendNotice(const InstanceNotice& notice, int waitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        bool refused = false;
        for (const std::string& path : socketPaths_) {
            const int fd = ConnectTo(path);
            if (fd >= 0) {
                const bool sent = WriteAll(fd, EncodeInstanceNotice(notice));
                ::close(fd);
                return sent ? NoticeDelivery::Delivered : NoticeDelivery::NoAnswer;
            }
            refused = refused || errno == EACCES || errno == EPERM;
        }
        // Not reached: worth waiting only while an instance holds the lock,
        // that is, while one is starting up; one whose socket this user may
        // not use will never answer.
        if (!OtherInstanceHoldsLock())
            return NoticeDelivery::NotRunning;
        if (refused)
            return NoticeDelivery::NoPermission;
        if (std::chrono::steady_clock::now() >= deadline) {
            const pid_t pid = LockHolderPid();
            struct stat st {};
            const bool otherUser = ::geteuid() != 0 && pid != 0 &&
                                   ::stat(("/proc/" + std::to_string(pid)).c_str(), &st) == 0 &&
                                   st.st_uid != ::geteuid();
            return otherUser ? NoticeDelivery::NoPermission : NoticeDelivery::NoAnswer;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool SingleInstance::Query(const std::string& request, std::string* answer, int waitMs) const {
    answer->clear();
    if (socketPath_.empty() || request.find('\n') != std::string::npos ||
        kQueryPrefix.size() + request.size() + 1 > kMaxNoticeBytes)
        return false;
    const int fd = ConnectTo(socketPath_);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, std::string(kQueryPrefix) + request + "\n");
    const bool ended =
        ok &&
        ReadWithBound(fd, std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs),
                      kMaxAnswerBytes, false, answer);
    ::close(fd);
    // Only a whole answer counts: one cut by the bound is no answer.
    return ok && ended && !answer->empty();
}

}  // namespace orvia
