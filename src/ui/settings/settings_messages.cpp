#include "ui/settings/settings_messages.h"

#include "line/line_setup.h"

namespace orvia {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The stored texts use CR LF line ends; a message box wants LF.
QString Lines(const char* text) {
    return QString::fromUtf8(text).replace("\r\n", "\n");
}

}  // namespace

Question RemoveLineQuestion() {
    return {"Confirm Remove", "Are you sure you no longer want the Orvia to use the selected line?",
            QuestionIcon::Question, QuestionButtons::YesNo};
}

Question DeviceNotVoiceCapableMessage() {
    return {kDeviceErrorTitle, Lines(kDeviceErrorText), QuestionIcon::Exclamation,
            QuestionButtons::Ok};
}

Question CodecDefectiveMessage() {
    return {"CODEC Defective",
            "The codec that you have selected has a known defect which can cause the computer to "
            "become unstable. Please select a different codec.",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question StereoFormatMessage() {
    return {"Stereo Format Error",
            "The format that you select must be a mono (single channel) format!",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question FormatChoiceNotSavedMessage(const std::string& path) {
    return {"Settings",
            QString("The compression format could not be saved in \"%1\"; the format chosen "
                    "before stays in use.")
                .arg(Text(path)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question LogonEntryFailedMessage(bool on) {
    return {"Settings",
            on ? QString("Orvia could not write its autostart entry, so it will not start at "
                         "logon. Check that the folder ~/.config/autostart can be written.")
               : QString("Orvia could not remove its autostart entry "
                         "(~/.config/autostart/orvia.desktop); it still starts at logon."),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question DeviceSettingsRefusedMessage(const std::string& reason) {
    return {"Device Settings",
            QString("These settings cannot be used: %1.\n\nCorrect them, or Cancel to keep the "
                    "settings as they were.")
                .arg(Text(reason)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question DeviceSettingsNotSavedMessage(const std::string& path) {
    return {"Device Settings",
            QString("The settings could not be written to \"%1\" (is the disk full, or the file "
                    "not writable?). The file is unchanged.")
                .arg(Text(path)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question DeviceTypeNotEditableMessage(const std::string& name, const std::string& type,
                                      const std::string& path) {
    return {"Device Settings",
            QString("The device \"%1\" is of type \"%2\", whose settings cannot be changed "
                    "here. Edit its section in \"%3\".")
                .arg(Text(name), Text(type), Text(path)),
            QuestionIcon::Information, QuestionButtons::Ok};
}

Question TestMailResultMessage(bool sent, const std::string& text) {
    return {"Send Test Mail", Text(text),
            sent ? QuestionIcon::Information : QuestionIcon::Exclamation, QuestionButtons::Ok};
}

}  // namespace orvia
