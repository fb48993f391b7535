// LRecordDlgAdvanced, "Advanced Settings" of the record control: AutoTrim
// (recording waits for sound above the threshold), voice-activated
// recording (silence pauses it) and the threshold (-40..-6 dB). OK stores
// them into the parameter block.
//
// Main thread only.
#pragma once

#include "ui/framework/popup_dialog_box.h"

class QCheckBox;

namespace orvia {

class LDBEdit;
struct LRecordParams;

class LRecordDlgAdvanced : public LPopupDialogBox {
    Q_OBJECT

public:
    LRecordDlgAdvanced(QWidget* parent, LRecordParams& params);

    void OnInit() override;
    bool OnApply() override;

    QCheckBox* AutoTrim() const { return autoTrim_; }
    QCheckBox* VoiceActivated() const { return voiceActivated_; }
    LDBEdit* Threshold() const { return threshold_; }

private:
    LRecordParams& params_;
    QCheckBox* autoTrim_;
    QCheckBox* voiceActivated_;
    LDBEdit* threshold_;
};

}  // namespace orvia
