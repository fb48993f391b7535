// The desktop front end: a QApplication with the main window, the tray icon
// and the dialogs.
//
// The program takes it when a display is named (DISPLAY or WAYLAND_DISPLAY)
// and the start is a window or logon start; "/service" and starts without a
// display stay on the headless front end, which never creates a
// QApplication. A display that is named but cannot be reached must not end
// the program either: the platform list Qt tries ends in the "minimal"
// platform, and when that is what Qt had to take, the program runs headless
// (console view) and says so.
//
// Main thread only.
#pragma once

#include "app/startup/command_line.h"
#include "app/startup/front_end.h"
#include "ui/main/main_window_dialogs.h"

namespace orvia {

// True for a window or logon start with DISPLAY or WAYLAND_DISPLAY set.
bool DesktopWanted(StartMode mode);

// The platforms Qt is to try, in order: QT_QPA_PLATFORM when set, else
// Qt's own choice for the session (Wayland first on a Wayland session that
// is not GNOME, then X11), always ending in "minimal".
std::string DesktopPlatformList();

class DesktopFrontEnd : public FrontEnd {
public:
    // argc and argv must outlive the loop (they are the QApplication's).
    DesktopFrontEnd(int& argc, char** argv, MainWindowDialogs dialogs = {});

    std::unique_ptr<EventLoop> MakeLoop() override;
    std::unique_ptr<MainWindowView> MakeView(const LineBank& lines, std::ostream& out,
                                             bool startHidden) override;

    // After MakeLoop: false when no display could be reached.
    bool HasDisplay() const { return hasDisplay_; }

private:
    int& argc_;
    char** argv_;
    MainWindowDialogs dialogs_;
    bool hasDisplay_ = false;
};

}  // namespace orvia
