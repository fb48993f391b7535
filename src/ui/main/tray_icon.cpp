#include "ui/main/tray_icon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <utility>

#include "ui/framework/pictures.h"

namespace orvia {

TrayIcon::TrayIcon(std::function<void()> clicked, std::function<void()> exit)
    : clicked_(std::move(clicked)), menu_(std::make_unique<QMenu>()) {
    QObject::connect(menu_->addAction(tr("&Open Orvia")), &QAction::triggered, this, clicked_);
    menu_->addSeparator();
    QObject::connect(menu_->addAction(tr("E&xit")), &QAction::triggered, this, exit);
    if (Available())
        MakeIcon();
}

void TrayIcon::MakeIcon() {
    icon_ = std::make_unique<QSystemTrayIcon>(Picture(kPictureTray));
    icon_->setToolTip("Orvia");
    icon_->setContextMenu(menu_.get());
    QObject::connect(
        icon_.get(), &QSystemTrayIcon::activated, this,
        [clicked = clicked_](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                clicked();
        });
}

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::Add() {
    if (!icon_ && Available())
        MakeIcon();
    if (icon_)
        icon_->show();
}

void TrayIcon::Remove() {
    if (icon_)
        icon_->hide();
}

void TrayIcon::Reset() {
    Remove();
    Add();
}

bool TrayIcon::IsShown() const {
    return icon_ && icon_->isVisible();
}

bool TrayIcon::InNotificationArea() const {
    return IsShown() && Available();
}

}  // namespace orvia
