#include "ui/format/format_chooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "audio/codec/format_choice.h"
#include "ui/framework/help.h"
#include "ui/framework/standard_buttons.h"

namespace orvia {

Question FormatNotAvailableMessage() {
    return {"Format Not Available",
            "The requested format is not available because the required CODEC is not installed "
            "on this computer.",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

QString FormatTagName(uint16_t tag) {
    switch (tag) {
        case kWaveFormatPcm:
            return "PCM";
        case kWaveFormatALaw:
            return "A-law (G.711)";
        case kWaveFormatMuLaw:
            return "mu-law (G.711)";
        case kWaveFormatImaAdpcm:
            return "IMA ADPCM";
        case kWaveFormatMsAdpcm:
            return "Microsoft ADPCM";
        case kWaveFormatGsm610:
            return "GSM 6.10";
        case kWaveFormatMpegLayer3:
            return "MPEG Layer-3";
        default:
            return QString("Format 0x%1").arg(QString("%1").arg(tag, 4, 16, QChar('0')).toUpper());
    }
}

QString FormatAttributes(const WaveFormat& format) {
    QString text = QString("%1 Hz").arg(format.samplesPerSec);
    if (format.bitsPerSample != 0)
        text += QString(", %1 bit").arg(format.bitsPerSample);
    text += format.channels == 1   ? QString(", mono")
            : format.channels == 2 ? QString(", stereo")
                                   : QString(", %1 channels").arg(format.channels);
    return text + QString(", %1 bytes/s").arg(format.avgBytesPerSec);
}

bool ChooseWaveFormat(QWidget* parent, WaveFormat* format) {
    FormatChooserDialog dialog(parent, *format);
    if (!dialog.Run())
        return false;
    *format = dialog.Chosen();
    return true;
}

FormatChooserDialog::FormatChooserDialog(QWidget* parent, const WaveFormat& initial)
    : LPopupDialogBox(parent, kHelpFormatChooser),
      initial_(initial),
      tags_(new QComboBox(this)),
      attributes_(new QComboBox(this)) {
    setWindowTitle(tr("Select Wave File Format"));
    for (EncodableFormat& entry : ListEncodableFormats())
        formats_.push_back(std::move(entry.format));
    if (std::find(formats_.begin(), formats_.end(), initial_) == formats_.end())
        formats_.push_back(initial_);  // the current choice, whatever it is
    attributes_->setMinimumWidth(fontMetrics().averageCharWidth() * 44);

    auto* form = new QFormLayout;
    form->addRow(tr("&Format:"), tags_);
    form->addRow(tr("&Attributes:"), attributes_);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    Watch(tags_);
}

void FormatChooserDialog::OnInit() {
    tags_->clear();
    for (const WaveFormat& format : formats_) {
        if (tags_->findData(format.formatTag) < 0)
            tags_->addItem(FormatTagName(format.formatTag), format.formatTag);
    }
    tags_->setCurrentIndex(tags_->findData(initial_.formatTag));
    FillAttributes(&initial_);
}

void FormatChooserDialog::OnCommand(QObject* control) {
    if (control == tags_)
        FillAttributes(nullptr);
}

void FormatChooserDialog::FillAttributes(const WaveFormat* select) {
    attributes_->clear();
    const uint16_t tag = static_cast<uint16_t>(tags_->currentData().toUInt());
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        if (formats_[i].formatTag != tag)
            continue;
        attributes_->addItem(FormatAttributes(formats_[i]), static_cast<int>(i));
        if (select != nullptr && formats_[i] == *select)
            attributes_->setCurrentIndex(attributes_->count() - 1);
    }
    if (attributes_->currentIndex() < 0 && attributes_->count() > 0)
        attributes_->setCurrentIndex(0);
}

WaveFormat FormatChooserDialog::Chosen() const {
    const int index = attributes_->currentData().toInt();
    if (attributes_->currentIndex() < 0 || index < 0 || index >= static_cast<int>(formats_.size()))
        return initial_;
    return formats_[static_cast<std::size_t>(index)];
}

bool FormatChooserDialog::OnApply() {
    if (CanConvertFromPcm16(Chosen()))
        return true;
    CurrentQuestions().Ask(this, FormatNotAvailableMessage());
    return false;  // the chooser again
}

}  // namespace orvia
