#include "ui/framework/control_watch.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QTreeWidget>

namespace orvia {

bool WatchControl(QObject* control, QObject* context, std::function<void()> command) {
    auto call = [command = std::move(command)] { command(); };
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, context, call);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        QObject::connect(line, &QLineEdit::textChanged, context, call);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        QObject::connect(plain, &QPlainTextEdit::textChanged, context, call);
    } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
        QObject::connect(text, &QTextEdit::textChanged, context, call);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QObject::connect(combo, &QComboBox::currentIndexChanged, context, call);
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        QObject::connect(list, &QListWidget::itemSelectionChanged, context, call);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(control)) {
        QObject::connect(tree, &QTreeWidget::itemSelectionChanged, context, call);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        QObject::connect(spin, &QSpinBox::valueChanged, context, call);
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        QObject::connect(slider, &QAbstractSlider::valueChanged, context, call);
    } else {
        return false;
    }
    return true;
}

}  // namespace orvia
