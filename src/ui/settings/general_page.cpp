#include "ui/settings/general_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/number_edit.h"
#include "ui/main/main_messages.h"
#include "ui/settings/db_edit.h"
#include "ui/settings/settings_messages.h"
#include "ui/settings/startup_registration.h"

namespace orvia {
namespace {

constexpr const char* kSettings = "settings";

}  // namespace

LGeneralPage::LGeneralPage(StartupRegistration& startup, QWidget* parent)
    : LPropertyPage(kHelpSettingsGeneral, parent),
      startup_(startup),
      runAtLogon_(new QCheckBox(tr("Run Orvia automatically as tray icon on system startup"))),
      service_(new QCheckBox(tr("Run Orvia as system service (before Log On)"))),
      fixedRings_(new QRadioButton(tr("Answer calls after fixed number of rings (2 - 20)"))),
      rings_(MakeNumberEdit(nullptr, NumberSign::Unsigned)),
      tollSaver_(new QRadioButton(tr("Use Tollsaver (wait 2 more rings if no new messages)"))),
      openWindow_(new QCheckBox(tr("Bring Orvia to foreground when new messages received"))),
      cidFlash_(new QCheckBox(tr("Flash Caller ID of incoming calls on screen"))),
      gain_(new LDBEdit(-8, 8)),
      highPass_(MakeNumberEdit(nullptr, NumberSign::Unsigned)),
      compressor_(new LDBEdit(-18, 0)) {
    rings_->setObjectName("rings");
    highPass_->setObjectName("highPass");
    rings_->setMaximumWidth(fontMetrics().averageCharWidth() * 8);
    highPass_->setMaximumWidth(fontMetrics().averageCharWidth() * 10);

    auto* startGroup = new QGroupBox(tr("Start Up"));
    auto* startLayout = new QVBoxLayout(startGroup);
    startLayout->addWidget(runAtLogon_);
    startLayout->addWidget(service_);

    auto* answerGroup = new QGroupBox(tr("Answering"));
    auto* answerLayout = new QGridLayout(answerGroup);
    answerLayout->addWidget(fixedRings_, 0, 0);
    answerLayout->addWidget(rings_, 0, 1);
    answerLayout->addWidget(tollSaver_, 1, 0, 1, 2);
    answerLayout->setColumnStretch(2, 1);

    auto* messageGroup = new QGroupBox(tr("New Messages"));
    auto* messageLayout = new QVBoxLayout(messageGroup);
    messageLayout->addWidget(openWindow_);
    messageLayout->addWidget(cidFlash_);

    auto* audioGroup = new QGroupBox(tr("Audio Played to the Line"));
    auto* audioLayout = new QFormLayout(audioGroup);
    audioLayout->addRow(tr("Volume Level Adjust (-8dB - +8dB)"), gain_);
    audioLayout->addRow(tr("Tone High Pass Filter (0 - 1500Hz)"), highPass_);
    audioLayout->addRow(tr("Compressor Threshold (-18 - 0dB)"), compressor_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(startGroup);
    layout->addWidget(answerGroup);
    layout->addWidget(messageGroup);
    layout->addWidget(audioGroup);
    layout->addStretch(1);

    for (QObject* control : {static_cast<QObject*>(runAtLogon_), static_cast<QObject*>(service_),
                             static_cast<QObject*>(fixedRings_), static_cast<QObject*>(tollSaver_)})
        Watch(control);
}

void LGeneralPage::OnInit() {
    const std::string& file = Store().SettingsFile();
    runAtLogon_->setChecked(startup_.IsRunAtLogon());
    service_->setChecked(startup_.IsService());
    const bool tollSaver = ReadProfileBool(file, kSettings, "tollsaver", false);
    fixedRings_->setChecked(!tollSaver);
    tollSaver_->setChecked(tollSaver);
    rings_->setText(QString::fromStdString(ReadProfileString(file, kSettings, "nrings", "3")));
    openWindow_->setChecked(ReadProfileBool(file, kSettings, "openwindow", true));
    cidFlash_->setChecked(ReadProfileBool(file, kSettings, "cidflash", true));
    gain_->SetValue(ReadProfileDb(file, kSettings, "audiogain", 0));
    highPass_->setText(
        QString::fromStdString(ReadProfileString(file, kSettings, "audiohighpass", "0")));
    compressor_->SetValue(ReadProfileDb(file, kSettings, "audiocompressorthres", 0));
}

void LGeneralPage::ApplyStartup() {
    // Registered or removed only when the state changes: a registration
    // runs systemctl, which is not to be done each time the page is left.
    const bool logon = runAtLogon_->isChecked();
    const bool service = logon && service_->isChecked();
    if (startup_.IsRunAtLogon() != logon && !startup_.SetRunAtLogon(logon))
        CurrentQuestions().Ask(this, LogonEntryFailedMessage(logon));
    if (startup_.IsService() != service && !startup_.SetService(service))
        CurrentQuestions().Ask(this, ServiceNeedsAdministrator(service));
}

bool LGeneralPage::OnApply() {
    ApplyStartup();
    KeyWriter write(Store().SettingsFile());
    write.Bool(kSettings, "tollsaver", tollSaver_->isChecked());
    write.Text(kSettings, "nrings", rings_->text().toStdString());
    write.Bool(kSettings, "openwindow", openWindow_->isChecked());
    write.Bool(kSettings, "cidflash", cidFlash_->isChecked());
    write.Db(kSettings, "audiogain", gain_->Value());
    write.Text(kSettings, "audiohighpass", highPass_->text().toStdString());
    write.Db(kSettings, "audiocompressorthres", compressor_->Value());
    // A write that failed keeps the user on the page, told why.
    return write.Confirm(this);
}

void LGeneralPage::UpdateControls() {
    service_->setEnabled(runAtLogon_->isChecked());
    rings_->setEnabled(fixedRings_->isChecked());
}

}  // namespace orvia
