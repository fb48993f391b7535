#include "ui/record/record_dialog_advanced.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ui/framework/help.h"
#include "ui/framework/standard_buttons.h"
#include "ui/record/record_params.h"
#include "ui/settings/db_edit.h"

namespace orvia {

LRecordDlgAdvanced::LRecordDlgAdvanced(QWidget* parent, LRecordParams& params)
    : LPopupDialogBox(parent, kHelpRecordControl),
      params_(params),
      autoTrim_(new QCheckBox(tr("&AutoTrim Recording"), this)),
      voiceActivated_(new QCheckBox(tr("&Voice Activated Recording"), this)),
      threshold_(new LDBEdit(-40, -6, this)) {
    setWindowTitle(tr("Advanced Settings"));
    autoTrim_->setToolTip(tr("Recording begins when the input rises above the threshold"));
    voiceActivated_->setToolTip(tr("More than 5 seconds of silence pause the recording"));
    auto* form = new QFormLayout;
    form->addRow(tr("&Threshold:"), threshold_);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(autoTrim_);
    layout->addWidget(voiceActivated_);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void LRecordDlgAdvanced::OnInit() {
    autoTrim_->setChecked((params_.flags & LRecordParams::kAutoTrim) != 0);
    voiceActivated_->setChecked((params_.flags & LRecordParams::kVoiceActivated) != 0);
    threshold_->SetValue(params_.threshold);
}

bool LRecordDlgAdvanced::OnApply() {
    uint16_t flags = params_.flags & ~(LRecordParams::kAutoTrim | LRecordParams::kVoiceActivated);
    if (autoTrim_->isChecked())
        flags |= LRecordParams::kAutoTrim;
    if (voiceActivated_->isChecked())
        flags |= LRecordParams::kVoiceActivated;
    params_.flags = flags;
    params_.threshold = threshold_->Value();
    return true;
}

}  // namespace orvia
