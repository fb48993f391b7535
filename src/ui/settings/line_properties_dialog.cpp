#include "ui/settings/line_properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/ogm_files.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/standard_buttons.h"
#include "ui/settings/device_settings.h"
#include "ui/settings/ogm_choice.h"
#include "ui/settings/settings_messages.h"

namespace orvia {

LinePropertiesDlg::LinePropertiesDlg(QWidget* parent, int lineIndex)
    : LPopupDialogBox(parent, kHelpLineProperties),
      index_(lineIndex),
      section_("line" + std::to_string(lineIndex)),
      name_(new QLineEdit(this)),
      device_(new QComboBox(this)),
      defaultOgm_(new QRadioButton(tr("Use Default Out-Going Message"), this)),
      overrideOgm_(new QRadioButton(tr("Override Out-Going Message for this Line"), this)),
      ogm_(new QComboBox(this)),
      noCidFlash_(new QCheckBox(tr("Disable Caller ID Flash for this line"), this)),
      configure_(new QPushButton(tr("Configure TAPI Device Hardware..."), this)) {
    setWindowTitle(tr("Line Properties"));
    name_->setMaxLength(static_cast<int>(kProfileValueMax));
    device_->setMinimumWidth(fontMetrics().averageCharWidth() * 36);

    auto* form = new QFormLayout;
    form->addRow(tr("Line &Name:"), name_);
    form->addRow(tr("TAPI &Device:"), device_);
    form->addRow(QString(), configure_);

    auto* ogmGroup = new QGroupBox(tr("Out-Going Message"), this);
    auto* ogmLayout = new QVBoxLayout(ogmGroup);
    ogmLayout->addWidget(defaultOgm_);
    ogmLayout->addWidget(overrideOgm_);
    ogmLayout->addWidget(ogm_);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ogmGroup);
    layout->addWidget(noCidFlash_);
    layout->addWidget(buttons);

    Watch(defaultOgm_);
    Watch(overrideOgm_);
    Watch(configure_);
    Watch(device_);
}

void LinePropertiesDlg::FillDevices(int select) {
    device_->clear();
    for (int id = 0; id < config_.Count(); ++id)
        device_->addItem(QString::fromStdString(config_.Name(id)));
    device_->setCurrentIndex(select < config_.Count() ? select : -1);
}

void LinePropertiesDlg::OnInit() {
    const std::string& file = Store().SettingsFile();
    name_->setText(QString::fromStdString(
        ReadProfileString(file, section_, "name", "Line " + std::to_string(index_ + 1))));
    config_ = TelephonyConfig::Read();
    FillDevices(ReadProfileInt(file, section_, "device", index_));
    const bool override = ReadProfileBool(file, section_, "ogmoverride", false);
    defaultOgm_->setChecked(!override);
    overrideOgm_->setChecked(override);
    FillOgmChoice(ogm_, ReadProfileString(file, section_, "ogm", kDefaultOgmName));
    noCidFlash_->setChecked(!ReadProfileBool(file, section_, "cidflash", true));
}

void LinePropertiesDlg::OnCommand(QObject* control) {
    if (control != configure_ || device_->currentIndex() < 0)
        return;
    const int selected = device_->currentIndex();
    if (EditDeviceSettings(this, config_, selected)) {
        // The device's name or kind may have changed.
        config_ = TelephonyConfig::Read();
        FillDevices(selected);
    }
}

void LinePropertiesDlg::UpdateControls() {
    ogm_->setEnabled(overrideOgm_->isChecked());
    configure_->setEnabled(device_->currentIndex() >= 0);
}

bool LinePropertiesDlg::OnApply() {
    KeyWriter write(Store().SettingsFile());
    write.Text(section_, "name", name_->text().toStdString());
    const int device = device_->currentIndex();
    if (device >= 0) {
        if (!config_.IsVoiceCapable(device)) {
            CurrentQuestions().Ask(this, DeviceNotVoiceCapableMessage());
            return false;
        }
        write.Int(section_, "device", device);
    }
    write.Bool(section_, "ogmoverride", overrideOgm_->isChecked());
    write.Text(section_, "ogm", ogm_->currentText().toStdString());
    write.Bool(section_, "cidflash", !noCidFlash_->isChecked());
    return write.Confirm(this);
}

}  // namespace orvia
