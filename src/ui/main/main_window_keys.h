// The main window's keys, looked at before any control sees them: "S"
// e-mail, "W" save as, "F" answering off, "O" answering on (the letters with
// or without Ctrl or Shift, not with Alt, which belongs to the menus), Esc
// stop the desktop player, Ctrl+Delete delete the selected messages (Delete
// alone does nothing), F1 help, F9 stop the player and then play the
// selected message again, Ctrl+F9 stop and play the selected OGM.
//
// One event filter on the application that takes the key presses meant for
// the main window or one of its controls while no dialog or menu is open.
//
// Main thread only.
#pragma once

#include <QObject>

class QKeyEvent;

namespace orvia {

class MainWindow;

class MainWindowKeys : public QObject {
    Q_OBJECT

public:
    explicit MainWindowKeys(MainWindow& window);
    ~MainWindowKeys() override;

    // The key's command, run when it has one; true when it was taken.
    bool Handle(const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainWindow& window_;
};

}  // namespace orvia
