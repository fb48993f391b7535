#include "ui/settings/transfer_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "audio/codec/format_choice.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/format/format_chooser.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/number_edit.h"
#include "ui/settings/db_edit.h"
#include "ui/settings/settings_messages.h"

namespace orvia {
namespace {

constexpr const char* kTransfer = "transfer";
constexpr const char* kSettings = "settings";

struct TransferKey {
    const char* key;
    const char* label;
    const char* def;
    bool blind;  // in the blind transfer group, else the confirmed one
};
constexpr TransferKey kTransferKeys[] = {
    {"blindprefix", "Dial &before the number:", "!,", true},
    {"blindsuffix", "Dial &after the number:", "", true},
    {"confirmedprefix", "Dial b&efore the number:", "!,", false},
    {"confirmedsuffix", "Dial a&fter the number:", "", false},
    {"confirmedcomplete", "Dial when &accepted:", "", false},
    {"confirmedreject", "Dial when &rejected:", "!,", false}};

QLineEdit* TransferLine(QFormLayout* form, const TransferKey& key) {
    auto* edit = new QLineEdit;
    edit->setObjectName(key.key);
    edit->setMaxLength(static_cast<int>(kProfileValueMax));
    form->addRow(QObject::tr(key.label), edit);
    return edit;
}

}  // namespace

LTransferPage::LTransferPage(FormatChooser chooser, QWidget* parent)
    : LPropertyPage(kHelpSettingsTransferRecord, parent),
      chooser_(chooser ? std::move(chooser) : FormatChooser(ChooseWaveFormat)),
      blindTapi_(new QCheckBox(tr("Use TAPI hardware Blind Transfer"))),
      maxRecTime_(new QLineEdit),
      detectEnd_(
          new QCheckBox(tr("Detect End of Call Tone (disable if Orvia hangs-up during call)"))),
      recThres_(new LDBEdit(-32, -12)),
      deleteDays_(MakeNumberEdit(nullptr, NumberSign::Signed)),
      compression_(new QPushButton(tr("Set Audio Compression Format (to reduce file size)..."))) {
    auto* blindGroup = new QGroupBox(tr("Blind Transfer"));
    auto* blind = new QFormLayout(blindGroup);
    auto* confirmedGroup = new QGroupBox(tr("Confirmed Transfer"));
    auto* confirmed = new QFormLayout(confirmedGroup);
    for (const TransferKey& key : kTransferKeys)
        TransferLine(key.blind ? blind : confirmed, key);
    blind->addRow(blindTapi_);

    auto* recordGroup = new QGroupBox(tr("Messages"));
    auto* record = new QGridLayout(recordGroup);
    maxRecTime_->setMaximumWidth(fontMetrics().averageCharWidth() * 14);
    deleteDays_->setMaximumWidth(fontMetrics().averageCharWidth() * 8);
    // A value with its unit beside it.
    auto withUnit = [](QWidget* field, const QString& unit) {
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        if (!unit.isEmpty())
            row->addWidget(new QLabel(unit));
        row->addStretch(1);
        return row;
    };
    record->addWidget(new QLabel(tr("Maximum record time")), 0, 0);
    record->addLayout(withUnit(maxRecTime_, tr("(h:mm:ss)")), 0, 1);
    record->addWidget(new QLabel(tr("Record Detect Level")), 1, 0);
    record->addLayout(withUnit(recThres_, QString()), 1, 1);
    record->addWidget(new QLabel(tr("Delete Messages after")), 2, 0);
    record->addLayout(withUnit(deleteDays_, tr("days")), 2, 1);
    record->addWidget(detectEnd_, 3, 0, 1, 2);
    record->addWidget(compression_, 4, 0, 1, 2, Qt::AlignLeft);
    record->setColumnStretch(1, 1);

    auto* transfers = new QHBoxLayout;
    transfers->addWidget(blindGroup);
    transfers->addWidget(confirmedGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(transfers);
    layout->addWidget(recordGroup);
    layout->addStretch(1);

    Watch(compression_);
}

QLineEdit* LTransferPage::TransferEdit(const char* key) const {
    return findChild<QLineEdit*>(QString::fromLatin1(key));
}

void LTransferPage::OnInit() {
    const std::string& file = Store().SettingsFile();
    for (const TransferKey& key : kTransferKeys)
        TransferEdit(key.key)->setText(
            QString::fromStdString(ReadProfileString(file, kTransfer, key.key, key.def)));
    blindTapi_->setChecked(ReadProfileBool(file, kTransfer, "blindtapi", false));
    const int32_t maxTicks = ReadProfileDuration(file, kSettings, "maxrectime", 300000);
    maxRecTime_->setText(QString::fromStdString(FormatDuration(maxTicks)).trimmed());
    detectEndShown_ = ReadProfileBool(file, kSettings, "detectendofcall", true);
    detectEnd_->setChecked(detectEndShown_);
    recThres_->SetValue(ReadProfileDb(file, kSettings, "recthres", -20));
    deleteDays_->setText(
        QString::fromStdString(ReadProfileString(file, kSettings, "deletefiledays", "30")));
}

bool LTransferPage::OnApply() {
    KeyWriter write(Store().SettingsFile());
    for (const TransferKey& key : kTransferKeys)
        write.Text(kTransfer, key.key, TransferEdit(key.key)->text().toStdString());
    write.Bool(kTransfer, "blindtapi", blindTapi_->isChecked());
    write.Duration(kSettings, "maxrectime", ParseDuration(maxRecTime_->text().toStdString()));
    write.Db(kSettings, "recthres", recThres_->Value());
    write.Text(kSettings, "deletefiledays", deleteDays_->text().toStdString());
    const bool detect = detectEnd_->isChecked();
    if (detect != detectEndShown_) {
        // The lines are opened in the other disconnect mode.
        write.Bool(kSettings, "detectendofcall", detect);
        write.Bool("state", "restart", true);
        if (write.Ok())
            detectEndShown_ = detect;
    }
    // A write that failed keeps the user on the page, told why.
    return write.Confirm(this);
}

void LTransferPage::OnCommand(QObject* control) {
    if (control == compression_)
        ChooseCompression();
}

void LTransferPage::ChooseCompression() {
    const std::string path = FormatChoicePath(Store().SettingsFile());
    WaveFormat format = ReadFormatChoice(path);
    if (!chooser_(this, &format))
        return;
    if (format.formatTag == kWaveFormatMpegLayer3) {
        CurrentQuestions().Ask(this, CodecDefectiveMessage());
        return;
    }
    if (format.channels != 1) {
        CurrentQuestions().Ask(this, StereoFormatMessage());
        return;
    }
    if (!WriteFormatChoice(path, format))
        CurrentQuestions().Ask(this, FormatChoiceNotSavedMessage(path));
}

}  // namespace orvia
