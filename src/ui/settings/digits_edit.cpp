#include "ui/settings/digits_edit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace orvia {

QLineEdit* MakeDigitsEdit(DigitsSign sign, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    const QRegularExpression digits(sign == DigitsSign::Signed ? "-?[0-9]*" : "[0-9]*");
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
    edit->setMaxLength(9);
    return edit;
}

}  // namespace orvia
