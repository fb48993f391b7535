#include "ui/speech/speech_messages.h"

namespace orvia {

Question EngineNotAvailableMessage() {
    return {
        "Engine Not Available",
        QString("No Speech Engine Installed.\n\nIn order to use the Speech Synthesizer you must "
                "install a speech engine. You can download the free Microsoft engine using "
                "the links on %1.")
            .arg(kSpeechWebPage),
        QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question SpeechNotWrittenMessage(const std::string& path) {
    return {"Synthesize Speech",
            QString("The speech could not be written to \"%1\" (the folder is missing or full, or "
                    "the engine refused the text).")
                .arg(QString::fromStdString(path)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

}  // namespace orvia
