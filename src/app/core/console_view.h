// The main window of the headless program: no widgets, a line on standard
// output for what a window would show (the lines answering, another start,
// a new message, a caller id). Until the desktop UI exists, every start
// uses it.
//
// Main thread only.
#pragma once

#include <iosfwd>

#include "app/core/line_bank.h"
#include "app/core/main_window_view.h"

namespace orvia {

class ConsoleView : public MainWindowView {
public:
    // lines must outlive the view.
    ConsoleView(const LineBank& lines, std::ostream& out) : lines_(lines), out_(out) {}

    void Destroy() override;
    void LinesSetUp(int count) override;
    void OtherStartNoticed(bool logon) override;
    void MessageStored(const std::string& messageIni) override;
    void ShowCallerIdFlash(const std::string& text) override;
    // Headless there is no background to go on in: closing ends the program.
    CloseAnswer AskContinueInBackground() override { return CloseAnswer::No; }

private:
    const LineBank& lines_;
    std::ostream& out_;
};

}  // namespace orvia
