#include "ui/ogm/ogm_messages.h"

namespace orvia {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

Question DeleteOgmQuestion() {
    return {"Confirm Delete OGM", "Are you sure you wish to permanently delete this OGM?",
            QuestionIcon::Warning, QuestionButtons::YesNo};
}

Question RenameOgmWarning() {
    return {"Warning",
            "If you rename the OGM, you will also need to change any references to the OGM from "
            "any other Out Going Messages.",
            QuestionIcon::Warning, QuestionButtons::OkCancel};
}

Question RenameOgmFailed() {
    return {"Rename Fail", "Unable to rename file. That OGM already exists.", QuestionIcon::Warning,
            QuestionButtons::Ok};
}

Question ClearOgmAudioQuestion() {
    return {"Confirm Clear", "Are you sure you want to clear the audio of this OGM?",
            QuestionIcon::Question, QuestionButtons::YesNo};
}

Question NewAudioNotReadable(const std::string& input) {
    return {"Process Audio File",
            QString("The file \"%1\" could not be read as WAVE or MP3 audio. The recording was "
                    "not changed.")
                .arg(Text(input)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question NewAudioNotWritten(const std::string& recording) {
    return {"Process Audio File",
            QString("The new audio could not be written to \"%1\" (is the disk full, or the "
                    "folder not writable?). The recording was not changed.")
                .arg(Text(recording)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question InvalidDateTime(const std::string& field, const std::string& typed) {
    return {"Invalid Date",
            QString("\"%1\" is not a %2. Write a date as DD/MM/YY (with YY for a date in every "
                    "year), IMMEDIATE or NEVER, and a time as HH:MM:SS.")
                .arg(Text(typed), Text(field)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

}  // namespace orvia
