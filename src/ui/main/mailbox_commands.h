// The main window's mailbox menu with its dialogs: new, rename and delete a
// mailbox. The file work is the application core's (app/mailbox_actions.h).
//
// Main thread only.
#pragma once

#include <string>

class QWidget;

namespace orvia {

struct MainWindowDialogs;

// Proposes "Mailbox N", asks the name ("Enter New Mailbox Name"), creates
// the mailbox and opens its properties; when they are accepted (or there is
// no properties dialog) the new mailbox becomes the one shown. True when a
// mailbox was created.
bool NewMailbox(QWidget* parent, const MainWindowDialogs& dialogs);

// Warns that OGMs keep the old name, asks the new name ("Enter Mailbox
// Name") and renames the mailbox with its messages. True when renamed.
bool RenameMailboxAsked(QWidget* parent, const std::string& name);

// Asks "Confirm Delete Mailbox" and deletes the mailbox with its messages on
// Yes. True when the mailbox file is gone.
bool DeleteMailboxAsked(QWidget* parent, const std::string& name);

}  // namespace orvia
