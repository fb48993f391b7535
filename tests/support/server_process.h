// A test server (a Python script run by /usr/bin/python3) on a free loopback
// port: started without a shell, waited for until it has written its port,
// and ended with the object.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace orvia::test {

class ServerProcess {
public:
    // Runs the script of tests/delivery with args; the script writes its port
    // to portFile. Null, with the reason (and the server's own output) in
    // *error, when it did not come up within a few seconds.
    static std::unique_ptr<ServerProcess> Start(const std::string& script,
                                                const std::vector<std::string>& args,
                                                const std::string& portFile,
                                                const std::string& logFile, std::string* error);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }

private:
    ServerProcess(pid_t pid, int port) : pid_(pid), port_(port) {}
    pid_t pid_;
    int port_;
};

// A loopback port on which nothing listens (bound, then closed at once).
int ClosedLoopbackPort();

}  // namespace orvia::test
