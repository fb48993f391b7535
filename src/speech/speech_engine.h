// Speech synthesis: the installed voices and speaking a text into a sound
// sink, over espeak-ng.
//
// An engine index counts positions in the voice list. espeak-ng keeps one
// global state, so every call is serialised by one process-wide lock; any
// thread may call these, and a synthesis blocks its caller until it ends or
// is cancelled.
#pragma once

#include <functional>
#include <string>

#include "audio/sound_source.h"

namespace orvia {

// Number of installed voices; 0 when the engine cannot start.
int CountEngines();
// The name of the voice at index, empty when there is none.
std::string EngineName(int index);
// Frames per second of the engine's output; 0 when the engine cannot start.
int SpeechSampleRate();

enum class SpeechResult {
    Ok,
    NoEngine,   // the engine cannot start or has no voice
    NoVoice,    // the voice asked for by name is not installed
    Cancelled,  // the cancel test asked to stop
    Failed,     // the engine refused the text, or the sink is invalid
};

struct SpeechRequest {
    std::string text;
    // The voice at this position; the last voice when the list is shorter.
    int engineIndex = 0;
    // When not empty, the voice of this name instead of engineIndex.
    std::string voiceName;
    // Asked between pieces of audio; true stops the synthesis.
    std::function<bool()> cancelled;
};

// Speaks the text into a sink of one channel at SpeechSampleRate() frames
// per second (16-bit full scale).
SpeechResult SynthesizeToSink(const SpeechRequest& request, const LSoundSink& sink);

const char* SpeechResultText(SpeechResult result);

}  // namespace orvia
