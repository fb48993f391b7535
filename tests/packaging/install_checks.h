// What an installed Orvia holds and does wherever its tree lies: checked on
// this build installed into a test's folder (install_layout_test.cpp) and on
// the Debian package unpacked into one (package_test.cpp).
#pragma once

#include <string>
#include <vector>

namespace orvia::test {

// Bound against a hung command, not a speed check.
inline constexpr int kCommandBoundMs = 120000;

struct CommandRun {
    int status = -1;     // -1: ended by a signal or did not end in time
    std::string output;  // standard output and standard error
};

// Runs args (args[0] looked up on PATH) in folder with this process's
// environment; a command that does not end within boundMs is ended and
// fails the test.
CommandRun RunCommand(const std::vector<std::string>& args, const std::string& folder,
                      int boundMs = kCommandBoundMs);

// True when a program of that name is on PATH.
bool HaveProgram(const std::string& name);

// Checks that root (where the install's prefix lies, such as <folder>/usr)
// holds every installed file: the program, its help pages and pictures as in
// the sources, the desktop entry and icon, the metainfo, the manual page,
// the documentation, and the systemd units naming prefix + "/bin/orvia"
// (the prefix the install was made for).
void CheckInstalledFiles(const std::string& root, const std::string& prefix);

// Runs root/bin/orvia --help, which must name the help pages under root, and
// `orvia simulate` of a call of the installed call-flow guide's worked
// example (in a data folder under workFolder), whose transcript must be the
// installed one.
void CheckInstalledProgramRuns(const std::string& root, const std::string& workFolder);

}  // namespace orvia::test
