// PluginPipe: a plug-in process started for an OGM ("open" with
// "openplugin"), with its standard output on a pipe the engine reads once.
//
// The process is started without a shell from an argument vector, so no
// text in it is ever interpreted. Reading is bounded: it waits up to the
// bound for the first output (or the end of it), then takes what follows as
// long as it keeps coming, up to kPluginOutputMax bytes. A plug-in that
// neither writes nor ends within the bound gives nothing. The read runs on a
// thread of its own and the output is handed back on the dispatcher's thread,
// so a plug-in that hangs never holds the main thread (and with it every
// line). Closing lets go of the process: it is never killed, and one still
// running is reaped when it ends, so no zombie is left.
//
// Main thread only, like its engine (the reading thread is its own).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/process/process_child.h"

namespace orvia {

class Dispatcher;

// Most bytes of output read from a plug-in.
inline constexpr std::size_t kPluginOutputMax = 255;
// Longest wait for a plug-in's output.
inline constexpr int kPluginReadBoundMs = 5000;
// Once output has begun, a pause this long ends it.
inline constexpr int kPluginOutputPauseMs = 50;

struct PluginOutput {
    std::string data;
    // Nothing came, and the plug-in had not ended when the bound passed.
    bool timedOut = false;
};

class PluginPipe {
public:
    PluginPipe();
    ~PluginPipe();
    PluginPipe(const PluginPipe&) = delete;
    PluginPipe& operator=(const PluginPipe&) = delete;

    // Closes a pipe left open, then starts args[0] with args. Anything but
    // Started leaves nothing open.
    ProcessStartResult Start(const std::vector<std::string>& args);
    // Started and neither read nor closed yet (a read under way counts).
    bool IsOpen() const { return child_.IsStarted() || reading_ != nullptr; }

    // Reads the output as described above (waiting at most boundMs in all)
    // on a thread of its own and hands it to done on the dispatcher's
    // thread; nothing is handed over when the pipe is closed first. done
    // should close the pipe.
    void ReadInBackground(int boundMs, Dispatcher& dispatcher,
                          std::function<void(const PluginOutput&)> done);
    // The same read on the caller's thread, then closes the pipe.
    PluginOutput ReadAndClose(int boundMs);
    // Lets go of the process, ending a read under way at once.
    void Close();

private:
    struct Reading;
    ChildProcess child_;
    std::unique_ptr<Reading> reading_;
};

}  // namespace orvia
