// Where the user's per-user files are (the program's own place:
// program_location.h).
// Any thread may call these; they read the environment at each call.
#pragma once

#include <string>

namespace orvia {

// The user's configuration folder, ending in "/": $XDG_CONFIG_HOME when it is
// an absolute path, else <home>/.config/ ($HOME, or the password database's
// home when HOME is unset). Empty when no home can be found.
std::string UserConfigHome();

// A folder for the user's sockets, ending in "/": $XDG_RUNTIME_DIR when it is
// an absolute path, else /tmp/orvia-<uid>/ made private (EnsurePrivateFolder).
// Empty when neither can be used safely.
std::string UserRuntimeDir();

// Makes sure path is a real folder (not a symbolic link) owned by the calling
// user with mode 0700, creating it when missing and tightening its mode when
// it is the user's own. False when it belongs to someone else or is not a
// folder: in a shared folder such as /tmp anyone may create the name first.
bool EnsurePrivateFolder(const std::string& path);

}  // namespace orvia
