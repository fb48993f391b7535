#include "app/status/status_command.h"

#include <ostream>

#include "platform/desktop/single_instance.h"
#include "store/settings_store.h"

namespace orvia {

int StatusCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
            continue;
        }
        err << "usage: orvia status [--json]\n";
        return 2;
    }
    const std::string& folder = Store().DataFolder();
    SingleInstance instance(folder);
    std::string answer;
    if (instance.Query(json ? "status json" : "status text", &answer) &&
        answer.rfind("error: ", 0) != 0) {
        out << answer;
        return 0;
    }
    if (!instance.OtherInstanceRuns()) {
        err << "orvia status: Orvia is not running for the data in " << folder << "\n";
        return kStatusNotRunning;
    }
    err << "orvia status: Orvia runs for the data in " << folder << " but "
        << (answer.empty() ? std::string("gave no answer\n") : answer.substr(7));
    return 1;
}

}  // namespace orvia
