// LDBEdit: an edit for a level in dB between a minimum and a maximum, shown
// as "%ddB", or "--dB" for -127 (silence) when the range reaches down to it.
// Pages set the range, then the value, and read the value back.
//
// Main thread only.
#pragma once

#include <QSpinBox>

namespace orvia {

class LDBEdit : public QSpinBox {
    Q_OBJECT

public:
    LDBEdit(int minimum, int maximum, QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    // Limited to the range.
    void SetValue(int db) { setValue(db); }
    int Value() const { return value(); }
};

}  // namespace orvia
