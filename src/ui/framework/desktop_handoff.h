// The seam through which dialogs hand files and web addresses to the desktop:
// the log viewer's View and Print, the links menu. The program uses the
// desktop's helpers (xdg-open, lp); a test installs its own and sees what
// would have been opened or printed.
//
// Main thread only.
#pragma once

#include <string>

namespace orvia {

class DesktopHandoff {
public:
    virtual ~DesktopHandoff() = default;
    // Opens a file or web address with the user's program for it; false when
    // the desktop's helper cannot be started.
    virtual bool Open(const std::string& pathOrUrl) = 0;
    // Prints a file; false when the print helper cannot be started.
    virtual bool Print(const std::string& path) = 0;
};

// The process's handoff: the desktop helpers unless a test installed another.
DesktopHandoff& CurrentHandoff();

class ScopedHandoff {
public:
    explicit ScopedHandoff(DesktopHandoff* handoff);
    ~ScopedHandoff();
    ScopedHandoff(const ScopedHandoff&) = delete;
    ScopedHandoff& operator=(const ScopedHandoff&) = delete;

private:
    DesktopHandoff* previous_;
};

}  // namespace orvia
