// The "Message" page of the OGM properties: the recording (play it, change
// it through the audio menu), the wait for a key and the repeats, what
// happens at the end of the message ("Then:" with its "Details"), the
// script/notes text file and whether the OGM is listed as an answer OGM.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/property_page.h"
#include "ui/ogm/audio_services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvia {

class NewAudioMenu;
class PlayToggle;

class OgmMessagePage : public LPropertyPage {
    Q_OBJECT

public:
    // The notes show at most this many bytes of the ".txt" file.
    static constexpr int kNotesShown = 8191;

    OgmMessagePage(const std::string& name, const AudioServices& services);

    QPushButton* PlayButton() const { return play_; }
    QPushButton* ChangeAudioButton() const { return changeAudio_; }
    NewAudioMenu* AudioMenu() const { return audioMenu_; }
    QLabel* RecordingLabel() const { return recording_; }
    QLineEdit* WaitEdit() const { return wait_; }
    QLineEdit* RepeatEdit() const { return repeat_; }
    QComboBox* ThenChoice() const { return then_; }
    QPushButton* ThenDetails() const { return thenDetails_; }
    QPlainTextEdit* NotesEdit() const { return notes_; }
    QCheckBox* AnswerCheck() const { return answer_; }

protected:
    void OnInit() override;
    bool OnApply() override;
    void UpdateControls() override;
    void OnCommand(QObject* control) override;

private:
    void ShowRecording();

    std::string definition_;
    std::string wave_;
    std::string notesFile_;
    QPushButton* play_;
    QPushButton* changeAudio_;
    QLabel* recording_;
    QLineEdit* wait_;
    QLineEdit* repeat_;
    QComboBox* then_;
    QPushButton* thenDetails_;
    QPlainTextEdit* notes_;
    QCheckBox* answer_;
    NewAudioMenu* audioMenu_;
    PlayToggle* playToggle_;
};

}  // namespace orvia
