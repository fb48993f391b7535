#include "ui/settings/db_edit.h"

#include "store/encodings.h"

namespace orvia {

LDBEdit::LDBEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
    setSuffix("dB");
    setAccelerated(true);
    // As wide as its values, not as its row.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    SetRange(minimum, maximum);
}

void LDBEdit::SetRange(int minimum, int maximum) {
    setRange(minimum, maximum);
    // The special text stands for the minimum: only silence has one.
    setSpecialValueText(minimum <= kDbSilence ? "--dB" : QString());
}

}  // namespace orvia
