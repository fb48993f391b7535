// Where the running program and its installed data files are.
//
// An install puts the program in <prefix>/bin/ and its data files (the help
// pages and pictures, which a desktop browser can open) in
// <prefix>/share/orvia/; the program finds them from its own real location,
// so an installed tree keeps working wherever it is moved. A program run from
// a CMake build folder (a folder with a CMakeCache.txt in it or above it) is
// not installed: the autostart entry and the systemd unit, which start the
// program long after, must not name it, or rebuilding or deleting the
// checkout would break them.
//
// Any thread: these read the file system at each call.
#pragma once

#include <string>

namespace orvia {

// The running program's real path (/proc/self/exe, symbolic links resolved);
// empty when unknown. A program whose file was replaced while it runs (a
// package upgrade) gives the path without the kernel's " (deleted)" mark.
std::string ProgramPath();
// The program path from the text of the /proc/self/exe link: without the
// " (deleted)" mark when the marked name does not exist.
std::string ProgramPathFromLink(std::string link);

// The program's data folder, ending in "/": <prefix>/share/orvia/ for the
// program <prefix>/bin/orvia, when that folder exists; empty otherwise (a
// program in a build folder has none).
std::string ProgramDataFolder(const std::string& programPath);
// The same for the running program.
std::string ProgramDataFolder();

// True when programPath lies in a CMake build folder.
bool IsInBuildFolder(const std::string& programPath);

// The program that the autostart entry and the systemd unit start.
struct ProgramToStart {
    std::string path;     // absolute real path; empty when there is none
    std::string problem;  // why there is none
};

// The running program (its real path) when it is not in a build folder; from
// a build folder, the first "orvia" on searchPath (a PATH value) that is
// installed, by its real path.
ProgramToStart FindProgramToStart(const std::string& runningPath, const std::string& searchPath);
// The same for the running program and $PATH.
ProgramToStart FindProgramToStart();

}  // namespace orvia
