#include "ui/speech/tts_input_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "speech/speech_engine.h"
#include "ui/framework/help.h"
#include "ui/speech/tts_wave_dialog.h"

namespace orvia {

LTTSInputDialog::LTTSInputDialog(QWidget* parent, std::string& text, int& engineIndex,
                                 std::string outputPath)
    : LPopupDialogBox(parent, kHelpSpeech),
      textOut_(text),
      engineOut_(engineIndex),
      outputPath_(std::move(outputPath)),
      text_(new QPlainTextEdit(this)),
      voices_(new QComboBox(this)),
      synthesize_(new QPushButton(tr("Synthesize Speech"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(tr("Synthesize Speech"));
    text_->setTabChangesFocus(true);
    auto* textLabel = new QLabel(tr(" &Text of Speech to Synthesize"), this);
    textLabel->setBuddy(text_);
    auto* voiceLabel = new QLabel(tr("&Voice or Speech Engine:"), this);
    voiceLabel->setBuddy(voices_);
    synthesize_->setDefault(true);
    cancel_->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(synthesize_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &LTTSInputDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LTTSInputDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textLabel);
    layout->addWidget(text_, 1);
    layout->addWidget(voiceLabel);
    layout->addWidget(voices_);
    layout->addWidget(buttons);
    const QFontMetrics metrics = fontMetrics();
    text_->setMinimumSize(metrics.averageCharWidth() * 52, metrics.lineSpacing() * 6);
}

void LTTSInputDialog::OnInit() {
    text_->setPlainText(QString::fromStdString(textOut_));
    voices_->clear();
    const int count = CountEngines();
    for (int index = 0; index < count; ++index)
        voices_->addItem(QString::fromStdString(EngineName(index)));
    voices_->setCurrentIndex(engineOut_ >= 0 && engineOut_ < count ? engineOut_ : -1);
    text_->setFocus();
}

bool LTTSInputDialog::OnApply() {
    textOut_ = text_->toPlainText().left(kTextMax).toStdString();
    engineOut_ = std::max(voices_->currentIndex(), 0);
    return SynthesizeWithProgress(this, textOut_, engineOut_, outputPath_);
}

}  // namespace orvia
