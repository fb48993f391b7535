#include "app/check/check_command.h"

#include <ostream>

#include "app/check/config_check.h"
#include "app/startup/telephony_providers_p.h"
#include "platform/desktop/single_instance.h"
#include "platform/thread/thread_affinity.h"
#include "store/settings_store.h"

namespace orvia {

int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        err << "usage: orvia check\n";
        return 2;
    }
    MarkMainThread();
    RegisterTelephonyProviders();
    const std::string& folder = Store().DataFolder();
    CheckOptions options;
    // A running instance holds its listen addresses: probing them would only
    // find Orvia itself.
    options.probeListenAddresses = !SingleInstance(folder).OtherInstanceRuns();
    const std::vector<CheckFinding> findings = CheckConfiguration(options);
    int errors = 0;
    for (const CheckFinding& finding : findings) {
        out << FormatFinding(finding, folder) << "\n";
        errors += finding.severity == FindingSeverity::Error ? 1 : 0;
    }
    const int warnings = static_cast<int>(findings.size()) - errors;
    out << "orvia check: " << folder << ": " << errors << (errors == 1 ? " error, " : " errors, ")
        << warnings << (warnings == 1 ? " warning" : " warnings");
    if (!options.probeListenAddresses)
        out << " (Orvia is running: its listen addresses were not probed)";
    out << "\n";
    return errors > 0 ? 1 : 0;
}

}  // namespace orvia
