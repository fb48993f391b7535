// Start at logon and the background service as the General page sees them:
// query, register, unregister. The program uses the user's autostart entry
// and the systemd unit of the running program; tests give folders of their
// own and a recording systemctl.
//
// Main thread only.
#pragma once

#include "platform/desktop/autostart.h"
#include "platform/desktop/service_unit.h"

namespace orvia {

class StartupRegistration {
public:
    virtual ~StartupRegistration() = default;
    virtual bool IsRunAtLogon() = 0;
    // True on success.
    virtual bool SetRunAtLogon(bool on) = 0;
    virtual bool IsService() = 0;
    // True on success; false mostly means systemd refused (no rights).
    virtual bool SetService(bool on) = 0;
};

// Over an autostart entry and a service registration of the caller's.
class StartupFiles : public StartupRegistration {
public:
    StartupFiles(LogonAutostart autostart, ServiceRegistration service)
        : autostart_(std::move(autostart)), service_(std::move(service)) {}

    bool IsRunAtLogon() override { return autostart_.IsRunAtLogon(); }
    bool SetRunAtLogon(bool on) override { return autostart_.SetRunAtLogon(on); }
    bool IsService() override { return service_.IsService(); }
    bool SetService(bool on) override { return service_.SetService(on); }

private:
    LogonAutostart autostart_;
    ServiceRegistration service_;
};

// The running program's: the user's autostart folder, the systemd unit
// folder for this user (or the system's, for root) and systemctl.
StartupRegistration& SystemStartup();

}  // namespace orvia
