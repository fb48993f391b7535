// The dialogs the main window opens that live in other parts of the UI: the
// OGM list and properties, the mailbox properties, the settings sheet and
// the Call Test Simulator. Each is a function the desktop front end fills
// in; a menu entry whose function is empty is shown greyed.
//
// Main thread only.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace orvia {

class IVRCNotify;

// How the OGM list dialog opens (the OGM menu's entries).
enum class OgmListMode { OpenList = -1, New = 1, Delete = 2, Rename = 3, Properties = 4 };

struct MainWindowDialogs {
    // The OGM list dialog in a mode, over the OGM named (the one selected in
    // the main window). The main window refills its OGM list afterwards.
    std::function<void(QWidget* parent, OgmListMode mode, const std::string& ogm)> ogmList;
    // The mailbox dialog for a mailbox; true when it was closed with OK.
    std::function<bool(QWidget* parent, const std::string& mailbox)> mailboxProperties;
    // The call-flow map (OGM menu). The main window refills its lists
    // afterwards (OGMs and mailboxes may have been edited from the map).
    std::function<void(QWidget* parent)> callFlowMap;
    // The settings sheet; the main window then tells the application core
    // (a line restart may be due).
    std::function<void(QWidget* parent)> settings;
    // The Call Test Simulator; its engine reports to notify (the core).
    std::function<void(QWidget* parent, IVRCNotify* notify)> callTestSimulator;
};

}  // namespace orvia
