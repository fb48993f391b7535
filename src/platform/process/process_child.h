// A child process started without a shell, its standard output on a pipe.
//
// Plug-ins ("openplugin") and helper programs are started with posix_spawnp:
// the first argument is the program, looked up on PATH when it holds no "/"
// (execvp rules); the arguments reach the program exactly as given, never
// through a shell. The child gets:
//   - standard input from /dev/null;
//   - standard output on a pipe the parent reads (or /dev/null);
//   - standard error on /dev/null (the program has no console to show it);
//   - no other file descriptor of the parent (everything from 3 up is closed,
//     and the parent opens its own descriptors close-on-exec);
//   - default signal dispositions and an empty signal mask.
//
// Reading the output is bounded in time, so a child that neither writes nor
// ends cannot hold the caller. Close() (and the destructor) closes the pipe
// and, when the child has not ended, hands it to the ChildReaper, which waits
// for it once it ends: the child is never killed and never left a zombie.
// A child writing to the closed pipe gets SIGPIPE and ends.
//
// One ChildProcess belongs to one thread at a time; it holds no locks.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvia {

enum class ProcessStartResult {
    Started,
    EmptyCommand,   // no program named
    NotFound,       // no such program (on PATH)
    NotExecutable,  // found but may not be or cannot be run
    Failed,         // pipe, descriptor or process creation failed
};

// "no program is named", "no such program", "the program may not be run",
// "the process could not be created"; "started".
const char* DescribeProcessStartResult(ProcessStartResult result);

enum class OutputReadStatus {
    EndOfOutput,  // the child closed its output (usually: it ended)
    Full,         // maxBytes were read
    TimedOut,     // the bound passed first; what arrived so far is kept
    NoPipe,       // nothing to read from: not started or output not captured
    Failed,       // read error
};

struct ProcessOutput {
    std::string data;
    OutputReadStatus status = OutputReadStatus::NoPipe;
};

struct ChildOptions {
    bool captureOutput = true;  // standard output on a pipe, else /dev/null
    bool newSession = false;    // setsid(): not tied to the caller's terminal
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts args[0] with args as its argument vector. A process already held
    // is closed first (see Close).
    ProcessStartResult Start(const std::vector<std::string>& args, ChildOptions options = {});
    // The same for a command line split by SplitCommandLine.
    ProcessStartResult StartCommandLine(std::string_view commandLine, ChildOptions options = {});

    bool IsStarted() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // The read end of the output pipe (non-blocking), for waiting on it
    // together with other descriptors; -1 when there is none.
    int OutputFd() const { return readFd_; }

    // Reads the child's output until maxBytes bytes have arrived, the child
    // closes its output or timeoutMs pass (negative: no bound), whichever comes
    // first. Later calls go on where the previous one stopped.
    ProcessOutput ReadOutput(std::size_t maxBytes, int timeoutMs);

    // Waits up to timeoutMs (negative: no bound) for the child to end. True
    // when it has ended; *exitCode (when given) is then its exit status, 128 +
    // the signal number when a signal ended it, or -1 when the status was
    // collected elsewhere.
    bool WaitForExit(int timeoutMs, int* exitCode = nullptr);

    // Closes the output pipe and lets go of the child: one still running is
    // handed to the ChildReaper. The object is empty afterwards.
    void Close();

private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
    int readFd_ = -1;
    bool ended_ = false;
    bool endOfOutput_ = false;
    int exitCode_ = -1;
};

}  // namespace orvia
