// LTransferPage, the settings sheet's "Transfer/Record" page: the dial
// strings of blind and confirmed transfers (section "transfer"), the
// longest message, end-of-call detection, the record detect level and the
// age at which messages are deleted (section "settings"), and the choice of
// the compression format for messages.
//
// A change of end-of-call detection writes "state"/"restart" = "true": the
// lines are opened again in the other disconnect mode. The compression
// format is saved the moment it is chosen, whatever the sheet's OK or Cancel.
//
// Main thread only.
#pragma once

#include <functional>

#include "audio/codec/wave_format.h"
#include "ui/framework/property_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace orvia {

class LDBEdit;

// Shows the format chooser over the given format; true with the choice in
// *format, false when cancelled.
using FormatChooser = std::function<bool(QWidget* parent, WaveFormat* format)>;

class LTransferPage : public LPropertyPage {
    Q_OBJECT

public:
    // The real chooser (ChooseWaveFormat) unless another is given.
    explicit LTransferPage(FormatChooser chooser = {}, QWidget* parent = nullptr);

    void OnInit() override;
    bool OnApply() override;
    void OnCommand(QObject* control) override;

    // The transfer edits, in the order of their keys.
    QLineEdit* TransferEdit(const char* key) const;
    QCheckBox* BlindTapi() const { return blindTapi_; }
    QLineEdit* MaxRecordTime() const { return maxRecTime_; }
    QCheckBox* DetectEndOfCall() const { return detectEnd_; }
    LDBEdit* RecordThreshold() const { return recThres_; }
    QLineEdit* DeleteDays() const { return deleteDays_; }
    QPushButton* CompressionButton() const { return compression_; }

private:
    void ChooseCompression();

    FormatChooser chooser_;
    QCheckBox* blindTapi_;
    QLineEdit* maxRecTime_;
    QCheckBox* detectEnd_;
    LDBEdit* recThres_;
    QLineEdit* deleteDays_;
    QPushButton* compression_;
    bool detectEndShown_ = true;
};

}  // namespace orvia
