// Running as a background service through a systemd unit.
//
// The settings sheet's "run as a service" check box registers the program as
// "orvia.service", started with "/service" and restarted when it fails: a
// user unit under <config home>/systemd/user/ for a normal user (it runs
// before logon only when the user's manager lingers), a system unit under
// /etc/systemd/system/ when run as root. Registration writes the unit, then
// "systemctl [--user] daemon-reload" and "enable"; removal "disable", removes
// the unit and reloads. The service is enabled, not started: the instance
// the user is running keeps answering until the next boot or logon.
//
// Any thread may call these; each call runs its commands to the end.
#pragma once

#include <string>

#include "platform/desktop/service_unit_runner.h"

namespace orvia {

struct ServicePaths {
    std::string unitFolder;   // ends in "/"
    std::string programPath;  // absolute path of the program
    bool userUnit = true;     // "systemctl --user" and WantedBy=default.target
};

// A system unit for root, else a user unit; the program to start
// (FindProgramToStart: the running program, or the installed one when this
// runs from a build folder).
ServicePaths DefaultServicePaths();

// The unit's text, or empty when the program path cannot be written into a
// unit (not absolute, or holding a line break or a "$").
std::string ServiceUnitText(const ServicePaths& paths);

class ServiceRegistration {
public:
    static constexpr const char* kUnitName = "orvia.service";

    // runner must outlive the registration.
    ServiceRegistration(ServicePaths paths, SystemdRunner& runner)
        : paths_(std::move(paths)), runner_(runner) {}

    // The unit file's full path; empty without a unit folder.
    std::string UnitPath() const;
    // True when the unit file exists.
    bool IsService() const;
    // On: nothing when the unit is there already; else writes it, reloads and
    // enables it; when that fails the unit is removed again (and systemd
    // reloaded), so a failed registration leaves nothing behind. Off:
    // disables and removes the unit and reloads, carrying on past a failed
    // step so the unit is gone whatever systemd says. True when every step
    // succeeded.
    bool SetService(bool on);

private:
    bool Systemctl(const char* verb, bool withUnit);

    ServicePaths paths_;
    SystemdRunner& runner_;
};

// The same for the running program, the real unit folder and systemctl.
// Registering from a build folder names the installed program; without one it
// fails and reports why.
bool IsService();
bool SetService(bool on);

}  // namespace orvia
