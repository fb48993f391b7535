#include "ui/ogm/ogm_advanced_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/ogm_files.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/questions.h"
#include "ui/ogm/ogm_controls.h"

namespace orvia {
namespace {

constexpr const char* kIvr = kOgmSectionIvr;
constexpr const char* kAllFilter = "All File (*)";
constexpr const char* kDefaultLogLine = "%date%,%time%,%linename%,%cid%";

QLineEdit* Edit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 44);
    return edit;
}

QPushButton* Browse(QWidget* parent, const char* name) {
    auto* button = new QPushButton(QObject::tr("Browse"), parent);
    button->setObjectName(name);
    return button;
}

// A group of a check box above an edit with its "Browse" button.
QGroupBox* FileGroup(QWidget* parent, QCheckBox* check, QLineEdit* edit, QPushButton* browse) {
    auto* group = new QGroupBox(parent);
    auto* layout = new QGridLayout(group);
    layout->addWidget(check, 0, 0, 1, 2);
    layout->addWidget(edit, 1, 0);
    layout->addWidget(browse, 1, 1);
    layout->setColumnStretch(0, 1);
    return group;
}

}  // namespace

OgmAdvancedPage::OgmAdvancedPage(const std::string& name)
    : LPropertyPage(kHelpOgmAdvanced),
      definition_(OgmDefinitionPath(name)),
      playEx_(NamedCheck(this, tr("Play External Wav/Mp3 File"), "playExternal")),
      playExFile_(Edit(this, "playExternalFile")),
      browsePlayEx_(Browse(this, "browsePlayExternal")),
      log_(NamedCheck(this, tr("Add Entry to Special Log"), "addLogEntry")),
      logName_(Edit(this, "logName")),
      logLine_(Edit(this, "logLine")),
      announce_(NamedCheck(this, tr("Announce Call Through Speakers by Playing Wav/Mp3 File"),
                           "announce")),
      announceFile_(Edit(this, "announceFile")),
      browseAnnounce_(Browse(this, "browseAnnounce")),
      open_(NamedCheck(this, tr("Open File, Run Exe or Run Orvia Plugin Process"), "open")),
      openFile_(Edit(this, "openFile")),
      browseOpen_(Browse(this, "browseOpen")),
      plugin_(NamedCheck(this, tr("Is an Orvia Plugin Process"), "plugin")) {
    auto* logGroup = new QGroupBox(this);
    auto* logLayout = new QGridLayout(logGroup);
    logLayout->addWidget(log_, 0, 0, 1, 2);
    auto* nameLabel = new QLabel(tr("Log &Name:"), logGroup);
    nameLabel->setBuddy(logName_);
    auto* lineLabel = new QLabel(tr("Log &Line Format:"), logGroup);
    lineLabel->setBuddy(logLine_);
    logLayout->addWidget(nameLabel, 1, 0);
    logLayout->addWidget(logName_, 1, 1);
    logLayout->addWidget(lineLabel, 2, 0);
    logLayout->addWidget(logLine_, 2, 1);
    logLayout->setColumnStretch(1, 1);

    QGroupBox* openGroup = FileGroup(this, open_, openFile_, browseOpen_);
    static_cast<QGridLayout*>(openGroup->layout())->addWidget(plugin_, 2, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FileGroup(this, playEx_, playExFile_, browsePlayEx_));
    layout->addWidget(logGroup);
    layout->addWidget(FileGroup(this, announce_, announceFile_, browseAnnounce_));
    layout->addWidget(openGroup);
    layout->addStretch();

    for (QObject* control : {static_cast<QObject*>(playEx_), static_cast<QObject*>(browsePlayEx_),
                             static_cast<QObject*>(log_), static_cast<QObject*>(announce_),
                             static_cast<QObject*>(browseAnnounce_), static_cast<QObject*>(open_),
                             static_cast<QObject*>(browseOpen_)})
        Watch(control);
}

void OgmAdvancedPage::OnInit() {
    const std::string& def = definition_;
    const auto text = [&](const char* key, const std::string& fallback) {
        return QString::fromStdString(ReadProfileString(def, kIvr, key, fallback));
    };
    playEx_->setChecked(ReadProfileBool(def, kIvr, "playex", false));
    playExFile_->setText(text("playexfile", OgmFileWithExtension(def, ".wav")));
    log_->setChecked(ReadProfileBool(def, kIvr, "log", false));
    logName_->setText(text("logname", ""));
    logLine_->setText(text("logline", kDefaultLogLine));
    announce_->setChecked(ReadProfileBool(def, kIvr, "announcecall", false));
    announceFile_->setText(text("announceplay", ""));
    open_->setChecked(ReadProfileBool(def, kIvr, "open", false));
    openFile_->setText(text("openfile", ""));
    plugin_->setChecked(ReadProfileBool(def, kIvr, "openplugin", false));
}

void OgmAdvancedPage::UpdateControls() {
    playExFile_->setEnabled(playEx_->isChecked());
    browsePlayEx_->setEnabled(playEx_->isChecked());
    logName_->setEnabled(log_->isChecked());
    logLine_->setEnabled(log_->isChecked());
    announceFile_->setEnabled(announce_->isChecked());
    browseAnnounce_->setEnabled(announce_->isChecked());
    openFile_->setEnabled(open_->isChecked());
    browseOpen_->setEnabled(open_->isChecked());
    plugin_->setEnabled(open_->isChecked());
}

void OgmAdvancedPage::OnCommand(QObject* control) {
    QLineEdit* edit = nullptr;
    const char* filter = kWavOrMp3Filter;
    if (control == browsePlayEx_) {
        edit = playExFile_;
    } else if (control == browseAnnounce_) {
        edit = announceFile_;
    } else if (control == browseOpen_) {
        edit = openFile_;
        filter = kAllFilter;
    }
    if (edit == nullptr)
        return;
    if (const std::optional<QString> chosen =
            CurrentQuestions().AskOpenFile(this, {"Locate File", edit->text(), filter}))
        edit->setText(*chosen);
}

bool OgmAdvancedPage::OnApply() {
    KeyWriter writer(definition_);
    writer.Bool(kIvr, "playex", playEx_->isChecked());
    writer.Text(kIvr, "playexfile", playExFile_->text().toStdString());
    writer.Bool(kIvr, "log", log_->isChecked());
    writer.Text(kIvr, "logname", logName_->text().toStdString());
    writer.Text(kIvr, "logline", logLine_->text().toStdString());
    writer.Bool(kIvr, "announcecall", announce_->isChecked());
    writer.Text(kIvr, "announceplay", announceFile_->text().toStdString());
    writer.Bool(kIvr, "open", open_->isChecked());
    writer.Text(kIvr, "openfile", openFile_->text().toStdString());
    writer.Bool(kIvr, "openplugin", plugin_->isChecked());
    return writer.Confirm(this);
}

}  // namespace orvia
