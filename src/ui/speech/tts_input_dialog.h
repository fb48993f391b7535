// LTTSInputDialog, "Synthesize Speech": the text to speak and the voice
// (the speech engine's voices, in its order). "Synthesize Speech" copies the
// text (up to 8192 characters) and the chosen voice's position (0 when none
// is chosen) to the caller and synthesises into the output file; the dialog
// closes only when that succeeded, and otherwise stays open with the text
// kept. "Cancel" closes without synthesis.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/popup_dialog_box.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace orvia {

class LTTSInputDialog : public LPopupDialogBox {
    Q_OBJECT

public:
    static constexpr int kTextMax = 8192;

    // text and engineIndex are the caller's: shown, and written on success.
    LTTSInputDialog(QWidget* parent, std::string& text, int& engineIndex, std::string outputPath);

    void OnInit() override;
    bool OnApply() override;

    QPlainTextEdit* Text() const { return text_; }
    QComboBox* Voices() const { return voices_; }
    QPushButton* SynthesizeButton() const { return synthesize_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    std::string& textOut_;
    int& engineOut_;
    std::string outputPath_;
    QPlainTextEdit* text_;
    QComboBox* voices_;
    QPushButton* synthesize_;
    QPushButton* cancel_;
};

}  // namespace orvia
