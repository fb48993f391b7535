// Where new audio for an OGM or a mailbox greeting comes from besides a file:
// the record control (recording from the sound card) and the speech dialog
// (synthesis from typed text). The OGM properties and the mailbox dialog ask
// through CurrentNewAudio(); the record control and the speech dialog install
// themselves with SetNewAudio(). Both write a temporary WAVE file that the
// asking dialog then converts to the line format and removes. Until a source
// is installed its menu entry is shown, greyed.
//
// Main thread only.
#pragma once

#include <string>

class QWidget;

namespace orvia {

class NewAudio {
public:
    virtual ~NewAudio() = default;

    virtual bool CanRecord() const { return false; }
    // Records into wavePath (8000 Hz, one channel) with the record control's
    // settings, writing them back when the recording is accepted; true when
    // the user accepted a recording.
    virtual bool Record(QWidget* parent, const std::string& wavePath) {
        (void)parent;
        (void)wavePath;
        return false;
    }

    virtual bool CanSynthesize() const { return false; }
    // The "Synthesize Speech" dialog with "preferredspeaker" proposed (and
    // written back on success); true when wavePath holds the speech.
    virtual bool Synthesize(QWidget* parent, const std::string& wavePath) {
        (void)parent;
        (void)wavePath;
        return false;
    }
};

// The installed sources; one that offers neither while none is installed.
NewAudio& CurrentNewAudio();
// Installs sources (null: none). The caller keeps them alive while installed.
void SetNewAudio(NewAudio* sources);

}  // namespace orvia
