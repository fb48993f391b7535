// ChooseWaveFormat: the compression format chooser "Select Wave File
// Format". It lists every format the codec layer can encode, by format and
// then by attributes (rate, bits, channels, data rate), starting from the
// given format; a given format the layer does not know is listed too, so
// the current choice is always shown. OK with a format that 16-bit PCM
// cannot be converted to says "Format Not Available" and keeps the chooser
// open.
//
// Main thread only.
#pragma once

#include <vector>

#include "audio/codec/wave_format.h"
#include "ui/framework/popup_dialog_box.h"
#include "ui/framework/questions.h"

class QComboBox;

namespace orvia {

// The format tag of MPEG Layer-3, which no codec here writes.
inline constexpr uint16_t kWaveFormatMpegLayer3 = 85;

// Shows the chooser over *format; true with the choice in *format, false
// (and *format unchanged) when cancelled.
bool ChooseWaveFormat(QWidget* parent, WaveFormat* format);

// "Format Not Available".
Question FormatNotAvailableMessage();

// The name of a format tag as the chooser lists it ("GSM 6.10").
QString FormatTagName(uint16_t tag);
// A format's attributes as the chooser lists them
// ("8000 Hz, 16 bit, mono, 16000 bytes/s").
QString FormatAttributes(const WaveFormat& format);

class FormatChooserDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    FormatChooserDialog(QWidget* parent, const WaveFormat& initial);

    void OnInit() override;
    bool OnApply() override;
    void OnCommand(QObject* control) override;

    // The format of the attributes selected.
    WaveFormat Chosen() const;

    QComboBox* Formats() const { return tags_; }
    QComboBox* Attributes() const { return attributes_; }

private:
    void FillAttributes(const WaveFormat* select);

    WaveFormat initial_;
    std::vector<WaveFormat> formats_;
    QComboBox* tags_;
    QComboBox* attributes_;
};

}  // namespace orvia
