#include "ui/framework/number_edit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "store/encodings.h"

namespace orvia {

QLineEdit* MakeNumberEdit(QWidget* parent, NumberSign sign, int widthInDigits) {
    auto* edit = new QLineEdit(parent);
    const QRegularExpression pattern(sign == NumberSign::Signed ? "-?[0-9]{0,10}" : "[0-9]{0,10}");
    edit->setValidator(new QRegularExpressionValidator(pattern, edit));
    const QFontMetrics metrics = edit->fontMetrics();
    edit->setMinimumWidth(metrics.horizontalAdvance('0') * (widthInDigits + 2));
    edit->setMaximumWidth(metrics.horizontalAdvance('0') * (widthInDigits + 8));
    return edit;
}

int32_t NumberOf(const QLineEdit* edit) {
    return ParseInt(edit->text().trimmed().toStdString());
}

}  // namespace orvia
