// The message boxes of the OGM editor and of bringing in new audio:
// captions, texts, icons and buttons in one place, so the flows, the tests
// and the pictures of the dialogs use the same words.
#pragma once

#include <string>

#include "ui/framework/questions.h"

namespace orvia {

// The OGM list.
Question DeleteOgmQuestion();
Question RenameOgmWarning();
Question RenameOgmFailed();
// The audio menu of an OGM.
Question ClearOgmAudioQuestion();
// New audio that could not be brought in (what went wrong, the file named);
// the old recording is kept.
Question NewAudioNotReadable(const std::string& input);
Question NewAudioNotWritten(const std::string& recording);
// A date or time typed on the Date-Time/CID page that cannot be read.
Question InvalidDateTime(const std::string& field, const std::string& typed);

}  // namespace orvia
