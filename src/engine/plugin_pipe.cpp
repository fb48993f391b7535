#include "engine/plugin_pipe.h"

#include <algorithm>
#include <chrono>

namespace orvia {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

ProcessStartResult PluginPipe::Start(const std::vector<std::string>& args) {
    const ProcessStartResult result = child_.Start(args);
    if (result != ProcessStartResult::Started)
        child_.Close();
    return result;
}

std::string PluginPipe::ReadAndClose(int boundMs, bool* timedOut) {
    std::string data;
    if (timedOut != nullptr)
        *timedOut = false;
    if (!IsOpen())
        return data;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(boundMs, 0));
    // The first output (or its end) is waited for up to the bound; after that
    // only while more keeps arriving.
    ProcessOutput first = child_.ReadOutput(1, RemainingMs(deadline));
    data = std::move(first.data);
    OutputReadStatus status = first.status;
    if (timedOut != nullptr)
        *timedOut = status == OutputReadStatus::TimedOut && data.empty();
    while (status == OutputReadStatus::Full && data.size() < kPluginOutputMax) {
        const int wait = std::min(RemainingMs(deadline), kPluginOutputPauseMs);
        ProcessOutput more = child_.ReadOutput(kPluginOutputMax - data.size(), wait);
        const bool gotMore = !more.data.empty();
        data += more.data;
        status = more.status;
        if (status == OutputReadStatus::TimedOut && gotMore && RemainingMs(deadline) > 0)
            status = OutputReadStatus::Full;  // still arriving: look again
    }
    child_.Close();
    return data;
}

}  // namespace orvia
