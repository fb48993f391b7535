// Speech synthesis into a WAVE file: what the "Synthesize Speech" dialogs and
// the installed system prompts use.
//
// The text is spoken at the engine's own rate into a temporary file beside
// the destination, converted to the asked rate when it differs, checked, and
// only then renamed to the destination. So a synthesis that fails or is
// cancelled never leaves a partial file under the destination's name, and an
// existing file there is replaced only by a complete one.
//
// Any thread may call these; like every synthesis they are serialised by the
// engine's lock and block the caller until the file is complete.
#pragma once

#include <string>

#include "speech/speech_engine.h"

namespace orvia {

// Speaks request.text into a 16-bit mono PCM WAVE file at sampleRate frames
// per second (0: the engine's own rate). The voice is chosen as for
// SynthesizeToSink. Besides the engine's results, a file that cannot be
// written (no folder, no room) gives Failed.
SpeechResult SynthesizeToFile(const SpeechRequest& request, const std::string& path,
                              int sampleRate = 0);

// The same with the voice at engineIndex (the last voice when the list is
// shorter) at the engine's own rate.
SpeechResult SynthesizeToFile(const std::string& text, int engineIndex, const std::string& path);

}  // namespace orvia
