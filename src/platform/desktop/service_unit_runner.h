// Runs the systemctl commands of the service registration.
//
// Every command that talks to systemd goes through SystemdRunner, so the
// registration can be checked without systemd: tests record the commands.
#pragma once

#include <string>
#include <vector>

namespace orvia {

class SystemdRunner {
public:
    virtual ~SystemdRunner() = default;
    // Runs one command (program first, e.g. {"systemctl", "--user",
    // "daemon-reload"}); true when it ran and exited with status 0.
    virtual bool Run(const std::vector<std::string>& command) = 0;
};

// Starts the command as a child process (no shell, output discarded) and
// waits up to timeoutMs for it; a command still running then is left to the
// ChildReaper and counts as failed. Any thread may call it.
class ProcessSystemdRunner : public SystemdRunner {
public:
    explicit ProcessSystemdRunner(int timeoutMs = 30000) : timeoutMs_(timeoutMs) {}
    bool Run(const std::vector<std::string>& command) override;

private:
    int timeoutMs_;
};

}  // namespace orvia
