// The main window's menu bar and the context menus built from the same
// actions: File, OGM, Mailbox, Messages, Help, and the links menu.
//
// The shortcuts shown beside the entries (F9, Ctrl+S, ...) are handled by
// the main window's key handler (main_window_keys.h), which looks at a key
// before any control does; the actions carry them as text only.
//
// Main thread only.
#pragma once

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;

namespace orvia {

struct MainActions {
    // File.
    QAction* settings = nullptr;
    QAction* callLogs = nullptr;
    QAction* simulator = nullptr;
    QAction* closeToBackground = nullptr;
    QAction* exit = nullptr;
    // OGM.
    QAction* ogmNew = nullptr;
    QAction* ogmRename = nullptr;
    QAction* ogmDelete = nullptr;
    QAction* ogmList = nullptr;
    QAction* ogmProperties = nullptr;
    QAction* ogmMap = nullptr;
    QAction* ogmPlay = nullptr;
    QAction* ogmStop = nullptr;
    QAction* on = nullptr;
    QAction* off = nullptr;
    // Mailbox.
    QAction* mailboxNew = nullptr;
    QAction* mailboxRename = nullptr;
    QAction* mailboxDelete = nullptr;
    QAction* mailboxProperties = nullptr;
    // Messages.
    QAction* messagePlay = nullptr;
    QAction* messageStop = nullptr;
    QAction* messageEmail = nullptr;
    QAction* messageSave = nullptr;
    QAction* messageDelete = nullptr;
    // Help.
    QAction* helpContents = nullptr;
    QAction* about = nullptr;

    QMenu* fileMenu = nullptr;
    QMenu* ogmMenu = nullptr;
    QMenu* mailboxMenu = nullptr;
    QMenu* messageMenu = nullptr;
    QMenu* helpMenu = nullptr;
    // Filled each time it opens (the web addresses may have changed).
    QMenu* linksMenu = nullptr;
};

// Creates the actions (owned by owner) and fills the menu bar with them.
MainActions BuildMainMenus(QObject* owner, QMenuBar* bar);

}  // namespace orvia
