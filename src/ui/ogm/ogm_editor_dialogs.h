// Plugs the OGM editor, the mailbox dialog and the call-flow map into the
// main window: fills the entries of MainWindowDialogs that are still empty.
// Each dialog gets a desktop player of its own for as long as it is open,
// and hands new recordings to the process's level-control queue.
//
// Main thread only.
#pragma once

namespace orvia {

struct MainWindowDialogs;

void InstallOgmEditorDialogs(MainWindowDialogs& dialogs);

}  // namespace orvia
