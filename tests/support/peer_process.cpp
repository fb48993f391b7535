#include "peer_process.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "temp_dir.h"

namespace orvia::sip::test {

PeerProcess::~PeerProcess() {
    Stop();
}

bool PeerProcess::Start(const std::vector<std::string>& args, const std::string& folder,
                        const std::string& logName) {
    logPath_ = folder + logName;
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0)
        return false;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(log, 1);
        ::dup2(log, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(log);
    return pid_ > 0;
}

std::optional<int> PeerProcess::Wait(int timeoutMs) {
    if (status_ || pid_ <= 0)
        return status_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int raw = 0;
        const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void PeerProcess::Stop() {
    if (pid_ <= 0 || status_)
        return;
    ::kill(-pid_, SIGTERM);
    if (!Wait(2000)) {
        ::kill(-pid_, SIGKILL);
        Wait(5000);
    }
}

std::string PeerProcess::Log() const {
    return orvia::test::ReadFile(logPath_);
}

bool LoopbackPortFree(int port, bool tcp) {
    const int fd = ::socket(AF_INET, (tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return free;
}

int FreePort(bool even) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        socklen_t len = sizeof(addr);
        int port = 0;
        if (::bind(udp, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            ::getsockname(udp, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port = ntohs(addr.sin_port);
        ::close(udp);
        if (port == 0 || (even && (port % 2 != 0 || port > 65000)))
            continue;
        // The TCP port (and for media the one two above) must be free too.
        if (LoopbackPortFree(port, true) && (!even || LoopbackPortFree(port + 2, true)))
            return port;
    }
    return 0;
}

}  // namespace orvia::sip::test
