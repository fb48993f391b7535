// Help: concise HTML pages shipped with the program (compiled in with the
// ui resources, from src/ui/help), one page per dialog, each addressed by
// its topic number. OpenHelp shows a page in the help window, a small
// browser of its own that follows the links between the pages and hands
// links to other sites to the desktop. An installed program also has the
// pages as files (<data folder>help/), which the window's "Open in Browser"
// hands to the desktop's browser.
//
// Main thread only.
#pragma once

#include <QString>
#include <string>

class QTextBrowser;
class QUrl;
class QWidget;

namespace orvia {

// Topic numbers. The settings pages, the line dialog and the mailbox dialog
// have the numbers 103 to 108 their dialogs open.
enum HelpTopic : int {
    kHelpContents = 1,
    kHelpMainWindow = 100,
    kHelpCallLogs = 101,
    kHelpEmail = 102,
    kHelpSettingsGeneral = 103,
    kHelpSettingsDevices = 104,
    kHelpSettingsAutoHours = 105,
    kHelpSettingsTransferRecord = 106,
    kHelpLineProperties = 107,
    kHelpMailboxProperties = 108,
    // The settings sheet's e-mail page and the dialogs of the settings, the
    // record control, the simulator and the speech dialog.
    kHelpSettingsEmail = 120,
    kHelpSipDevice = 121,
    kHelpFormatChooser = 122,
    kHelpRecordControl = 123,
    kHelpCallTestSimulator = 124,
    kHelpSpeech = 125,
    // The OGM editor (list, the four property pages, the action details)
    // and the call-flow map.
    kHelpOgmList = 130,
    kHelpOgmMessage = 131,
    kHelpOgmKeyResponse = 132,
    kHelpOgmDateTime = 133,
    kHelpOgmAdvanced = 134,
    kHelpOgmActions = 135,
    kHelpCallFlowMap = 136,
};

// The resource path of a topic's page ("qrc:/help/..."); the contents page
// for a topic without a page of its own.
QString HelpPageUrl(int topic);

// The installed file of the help page a URL shows (dataFolder + "help/" +
// its file name); empty when dataFolder is empty, the URL is not a help page
// or the file is not there.
QString InstalledHelpFile(const std::string& dataFolder, const QUrl& page);

// Shows the topic's page in the help window (created on first use, raised
// when it exists).
void OpenHelp(QWidget* parent, int topic);

// Closes the help window (the program's end).
void CloseHelp();

// The help window's browser while the help window exists; null before.
QTextBrowser* HelpBrowser();

}  // namespace orvia
