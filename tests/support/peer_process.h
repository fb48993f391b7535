// A SIP peer program (sipp, baresip) run by a test: started in a folder of
// its own with its output in a log file there, waited for with a bound, and
// ended (SIGTERM, then SIGKILL) when the test is done with it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace orvia::sip::test {

class PeerProcess {
public:
    PeerProcess() = default;
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Runs args[0] (looked up on PATH) in folder, output to folder + logName.
    bool Start(const std::vector<std::string>& args, const std::string& folder,
               const std::string& logName);
    // The exit status once the program has ended, waiting up to timeoutMs;
    // -1 for a program ended by a signal; empty while it still runs.
    std::optional<int> Wait(int timeoutMs);
    void Stop();
    std::string Log() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string logPath_;
};

// A loopback port that was free a moment ago (UDP and TCP), even when even.
int FreePort(bool even = false);
// Whether nothing holds the loopback port for UDP (tcp false) or TCP now.
bool LoopbackPortFree(int port, bool tcp);

}  // namespace orvia::sip::test
