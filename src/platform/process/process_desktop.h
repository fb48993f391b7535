// Opening and printing files through the desktop's helper programs.
//
// The log viewer's "View" and "Print" and the OGM "open" action without a
// plug-in hand a file (or URL) to the desktop: "xdg-open" opens it with the
// user's associated program, "lp" prints it. The helper is started without a
// shell, detached (own session, no output captured) and never awaited; the
// ChildReaper collects it when it ends. Any thread may call these.
#pragma once

#include <string>
#include <vector>

namespace orvia {

// Starts args[0] detached as described above. False when it cannot be started
// (not found, not executable, no resources).
bool StartDetached(const std::vector<std::string>& args);

// "xdg-open" with the path or URL; false when empty or the helper cannot be
// started. Whether the desktop finds a program for it is not reported.
bool OpenWithDesktop(const std::string& pathOrUrl);

// "lp" with the file; false when empty or "lp" cannot be started.
bool PrintWithDesktop(const std::string& path);

}  // namespace orvia
