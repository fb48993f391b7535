// PluginPipe: a plug-in process started for an OGM ("open" with
// "openplugin"), with its standard output on a pipe the engine reads once.
//
// The process is started without a shell from an argument vector, so no
// text in it is ever interpreted. Reading is bounded: it waits up to the
// bound for the first output (or the end of it), then takes what follows as
// long as it keeps coming, up to kPluginOutputMax bytes. A plug-in that
// neither writes nor ends within the bound gives nothing. Closing lets go of
// the process: it is never killed, and one still running is reaped when it
// ends, so no zombie is left.
//
// Main thread only, like its engine.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/process/process_child.h"

namespace orvia {

// Most bytes of output read from a plug-in.
inline constexpr std::size_t kPluginOutputMax = 255;
// Longest wait for a plug-in's output.
inline constexpr int kPluginReadBoundMs = 5000;
// Once output has begun, a pause this long ends it.
inline constexpr int kPluginOutputPauseMs = 50;

class PluginPipe {
public:
    // Closes a pipe left open, then starts args[0] with args. Anything but
    // Started leaves nothing open.
    ProcessStartResult Start(const std::vector<std::string>& args);
    bool IsOpen() const { return child_.IsStarted(); }
    // Reads the output as described above (waiting at most boundMs in all),
    // then closes the pipe. Empty when nothing came, nothing is open, or the
    // read failed before any output. *timedOut (when given) tells whether
    // the plug-in neither wrote nor ended within the bound.
    std::string ReadAndClose(int boundMs, bool* timedOut = nullptr);
    void Close() { child_.Close(); }

private:
    ChildProcess child_;
};

}  // namespace orvia
