#include "ui/settings/startup_registration.h"

#include "platform/desktop/service_unit_runner.h"

namespace orvia {

StartupRegistration& SystemStartup() {
    static ProcessSystemdRunner runner;
    static StartupFiles files(LogonAutostart(DefaultAutostartPaths()),
                              ServiceRegistration(DefaultServicePaths(), runner));
    return files;
}

}  // namespace orvia
