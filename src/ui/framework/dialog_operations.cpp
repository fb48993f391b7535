#include "ui/framework/dialog_operations.h"

#include <cassert>

#include "ui/framework/control_watch.h"
#include "ui/framework/help.h"

namespace orvia {

void DialogOperations::Prepare() {
    if (prepared_)
        return;
    prepared_ = true;
    initialising_ = true;
    OnInit();
    initialising_ = false;
    UpdateControls();
}

void DialogOperations::OnHelp() {
    if (helpTopic_ != 0)
        OpenHelp(nullptr, helpTopic_);
}

void DialogOperations::Watch(QObject* control) {
    [[maybe_unused]] const bool known = WatchControl(control, self_, [this, control] {
        if (initialising_)
            return;
        OnCommand(control);
        UpdateControls();
    });
    assert(known);
}

}  // namespace orvia
