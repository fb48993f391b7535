#include "ui/settings/auto_hours_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/ogm_files.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/settings/ogm_choice.h"

namespace orvia {
namespace {

constexpr const char* kAutoHours = "autohours";

struct TimeKey {
    const char* key;
    int32_t def;
};
constexpr TimeKey kTimeKeys[] = {{"weekdayopen", 32400}, {"weekdayclose", 61200}, {"satopen", 0},
                                 {"satclose", 0},        {"sunopen", 0},          {"sunclose", 0}};

// The mode of three radios: no answer wins over the OGM of its own, which
// wins over the default OGM.
int CheckedMode(const std::array<QRadioButton*, 3>& radios) {
    if (radios[2]->isChecked())
        return 2;
    return radios[1]->isChecked() ? 1 : 0;
}

QGroupBox* ModeGroup(const QString& title, std::array<QRadioButton*, 3>& radios, QComboBox* ogm) {
    auto* group = new QGroupBox(title);
    auto* layout = new QGridLayout(group);
    radios = {new QRadioButton(QObject::tr("Answer with default OGM")),
              new QRadioButton(QObject::tr("Answer with specified OGM:")),
              new QRadioButton(QObject::tr("Do not answer calls"))};
    layout->addWidget(radios[0], 0, 0, 1, 2);
    layout->addWidget(radios[1], 1, 0);
    layout->addWidget(ogm, 1, 1);
    layout->addWidget(radios[2], 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    return group;
}

}  // namespace

LAutoHoursPage::LAutoHoursPage(QWidget* parent)
    : LPropertyPage(kHelpSettingsAutoHours, parent),
      enabled_(new QCheckBox(tr("Use AutoHours to automatically switch at times of day"))),
      duringOgm_(new QComboBox),
      afterOgm_(new QComboBox) {
    for (QLineEdit*& edit : times_) {
        edit = new QLineEdit;
        edit->setMaxLength(16);
        edit->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    }
    auto* hoursGroup = new QGroupBox(tr("Hours"));
    auto* hours = new QGridLayout(hoursGroup);
    hours->addWidget(new QLabel(tr("Open")), 0, 1);
    hours->addWidget(new QLabel(tr("Close")), 0, 2);
    const QString days[] = {tr("Monday - Friday:"), tr("Saturday:"), tr("Sunday:")};
    for (int row = 0; row < 3; ++row) {
        hours->addWidget(new QLabel(days[row]), row + 1, 0);
        hours->addWidget(times_[static_cast<std::size_t>(row * 2)], row + 1, 1);
        hours->addWidget(times_[static_cast<std::size_t>(row * 2 + 1)], row + 1, 2);
    }
    hours->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled_);
    layout->addWidget(hoursGroup);
    layout->addWidget(ModeGroup(tr("Between these Hours"), during_, duringOgm_));
    layout->addWidget(ModeGroup(tr("Outside these Hours"), after_, afterOgm_));
    layout->addStretch(1);

    Watch(enabled_);
    for (QRadioButton* radio : during_)
        Watch(radio);
    for (QRadioButton* radio : after_)
        Watch(radio);
}

void LAutoHoursPage::OnInit() {
    const std::string& file = Store().SettingsFile();
    enabled_->setChecked(ReadProfileBool(file, kAutoHours, "enabled", false));
    for (std::size_t i = 0; i < times_.size(); ++i) {
        const int32_t seconds =
            ReadProfileTimeOfDay(file, kAutoHours, kTimeKeys[i].key, kTimeKeys[i].def);
        times_[i]->setText(QString::fromStdString(FormatTimeOfDay(seconds)));
    }
    const int during = ReadProfileInt(file, kAutoHours, "duringmode", 2);
    const int after = ReadProfileInt(file, kAutoHours, "aftermode", 0);
    during_[static_cast<std::size_t>(during >= 0 && during <= 2 ? during : 0)]->setChecked(true);
    after_[static_cast<std::size_t>(after >= 0 && after <= 2 ? after : 0)]->setChecked(true);
    FillOgmChoice(duringOgm_, ReadProfileString(file, kAutoHours, "duringogm", kDefaultOgmName));
    FillOgmChoice(afterOgm_, ReadProfileString(file, kAutoHours, "afterogm", kDefaultOgmName));
}

bool LAutoHoursPage::OnApply() {
    KeyWriter write(Store().SettingsFile());
    write.Bool(kAutoHours, "enabled", enabled_->isChecked());
    for (std::size_t i = 0; i < times_.size(); ++i)
        write.TimeOfDay(kAutoHours, kTimeKeys[i].key,
                        ParseTimeOfDay(times_[i]->text().toStdString()));
    write.Int(kAutoHours, "duringmode", CheckedMode(during_));
    write.Text(kAutoHours, "duringogm", duringOgm_->currentText().toStdString());
    write.Int(kAutoHours, "aftermode", CheckedMode(after_));
    write.Text(kAutoHours, "afterogm", afterOgm_->currentText().toStdString());
    // A write that failed keeps the user on the page, told why.
    return write.Confirm(this);
}

void LAutoHoursPage::UpdateControls() {
    const bool on = enabled_->isChecked();
    for (QLineEdit* edit : times_)
        edit->setEnabled(on);
    for (QRadioButton* radio : during_)
        radio->setEnabled(on);
    for (QRadioButton* radio : after_)
        radio->setEnabled(on);
    duringOgm_->setEnabled(on && during_[1]->isChecked());
    afterOgm_->setEnabled(on && after_[1]->isChecked());
}

}  // namespace orvia
