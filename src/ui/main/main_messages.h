// The message boxes of the main window and its commands: captions, texts,
// icons and buttons, in one place so the flows, the tests and the pictures
// of the dialogs use the same words.
#pragma once

#include <string>

#include "ui/framework/questions.h"

namespace orvia {

// Closing the window while ask-on-close is set.
Question BackgroundQuestion();
// The mailbox menu.
Question RenameMailboxWarning();
Question DeleteMailboxQuestion();
Question NewMailboxRefused(const std::string& name);
Question RenameMailboxRefused(const std::string& from, const std::string& to);
// The e-mail action: some of the selected messages did not go out.
Question EmailNotSent(int notSent, int selected, const std::string& address,
                      const std::string& reason);
// The log viewer.
Question DeleteLogQuestion();
// The desktop helper for viewing or printing did not start.
Question DesktopHelperFailed(const std::string& what, const std::string& path);
// The lines were set up and none could be made.
Question NoLineDevicesMessage(const std::string& telephonyConfig);
// Registering or removing the service needs the administrator (root).
Question ServiceNeedsAdministrator(bool installing);

}  // namespace orvia
