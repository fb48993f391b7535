// A one-line edit for a whole number as dialogs show it: digits only (and a
// leading minus where signed values are allowed). The value is written as
// typed; no range is checked unless the dialog says so.
//
// Main thread only.
#pragma once

#include <cstdint>

class QLineEdit;
class QWidget;

namespace orvia {

enum class NumberSign { Unsigned, Signed };

QLineEdit* MakeNumberEdit(QWidget* parent, NumberSign sign, int widthInDigits = 6);

// The edit's number: its digits read in decimal with the sign (none: 0),
// clamped to 32 bits.
int32_t NumberOf(const QLineEdit* edit);

}  // namespace orvia
