// What every network transfer of delivery shares: how it is stopped, how long
// it may take, and how its outcome is reported.
//
// Transfers run on the thread that calls them (the delivery thread, or the
// main thread for a manual e-mail) and block it; the stop check lets the
// delivery thread's stop event end a transfer in progress.
#pragma once

#include <functional>

namespace orvia {

class LSignalObject;

// True when the transfer should end now. Polled before a transfer starts and
// about once a second (or more often) while it runs. An empty check never stops.
using StopCheck = std::function<bool()>;

// A stop check over an event (a null event never stops).
StopCheck StopOnSignal(LSignalObject* signal);

struct TransferControl {
    StopCheck stop;
    // Longest wait for the server to accept the connection.
    int connectTimeoutMs = 30000;
    // Longest time one whole transfer (mail, upload, listing) may take.
    int totalTimeoutMs = 600000;
};

enum class TransferStatus {
    Ok,
    NotConfigured,  // no server is set up
    InvalidInput,   // an address, name or server text that cannot be used safely
    Unreachable,    // name lookup or connection failed
    LoginDenied,    // the server refused the user name or password
    Refused,        // the server refused a command (directory, file, recipient, TLS)
    TimedOut,
    Aborted,  // the stop check ended it
    Failed,   // anything else (local file, protocol error, out of memory)
};

// A short English description, for tests and diagnostics.
const char* DescribeTransferStatus(TransferStatus status);

// True when the stop check asks to stop.
inline bool StopNow(const StopCheck& stop) {
    return stop && stop();
}

}  // namespace orvia
