// The main window's mailbox menu as functions: new, rename and delete a
// mailbox. The widgets ask the questions (name dialogs, the rename warning,
// the delete confirmation) and call these with the answers.
//
// A mailbox name becomes a file name in the MailBoxes folder, so names that
// would leave it ("/", "..") or hide the file (a leading ".") are refused.
//
// Main thread.
#pragma once

#include <string>

namespace orvia {

// True for a name a mailbox may have.
bool IsUsableMailboxName(const std::string& name);

// "Mailbox %d" with the first number from 1 whose mailbox does not exist
// (at most 300 tries); empty when all are taken.
std::string ProposeNewMailboxName();

// Creates the mailbox file with remote access off. False when the name is
// not usable, the mailbox exists (also under the name in other letter case:
// message files are matched without regard to case) or the file cannot be
// written.
bool CreateMailbox(const std::string& name);

// The mailbox the window shows from now on ("settings"/"mbx").
void SelectMailbox(const std::string& name);

// Renames the mailbox file, then every message file (".ini" and ".wav",
// keeping what follows the old name) and the mailbox's greeting, and makes
// the new name the one shown. Refused (false, nothing renamed) when either
// name is not usable, the mailbox does not exist, another mailbox has the new
// name in any letter case, or any file of the new name exists already. OGMs
// that name the mailbox are not changed.
bool RenameMailbox(const std::string& from, const std::string& to);

// Deletes the mailbox file and, when that succeeded, every message file of
// the mailbox and its greeting.
bool DeleteMailbox(const std::string& name);

}  // namespace orvia
