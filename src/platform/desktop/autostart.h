// Start at logon through an XDG autostart entry.
//
// The desktop session starts every entry in $XDG_CONFIG_HOME/autostart/ at
// logon; Orvia's is "orvia.desktop", which runs the program with "/logon" so
// that it starts hidden with only its tray icon. The settings sheet's "run at
// logon" check box reads and sets it. Any thread may call these; they touch
// only the entry file.
#pragma once

#include <string>

namespace orvia {

struct AutostartPaths {
    std::string configHome;   // ends in "/"; the entry goes to <configHome>autostart/
    std::string programPath;  // absolute path of the program
};

// UserConfigHome() and the program to start (FindProgramToStart: the running
// program, or the installed one when this runs from a build folder).
AutostartPaths DefaultAutostartPaths();

// The entry's text for a program, or empty when the path cannot be written
// into an entry (not absolute, or holding a line break).
std::string AutostartEntryText(const std::string& programPath);

class LogonAutostart {
public:
    explicit LogonAutostart(AutostartPaths paths) : paths_(std::move(paths)) {}

    // The entry's full path; empty without a config home.
    std::string EntryPath() const;
    // True when the entry exists.
    bool IsRunAtLogon() const;
    // On writes (replaces) the entry, off removes it. True on success,
    // including removing an entry that is not there.
    bool SetRunAtLogon(bool on);

private:
    AutostartPaths paths_;
};

// The same for the running program and the real user folders. Setting it
// from a build folder names the installed program; without one it fails and
// reports why.
bool IsRunAtLogon();
bool SetRunAtLogon(bool on);

}  // namespace orvia
