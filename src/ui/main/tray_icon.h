// The notification-area icon: the tray picture with the tip "Orvia"; a left
// click (or activation) tells the core as the icon's message does, which
// shows the window. Its menu offers the same and Exit.
//
// Where the desktop has no notification area (or on the offscreen
// platform) there is no icon: Available() is false and the window
// minimises instead of hiding, so it is never out of reach. A notification
// area that appears later (a panel started after the program at log-on)
// gets the icon at the next Add().
//
// Main thread only.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace orvia {

class TrayIcon : public QObject {
    Q_OBJECT

public:
    // clicked: the icon was clicked (left button or activation);
    // exit: the menu's Exit.
    TrayIcon(std::function<void()> clicked, std::function<void()> exit);
    ~TrayIcon() override;

    // True when the desktop has a notification area.
    static bool Available();

    // Shows the icon, making it first when a notification area has appeared
    // since.
    void Add();
    void Remove();
    // Removes and adds the icon again (a later start of the program).
    void Reset();
    bool IsShown() const;
    // True when there is an icon that the desktop shows: hiding the window
    // then leaves a way back to it.
    bool InNotificationArea() const;

private:
    void MakeIcon();

    std::function<void()> clicked_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace orvia
