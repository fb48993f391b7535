// The widget side of the main window, as the application object sees it.
//
// MainDialog (main_dialog.h) is the application core and runs the same way
// with and without widgets; everything it asks of a window goes through this
// interface. The desktop UI implements it over Qt Widgets (window, lists,
// tray icon, splash, caller-id flash, message boxes); the headless program
// uses a view that only reports on standard output. Every operation has a
// default that does nothing, so a view implements what it shows.
//
// Main thread only.
#pragma once

#include <string>

namespace orvia {

class MainDialog;

// The answers to "Do you want Orvia to continue to operate in the background?".
enum class CloseAnswer { Yes, No, Cancel };

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // The application object the view shows and sends its commands to: set
    // when MainDialog is constructed, cleared (null) when it is destroyed.
    virtual void Attach(MainDialog* app) { (void)app; }

    // --- Window creation and destruction (in the order MainDialog calls them).
    // The window with its icons, the tray icon and the message list columns.
    virtual void Create() {}
    virtual void ShowSplash() {}
    // Fills the OGM list, the mailbox list, the message list and the on/off
    // button from the files and settings (main_lists.h).
    virtual void FillLists() {}
    // Arms the widgets' own timers (the banner, the caller-id flash).
    virtual void StartWidgetTimers() {}
    // Tooltips, splash and tray icon go; the window itself follows.
    virtual void Destroy() {}

    // --- Visibility.
    // Shows normally and makes it the foreground window.
    virtual void ShowAndBringToFront() {}
    // Hides into the tray (command 1008).
    virtual void Hide() {}
    // A later start: removes and re-adds the tray icon.
    virtual void ResetTrayIcon() {}
    virtual CloseAnswer AskContinueInBackground() { return CloseAnswer::No; }

    // --- The message list of the mailbox shown (messageIni: full path).
    virtual void AddMessage(const std::string& messageIni) { (void)messageIni; }
    virtual void MarkMessageRead(const std::string& messageIni) { (void)messageIni; }
    virtual void RemoveMessage(const std::string& messageIni) { (void)messageIni; }

    // --- Notices.
    // A caller id ("line\r\nnumber\r\nname") to flash on screen for 15 s.
    virtual void ShowCallerIdFlash(const std::string& text) { (void)text; }
    // The lines were set up; count is how many (0: none configured and no
    // usable device: the "No TAPI Devices" message).
    virtual void LinesSetUp(int count) { (void)count; }
    // Another start of the program signalled this one.
    virtual void OtherStartNoticed(bool logon) { (void)logon; }
    // A new message was stored (whether or not its mailbox is shown).
    virtual void MessageStored(const std::string& messageIni) { (void)messageIni; }
    // The desktop player started or stopped (the play button's state).
    virtual void PlayingChanged(bool playing) { (void)playing; }
};

}  // namespace orvia
