// LAutoHoursPage, the settings sheet's "AutoHours" page: answering by the
// time of day. Opening and closing times for weekdays, Saturday and Sunday
// (typed as "09:00:00", "9am" or "17:30"), and what happens between and
// outside those hours: the default OGM, an OGM of its own, or no answer.
// Written to section "autohours" each time the page is left.
//
// Main thread only.
#pragma once

#include <array>

#include "ui/framework/property_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orvia {

class LAutoHoursPage : public LPropertyPage {
    Q_OBJECT

public:
    // The six time edits, in this order.
    enum TimeEdit { WeekdayOpen, WeekdayClose, SatOpen, SatClose, SunOpen, SunClose };

    explicit LAutoHoursPage(QWidget* parent = nullptr);

    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;

    QCheckBox* Enabled() const { return enabled_; }
    QLineEdit* Time(TimeEdit edit) const { return times_[edit]; }
    // mode 0 default OGM, 1 the OGM of the combo, 2 no answer.
    QRadioButton* DuringMode(int mode) const { return during_[static_cast<std::size_t>(mode)]; }
    QRadioButton* AfterMode(int mode) const { return after_[static_cast<std::size_t>(mode)]; }
    QComboBox* DuringOgm() const { return duringOgm_; }
    QComboBox* AfterOgm() const { return afterOgm_; }

private:
    QCheckBox* enabled_;
    std::array<QLineEdit*, 6> times_;
    std::array<QRadioButton*, 3> during_;
    std::array<QRadioButton*, 3> after_;
    QComboBox* duringOgm_;
    QComboBox* afterOgm_;
};

}  // namespace orvia
