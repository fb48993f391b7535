#include "ui/main/main_messages.h"

namespace orvia {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

Question BackgroundQuestion() {
    return {"Confirm Stop", "Do you want Orvia to continue to operate in the background?",
            QuestionIcon::Question, QuestionButtons::YesNoCancel};
}

Question RenameMailboxWarning() {
    return {"Warning",
            "If you rename the Voice Mailbox, you will also need to change any references to the "
            "Mailbox from any Out Going Message (OGM Properties).",
            QuestionIcon::Warning, QuestionButtons::Ok};
}

Question DeleteMailboxQuestion() {
    return {"Confirm Delete Mailbox",
            "Are you sure you wish to permanently delete this Mailbox and any Messages?",
            QuestionIcon::Exclamation, QuestionButtons::YesNo};
}

Question NewMailboxRefused(const std::string& name) {
    return {"New Mailbox",
            QString("The Mailbox \"%1\" cannot be created: a Mailbox of that name exists "
                    "already, or the name cannot be a file name (it is empty, begins with a "
                    "dot or contains a slash).")
                .arg(Text(name)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question RenameMailboxRefused(const std::string& from, const std::string& to) {
    return {"Rename Fail",
            QString("The Mailbox \"%1\" cannot be renamed to \"%2\": a Mailbox or message "
                    "file of that name exists already, or the name cannot be a file name.")
                .arg(Text(from), Text(to)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question EmailNotSent(int notSent, int selected, const std::string& address,
                      const std::string& reason) {
    return {"Send Message by Email",
            QString("%1 of the %2 selected messages could not be sent to \"%3\": %4.")
                .arg(notSent)
                .arg(selected)
                .arg(Text(address), Text(reason)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question DeleteLogQuestion() {
    return {"Confirm Delete", "Are you sure you want to delete this log file?",
            QuestionIcon::Warning, QuestionButtons::YesNo};
}

Question DesktopHelperFailed(const std::string& what, const std::string& path) {
    return {"Orvia",
            QString("%1 could not be started for \"%2\". Install the desktop's helpers "
                    "(xdg-utils for viewing, cups-client for printing).")
                .arg(Text(what), Text(path)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question NoLineDevicesMessage(const std::string& telephonyConfig) {
    return {"No TAPI Devices",
            QString("No installed TAPI telephony line devices are detected.\n\n"
                    "If you are attempting to use a voice modem this might mean that the modem "
                    "is not actually a voice modem, the wrong drivers have been installed for "
                    "the modem, you are using Windows NT4 (most voice modems do not work under "
                    "NT4) or your modem is not 100% TAPI compliant.\n\n"
                    "If you are attempting to use professional telephony cards (eg. Dialogic) "
                    "it might mean you have not installed all required Hardware drivers, TAPI "
                    "drivers and Wave drivers.\n\n"
                    "Orvia takes its line devices (SIP lines, simulated lines) from %1.")
                .arg(Text(telephonyConfig)),
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

Question ServiceNeedsAdministrator(bool installing) {
    return {installing ? "Orvia" : "",
            "To fully install or deactivate this software as a service in Windows NT/2000, "
            "Administrator Access is required. You can run the software now but please "
            "re-install the software again once you have logged in as an administrator.",
            QuestionIcon::Exclamation, QuestionButtons::Ok};
}

}  // namespace orvia
