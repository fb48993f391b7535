#include "ui/settings/simulated_device_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/text/ascii_text.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "ui/framework/help.h"
#include "ui/framework/standard_buttons.h"
#include "ui/settings/device_section.h"
#include "ui/settings/settings_messages.h"

namespace orvia {

SimulatedDeviceDialog::SimulatedDeviceDialog(QWidget* parent, std::string path, std::string section)
    : LPopupDialogBox(parent, kHelpSipDevice),
      path_(std::move(path)),
      section_(std::move(section)),
      name_(new QLineEdit(this)),
      voice_(new QCheckBox(tr("&Voice capable (a data-only device when off)"), this)),
      opens_(new QCheckBox(tr("The device &opens (off: opening fails, for trying errors)"), this)),
      fax_(new QCheckBox(tr("A &fax application takes fax calls handed to it"), this)),
      data_(new QCheckBox(tr("A &data application takes data calls handed to it"), this)) {
    setWindowTitle(tr("Simulated Device Settings"));
    name_->setPlaceholderText(QString::fromStdString(section_));
    name_->setMaxLength(static_cast<int>(kProfileValueMax));
    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), name_);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : {voice_, opens_, fax_, data_})
        layout->addWidget(box);
    layout->addWidget(buttons);
}

void SimulatedDeviceDialog::OnInit() {
    // As the provider reads them: "voice" and "open" are on unless "false",
    // the applications off unless "true".
    auto flag = [this](const char* key, bool def) {
        const std::string value = AsciiLower(ReadProfileString(path_, section_, key, ""));
        return def ? value != "false" : value == "true";
    };
    name_->setText(QString::fromStdString(ReadProfileString(path_, section_, "name", "")));
    voice_->setChecked(flag("voice", true));
    opens_->setChecked(flag("open", true));
    fax_->setChecked(flag("faxapp", false));
    data_->setChecked(flag("dataapp", false));
}

bool SimulatedDeviceDialog::OnApply() {
    const DeviceKeyValues values = {{"name", name_->text().trimmed().toStdString()},
                                    {"voice", FormatBool(voice_->isChecked())},
                                    {"open", FormatBool(opens_->isChecked())},
                                    {"faxapp", FormatBool(fax_->isChecked())},
                                    {"dataapp", FormatBool(data_->isChecked())}};
    if (!WriteDeviceSection(path_, section_, "simulated", values)) {
        CurrentQuestions().Ask(this, DeviceSettingsNotSavedMessage(path_));
        return false;
    }
    return true;
}

}  // namespace orvia
