#include "app/core/console_view.h"

#include <ostream>

namespace orvia {

void ConsoleView::Destroy() {
    out_ << "Orvia: stopped" << std::endl;
}

void ConsoleView::LinesSetUp(int count) {
    if (count == 0) {
        out_ << "Orvia: no telephone line is configured and no telephony device can answer "
                "calls (the errors above say why); running without lines"
             << std::endl;
        return;
    }
    for (const LineStatus& line : lines_.Status()) {
        out_ << "Orvia: " << line.name << " on device " << line.device;
        if (!line.deviceName.empty())
            out_ << " (" << line.deviceName << ")";
        if (line.open)
            out_ << ": listening for calls";
        else
            out_ << ": the device did not open (" << line.closedReason << ")";
        out_ << std::endl;
    }
}

void ConsoleView::OtherStartNoticed(bool logon) {
    out_ << "Orvia: another start of the program was signalled" << (logon ? " (at logon)" : "")
         << "; this instance goes on answering" << std::endl;
}

void ConsoleView::MessageStored(const std::string& messageIni) {
    out_ << "Orvia: new message " << messageIni << std::endl;
}

void ConsoleView::ShowCallerIdFlash(const std::string& text) {
    // "line\r\nnumber\r\nname" on one line, control characters left out.
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            shown += " / ";
            ++i;
        } else if (static_cast<unsigned char>(text[i]) >= 0x20) {
            shown += text[i];
        }
    }
    out_ << "Orvia: call " << shown << std::endl;
}

}  // namespace orvia
