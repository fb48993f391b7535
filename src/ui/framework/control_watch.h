// Connects a control's change signal to a callback (DialogOperations::Watch
// is built on it).
//
// Main thread only.
#pragma once

#include <functional>

class QObject;

namespace orvia {

// Calls command whenever the control is clicked, edited, toggled or changes
// its selection: buttons (clicked), line and text edits (text changed),
// combo boxes (index changed), list and tree widgets (selection changed),
// spin boxes and sliders (value changed). The connection lives as long as
// both the control and context. False for a control of another kind.
bool WatchControl(QObject* control, QObject* context, std::function<void()> command);

}  // namespace orvia
