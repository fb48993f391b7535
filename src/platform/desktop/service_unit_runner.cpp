#include "platform/desktop/service_unit_runner.h"

#include "platform/process/process_child.h"

namespace orvia {

bool ProcessSystemdRunner::Run(const std::vector<std::string>& command) {
    ChildProcess child;
    ChildOptions options;
    options.captureOutput = false;
    if (child.Start(command, options) != ProcessStartResult::Started)
        return false;
    int exitCode = -1;
    return child.WaitForExit(timeoutMs_, &exitCode) && exitCode == 0;
}

}  // namespace orvia
