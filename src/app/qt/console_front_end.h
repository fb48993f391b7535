// The headless front end: a QtCore event loop (no display is needed) and the
// console view, which reports on standard output. "/service" and every start
// without a display run on it.
//
// Main thread only.
#pragma once

#include "app/startup/front_end.h"

namespace orvia {

class ConsoleFrontEnd : public FrontEnd {
public:
    // argc and argv must outlive the loop (they are the QCoreApplication's).
    ConsoleFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    std::unique_ptr<EventLoop> MakeLoop() override;
    std::unique_ptr<MainWindowView> MakeView(const LineBank& lines, std::ostream& out,
                                             bool startHidden) override;

private:
    int& argc_;
    char** argv_;
};

}  // namespace orvia
