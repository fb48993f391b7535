#include "platform/process/process_desktop.h"

#include "platform/process/process_child.h"

namespace orvia {
namespace {

// A name beginning with "-" would be read by the helper as an option; as
// "./-name" it stays the same relative path.
std::string NotAnOption(const std::string& operand) {
    if (!operand.empty() && operand[0] == '-')
        return "./" + operand;
    return operand;
}

}  // namespace

bool StartDetached(const std::vector<std::string>& args) {
    ChildProcess child;
    ChildOptions options;
    options.captureOutput = false;
    options.newSession = true;
    if (child.Start(args, options) != ProcessStartResult::Started)
        return false;
    child.Close();  // the reaper collects it when it ends
    return true;
}

bool OpenWithDesktop(const std::string& pathOrUrl) {
    if (pathOrUrl.empty())
        return false;
    return StartDetached({"xdg-open", NotAnOption(pathOrUrl)});
}

bool PrintWithDesktop(const std::string& path) {
    if (path.empty())
        return false;
    return StartDetached({"lp", NotAnOption(path)});
}

}  // namespace orvia
