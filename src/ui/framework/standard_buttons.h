// The button row most dialogs end with: OK and Cancel, and Help when the
// dialog has a help topic, wired to accept, reject and OnHelp.
//
// Main thread only.
#pragma once

class QDialogButtonBox;

namespace orvia {

class LPopupDialogBox;

// A new button row owned by the dialog (the caller puts it in a layout).
QDialogButtonBox* MakeOkCancelButtons(LPopupDialogBox* dialog);

}  // namespace orvia
