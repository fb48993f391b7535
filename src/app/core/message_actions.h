// The main window's actions on the messages selected in its list, as
// functions the widgets call (they show the dialogs and pass the answers).
// Each action first writes settings "state"/"newmessages" = "false": the user
// has seen the messages.
//
// Main thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/core/desktop_playback.h"

namespace orvia {

// Writes "state"/"newmessages" = "false" (the user has seen the messages);
// the actions below do it themselves, a dialog cancelled before one of them
// runs calls it first.
void MarkMessagesSeen();

// Plays the message's recording on "playdevice" at "playvolume" and marks it
// read ("message"/"read" = "true"). False when it cannot be played (it is
// then not marked).
bool PlayMessage(DesktopPlayback& playback, const std::string& messageIni);

// Marks the message read ("message"/"read" = "true") without playing it.
// False when the message is gone (no file is made for it) or the flag cannot
// be written.
bool MarkMessageRead(const std::string& messageIni);

// Where the save dialog starts for a message: "settings"/"saveaspath" with
// the recording's file name.
std::string SaveDialogStart(const std::string& messageIni);
// Copies the recording to destination (replacing a file there) and
// remembers its folder in "saveaspath". False when the copy failed; the
// destination then keeps what it had.
bool SaveMessageAs(const std::string& messageIni, const std::string& destination);

// Deletes the message: its recording, then (when that is gone) its ".ini"
// file. True when both are gone; a message whose recording cannot be deleted
// is kept whole.
bool DeleteMessage(const std::string& messageIni);

// The manual e-mail action for the selected messages of a mailbox.
struct ManualEmail {
    std::string mailboxName;
    std::vector<std::string> messageInis;  // in list order
    std::string address;                   // as typed in the dialog
    std::string note;                      // as typed in the dialog (may be empty)
    // Asked between conversion blocks; true cancels the whole action.
    std::function<bool()> cancelled;
    // Percent done of the conversion in progress.
    std::function<void(int percent)> progress;
};

struct ManualEmailResult {
    int sent = 0;          // messages handed to the mail sender (accepted or not)
    int accepted = 0;      // messages the mail server accepted
    bool stopped = false;  // a conversion failed or was cancelled: the rest were not sent
    // Why the first message that did not go out failed (the server's or the
    // sender's reason, or a conversion that failed); empty when every
    // message went or the user cancelled before any failure.
    std::string failure;
};

// The address last used ("settings"/"sendemail") for the dialog to show.
std::string LastEmailAddress();
// Writes the address back to "sendemail" and sends each message with the
// manual subject and body. A mailbox with "sendemailmp3" gets the recording
// as MP3 (mp3_attachment.h); otherwise the audio of a message whose
// "compressed" key says "false" (missing: true here) is first converted to
// the format chosen in the format-choice file.
ManualEmailResult EmailMessages(const ManualEmail& email);

}  // namespace orvia
