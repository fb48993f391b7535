// The audio menu of an OGM ("Change Message Audio...") and of a mailbox
// greeting ("Change Greeting..."): "&Record...", "&Load Wav or Mp3 File...",
// "&Synthesize Speech...", a separator, and the entry that removes the
// recording. Every way of bringing audio in ends in the conversion of
// new_audio_conversion.h. Record and Synthesize come from the installed
// record control and speech dialog (new_audio.h) and stay greyed while none
// is installed.
//
// Main thread only.
#pragma once

#include <QMenu>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "ui/framework/questions.h"

class QAction;

namespace orvia {

class RecordingLeveller;

struct NewAudioTarget {
    std::string recording;                // full path of the WAVE file replaced
    QString loadTitle;                    // title of the open-file dialog
    QString removeText;                   // "Clear &Audio", "Reset to &Default"
    std::optional<Question> removeAsked;  // asked before removing; Yes removes
};

class NewAudioMenu : public QMenu {
    Q_OBJECT

public:
    NewAudioMenu(QWidget* parent, NewAudioTarget target, RecordingLeveller& leveller);

    QAction* RecordAction() const { return record_; }
    QAction* LoadAction() const { return load_; }
    QAction* SynthesizeAction() const { return synthesize_; }
    QAction* RemoveAction() const { return remove_; }

    // Called after the recording was replaced or removed (not after a cancel).
    std::function<void()> changed;

private:
    void Record();
    void Load();
    void Synthesize();
    void Remove();
    // Converts a temporary file made by the record control or the speech
    // dialog and removes it.
    void TakeTemporary(const std::string& temporary);
    void Changed();

    NewAudioTarget target_;
    RecordingLeveller& leveller_;
    QAction* record_;
    QAction* load_;
    QAction* synthesize_;
    QAction* remove_;
};

}  // namespace orvia
