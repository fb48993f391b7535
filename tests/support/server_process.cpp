#include "server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "temp_dir.h"

extern char** environ;

namespace orvia::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kStopLimit = std::chrono::seconds(5);

// Waits up to limit for the child to end; true when it has been reaped.
bool WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || done < 0)
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void EndChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    if (!WaitForExit(pid, std::chrono::duration_cast<std::chrono::milliseconds>(kStopLimit))) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

}  // namespace

std::unique_ptr<ServerProcess> ServerProcess::Start(const std::string& script,
                                                    const std::vector<std::string>& args,
                                                    const std::string& portFile,
                                                    const std::string& logFile,
                                                    std::string* error) {
    if (::access(kPython, X_OK) != 0) {
        *error = std::string(kPython) + " is missing: install python3 (scripts/install-deps)";
        return nullptr;
    }
    const std::string scriptPath = std::string(ORVIA_TEST_SERVERS_DIR) + "/" + script;
    std::vector<std::string> argv = {kPython, "-u", scriptPath};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& arg : argv)
        cargv.push_back(arg.data());
    cargv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, kPython, &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        *error = "cannot start " + scriptPath;
        return nullptr;
    }

    const auto end = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < end) {
        const std::string port = ReadFile(portFile);
        if (!port.empty())
            return std::unique_ptr<ServerProcess>(new ServerProcess(pid, std::stoi(port)));
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            *error = script + " ended before listening: " + ReadFile(logFile);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EndChild(pid);
    *error = script + " did not start listening in time: " + ReadFile(logFile);
    return nullptr;
}

ServerProcess::~ServerProcess() {
    EndChild(pid_);
}

int ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

}  // namespace orvia::test
