// The main window's actions on the selected messages, with their dialogs:
// play, save as, delete and e-mail. The file work is the application core's
// (app/message_actions.h); these ask the user and keep the list in step.
//
// Main thread only.
#pragma once

#include <string>

class QWidget;

namespace orvia {

class DesktopPlayback;
class MessageListView;

// Plays the first selected message and shows it read; false when nothing is
// selected or it cannot be played.
bool PlaySelectedMessage(DesktopPlayback& playback, MessageListView& list);

// Asks a file name for each selected message ("Save Message As..") and
// copies its recording there; a cancelled dialog ends the whole action.
void SaveSelectedMessages(QWidget* parent, const MessageListView& list);

// Deletes each selected message (no confirmation) and removes its row.
void DeleteSelectedMessages(MessageListView& list);

// "Send Message by Email" for the selected messages of the mailbox, with a
// progress dialog and Cancel while a recording is compressed first. Nothing
// happens when nothing is selected.
void EmailSelectedMessages(QWidget* parent, const MessageListView& list,
                           const std::string& mailbox);

}  // namespace orvia
