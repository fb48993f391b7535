// Edits that take digits only (and, when signed, one leading minus): the
// value is written as typed, without a range check.
//
// Main thread only.
#pragma once

class QLineEdit;
class QWidget;

namespace orvia {

enum class DigitsSign { Unsigned, Signed };

QLineEdit* MakeDigitsEdit(DigitsSign sign, QWidget* parent = nullptr);

}  // namespace orvia
