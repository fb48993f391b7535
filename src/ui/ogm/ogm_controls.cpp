#include "ui/ogm/ogm_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace orvia {

QCheckBox* NamedCheck(QWidget* parent, const QString& text, const char* name) {
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(name);
    return check;
}

QRadioButton* NamedRadio(QWidget* parent, const QString& text, const char* name) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(name);
    return radio;
}

QComboBox* NameChoice(QWidget* parent, const char* name, const std::vector<std::string>& names) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : names)
        combo->addItem(QString::fromStdString(entry));
    combo->setMinimumWidth(combo->fontMetrics().averageCharWidth() * 28);
    return combo;
}

void ShowName(QComboBox* combo, const std::string& name) {
    const int index = combo->findText(QString::fromStdString(name), Qt::MatchFixedString);
    if (index >= 0)
        combo->setCurrentIndex(index);
    combo->setEditText(index >= 0 ? combo->itemText(index) : QString::fromStdString(name));
    combo->lineEdit()->setCursorPosition(0);
}

std::string ChosenName(const QComboBox* combo) {
    return combo->currentText().trimmed().toStdString();
}

}  // namespace orvia
