#include "ui/main/main_window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

#include "ui/main/main_window.h"

namespace orvia {

MainWindowKeys::MainWindowKeys(MainWindow& window) : window_(window) {
    qApp->installEventFilter(this);
}

MainWindowKeys::~MainWindowKeys() {
    qApp->removeEventFilter(this);
}

bool MainWindowKeys::Handle(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers();
    if (mods & Qt::AltModifier)
        return false;
    const bool ctrl = (mods & Qt::ControlModifier) != 0;
    switch (key.key()) {
        case Qt::Key_S:
            window_.EmailSelected();
            return true;
        case Qt::Key_W:
            window_.SaveSelected();
            return true;
        case Qt::Key_F:
            window_.SetAnswering(false);
            return true;
        case Qt::Key_O:
            window_.SetAnswering(true);
            return true;
        case Qt::Key_Escape:
            window_.StopPlaying();
            return true;
        case Qt::Key_Delete:
            if (!ctrl)
                return false;
            window_.DeleteSelected();
            return true;
        case Qt::Key_F1:
            window_.ShowHelp();
            return true;
        case Qt::Key_F9:
            window_.StopPlaying();
            if (ctrl)
                window_.PlaySelectedOgm();
            else
                window_.PlaySelectedMessage();
            return true;
        default:
            return false;
    }
}

bool MainWindowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &window_ || qobject_cast<QMenuBar*>(widget) ||
        QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr)
        return false;
    return Handle(*static_cast<QKeyEvent*>(event));
}

}  // namespace orvia
