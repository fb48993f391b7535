#include "app/qt/console_front_end.h"

#include "app/core/console_view.h"
#include "app/qt/qt_event_loop.h"

namespace orvia {

std::unique_ptr<EventLoop> ConsoleFrontEnd::MakeLoop() {
    return MakeQtEventLoop(argc_, argv_);
}

std::unique_ptr<MainWindowView> ConsoleFrontEnd::MakeView(const LineBank& lines, std::ostream& out,
                                                          bool) {
    return std::make_unique<ConsoleView>(lines, out);
}

}  // namespace orvia
