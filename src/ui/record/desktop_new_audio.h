// The desktop's sources of new audio for OGMs and mailbox greetings (the
// NewAudio seam of the framework): the record control, and the speech
// dialog. The desktop front end installs them.
//
// Record opens the record control on the file with the record control's
// settings (written back when a recording is kept; Record Next keeps it
// too), titled after the asking window; a recording that is not kept, or is
// empty, is removed. Synthesize opens "Synthesize Speech" with the voice of
// "preferredspeaker" (written back on success) and the text typed last.
//
// Main thread only.
#pragma once

#include <string>

#include "ui/framework/new_audio.h"

namespace orvia {

class DesktopNewAudio : public NewAudio {
public:
    bool CanRecord() const override { return true; }
    bool Record(QWidget* parent, const std::string& wavePath) override;
    bool CanSynthesize() const override { return true; }
    bool Synthesize(QWidget* parent, const std::string& wavePath) override;

private:
    std::string text_;
};

// The process's instance.
DesktopNewAudio& DesktopNewAudioSources();

}  // namespace orvia
