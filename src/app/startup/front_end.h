// How the running program meets its user: the main thread's event loop and
// the view of the main window.
//
// The headless front end (console_front_end.h) runs a QtCore event loop and
// reports on standard output; the desktop front end (ui/desktop_front_end.h)
// runs a QApplication and shows the window. The program runner asks for the
// loop once, when the program runs at all (not for "--help", "/install" or
// "/uninstall"), and for the view after the loop exists.
//
// Main thread only.
#pragma once

#include <iosfwd>
#include <memory>

#include "app/core/line_bank.h"
#include "app/core/main_window_view.h"
#include "app/startup/event_loop.h"

namespace orvia {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    virtual std::unique_ptr<EventLoop> MakeLoop() = 0;
    // lines outlive the view; out is where the program reports what happens.
    // startHidden: started with "/logon" or "/service".
    virtual std::unique_ptr<MainWindowView> MakeView(const LineBank& lines, std::ostream& out,
                                                     bool startHidden) = 0;
};

}  // namespace orvia
