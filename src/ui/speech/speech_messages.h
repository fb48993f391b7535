// The message boxes of speech synthesis.
#pragma once

#include <string>

#include "ui/framework/questions.h"

namespace orvia {

// Where the message about a missing speech engine sends the user.
inline constexpr const char* kSpeechWebPage = "https://github.com/espeak-ng/espeak-ng";

// No engine, or no voice at all.
Question EngineNotAvailableMessage();
// The speech could not be written to the file.
Question SpeechNotWrittenMessage(const std::string& path);

}  // namespace orvia
