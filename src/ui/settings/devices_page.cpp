#include "ui/settings/devices_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "line/line_setup.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/settings/db_edit.h"
#include "ui/settings/device_settings.h"
#include "ui/settings/line_properties_dialog.h"
#include "ui/settings/settings_messages.h"
#include "ui/settings/sound_device_lists.h"
#include "ui/settings/telephony_config.h"

namespace orvia {
namespace {

constexpr const char* kSettings = "settings";

std::string LineSection(int index) {
    return "line" + std::to_string(index);
}

// Turns a line section on or off and marks the lines for a restart, telling
// the user when settings.ini could not be written.
void SetLineInUse(QWidget* page, int index, bool use) {
    KeyWriter write(Store().SettingsFile());
    write.Bool(LineSection(index), "use", use);
    write.Bool("state", "restart", true);
    write.Confirm(page);
}

void MarkRestart() {
    WriteProfileBool(Store().SettingsFile(), "state", "restart", true);
}

}  // namespace

LSetDevicesPage::LSetDevicesPage(QWidget* parent)
    : LPropertyPage(kHelpSettingsDevices, parent),
      lines_(new QListWidget),
      add_(new QPushButton(tr("&Add..."))),
      remove_(new QPushButton(tr("Remove"))),
      properties_(new QPushButton(tr("&Properties..."))),
      addSip_(new QPushButton(tr("Add &SIP Device..."))),
      playDevice_(new QComboBox),
      playVolume_(new LDBEdit(-36, 12)),
      announceDevice_(new QComboBox),
      announceVolume_(new LDBEdit(-36, 12)),
      faxHandoff_(new QRadioButton(tr("TAPI Fax Mode Handoff"))),
      faxDial_(new QRadioButton(tr("Dial"))),
      faxDigits_(new QLineEdit) {
    faxDigits_->setMaxLength(static_cast<int>(kProfileValueMax));
    addSip_->setToolTip(tr("Add a SIP line device to the telephony configuration"));

    auto* lineGroup = new QGroupBox(tr("Telephony &Line Devices"));
    auto* lineLayout = new QGridLayout(lineGroup);
    lineLayout->addWidget(lines_, 0, 0, 5, 1);
    lineLayout->addWidget(add_, 0, 1);
    lineLayout->addWidget(remove_, 1, 1);
    lineLayout->addWidget(properties_, 2, 1);
    lineLayout->addWidget(addSip_, 4, 1);
    lineLayout->setRowStretch(3, 1);
    lines_->setMinimumHeight(fontMetrics().lineSpacing() * 5);

    auto* soundGroup = new QGroupBox(tr("Sound Devices"));
    auto* soundLayout = new QGridLayout(soundGroup);
    soundLayout->addWidget(new QLabel(tr("Message playback:")), 0, 0);
    soundLayout->addWidget(playDevice_, 0, 1);
    soundLayout->addWidget(playVolume_, 0, 2);
    soundLayout->addWidget(new QLabel(tr("Call announcements:")), 1, 0);
    soundLayout->addWidget(announceDevice_, 1, 1);
    soundLayout->addWidget(announceVolume_, 1, 2);
    soundLayout->setColumnStretch(1, 1);

    auto* faxGroup = new QGroupBox(tr("When a Fax Tone is Heard"));
    auto* faxLayout = new QGridLayout(faxGroup);
    faxLayout->addWidget(faxHandoff_, 0, 0, 1, 2);
    faxLayout->addWidget(faxDial_, 1, 0);
    faxLayout->addWidget(faxDigits_, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lineGroup, 1);
    layout->addWidget(soundGroup);
    layout->addWidget(faxGroup);

    for (QObject* control : {static_cast<QObject*>(lines_), static_cast<QObject*>(add_),
                             static_cast<QObject*>(remove_), static_cast<QObject*>(properties_),
                             static_cast<QObject*>(addSip_), static_cast<QObject*>(faxHandoff_),
                             static_cast<QObject*>(faxDial_)})
        Watch(control);
    connect(lines_, &QListWidget::itemDoubleClicked, this, [this] {
        EditLine();
        UpdateControls();
    });
}

void LSetDevicesPage::FillLines() {
    const std::string& file = Store().SettingsFile();
    const TelephonyConfig devices = TelephonyConfig::Read();
    lines_->clear();
    for (int index = 0; index < kMaxLines; ++index) {
        if (!IsConfiguredLine(index))
            continue;
        const std::string section = LineSection(index);
        const std::string name = ReadProfileString(file, section, "name", section);
        const int device = ReadProfileInt(file, section, "device", index);
        std::string deviceName = devices.Name(device);
        if (deviceName.empty())
            deviceName = "no device " + std::to_string(device);
        auto* item = new QListWidgetItem(QString::fromStdString(name + " [" + deviceName + "]"));
        item->setData(Qt::UserRole, index);
        lines_->addItem(item);
    }
    lines_->setCurrentRow(lines_->count() > 0 ? 0 : -1);
}

int LSetDevicesPage::SelectedLine() const {
    const QListWidgetItem* item = lines_->currentItem();
    return item != nullptr && item->isSelected() ? item->data(Qt::UserRole).toInt() : -1;
}

void LSetDevicesPage::OnInit() {
    const std::string& file = Store().SettingsFile();
    FillLines();
    FillPlayDevices(playDevice_);
    FillPlayDevices(announceDevice_);
    playDevice_->setCurrentIndex(ReadProfileInt(file, kSettings, "playdevice", 0));
    announceDevice_->setCurrentIndex(ReadProfileInt(file, kSettings, "announcedevice", 0));
    playVolume_->SetValue(ReadProfileDb(file, kSettings, "playvolume", 0));
    announceVolume_->SetValue(ReadProfileDb(file, kSettings, "announcevolume", 0));
    const bool dial = ReadProfileBool(file, kSettings, "fax", false);
    faxHandoff_->setChecked(!dial);
    faxDial_->setChecked(dial);
    faxDigits_->setText(QString::fromStdString(ReadProfileString(file, kSettings, "faxdial", "")));
}

void LSetDevicesPage::OnCommand(QObject* control) {
    if (control == add_)
        AddLine();
    else if (control == remove_)
        RemoveLine();
    else if (control == properties_)
        EditLine();
    else if (control == addSip_) {
        if (AddSipDevice(this, TelephonyConfig::Read()))
            FillLines();
    }
}

void LSetDevicesPage::AddLine() {
    int index = 0;
    while (index < kMaxLines && IsConfiguredLine(index))
        ++index;
    if (index == kMaxLines)
        return;  // every line section is in use
    LinePropertiesDlg dialog(this, index);
    if (!dialog.Run())
        return;
    SetLineInUse(this, index, true);
    FillLines();
}

void LSetDevicesPage::RemoveLine() {
    const int index = SelectedLine();
    if (index < 0 || CurrentQuestions().Ask(this, RemoveLineQuestion()) != Answer::Yes)
        return;
    SetLineInUse(this, index, false);
    FillLines();
}

void LSetDevicesPage::EditLine() {
    const int index = SelectedLine();
    if (index < 0)
        return;
    const int row = lines_->currentRow();
    LinePropertiesDlg dialog(this, index);
    if (!dialog.Run())
        return;
    MarkRestart();
    FillLines();
    lines_->setCurrentRow(std::min(row, lines_->count() - 1));
}

bool LSetDevicesPage::OnApply() {
    KeyWriter write(Store().SettingsFile());
    write.Int(kSettings, "playdevice", playDevice_->currentIndex());
    write.Db(kSettings, "playvolume", playVolume_->Value());
    write.Int(kSettings, "announcedevice", announceDevice_->currentIndex());
    write.Db(kSettings, "announcevolume", announceVolume_->Value());
    write.Bool(kSettings, "fax", faxDial_->isChecked());
    write.Text(kSettings, "faxdial", faxDigits_->text().toStdString());
    // A write that failed keeps the user on the page, told why.
    return write.Confirm(this);
}

void LSetDevicesPage::UpdateControls() {
    const bool selected = SelectedLine() >= 0;
    remove_->setEnabled(selected);
    properties_->setEnabled(selected);
    faxDigits_->setEnabled(faxDial_->isChecked());
}

}  // namespace orvia
