#include "ui/main/message_commands.h"

#include <QApplication>
#include <QCursor>
#include <memory>

#include "app/core/message_actions.h"
#include "ui/framework/progress_dialog.h"
#include "ui/framework/questions.h"
#include "ui/main/email_dialog.h"
#include "ui/main/main_messages.h"
#include "ui/main/message_list_view.h"

namespace orvia {
namespace {

// The progress dialog of the compression before mailing, shown when the
// first recording that needs it is compressed and kept until the action
// ends.
class CompressionProgress {
public:
    explicit CompressionProgress(QWidget* owner) : owner_(owner) {}

    bool Cancelled() { return Dialog().Cancelled(); }
    void Progress(int percent) { Dialog().SetPercent(percent); }

private:
    LProgressDialog& Dialog() {
        if (!dialog_)
            dialog_ = std::make_unique<LProgressDialog>(owner_, "Compress Audio File", "Orvia");
        return *dialog_;
    }

    QWidget* owner_;
    std::unique_ptr<LProgressDialog> dialog_;
};

// A wait cursor while the mail goes out (the window does not answer then).
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

bool PlaySelectedMessage(DesktopPlayback& playback, MessageListView& list) {
    const std::vector<std::string> selected = list.SelectedMessages();
    if (selected.empty())
        return false;
    if (!PlayMessage(playback, selected.front()))
        return false;
    list.MarkRead(selected.front());
    return true;
}

void SaveSelectedMessages(QWidget* parent, const MessageListView& list) {
    MarkMessagesSeen();
    for (const std::string& messageIni : list.SelectedMessages()) {
        const FileQuestion question{"Save Message As..",
                                    QString::fromStdString(SaveDialogStart(messageIni)),
                                    "Wave Files (*.wav)"};
        const std::optional<QString> path = CurrentQuestions().AskSaveFile(parent, question);
        if (!path)
            return;
        if (!SaveMessageAs(messageIni, path->toStdString())) {
            CurrentQuestions().Ask(
                parent, {"Save Message As..",
                         QString("The message could not be saved as \"%1\" (the folder may not "
                                 "be writable, or the disk is full).")
                             .arg(*path),
                         QuestionIcon::Exclamation, QuestionButtons::Ok});
            return;
        }
    }
}

void DeleteSelectedMessages(MessageListView& list) {
    MarkMessagesSeen();
    for (const std::string& messageIni : list.SelectedMessages()) {
        if (DeleteMessage(messageIni))
            list.Remove(messageIni);
    }
}

void EmailSelectedMessages(QWidget* parent, const MessageListView& list,
                           const std::string& mailbox) {
    ManualEmail email;
    email.messageInis = list.SelectedMessages();
    if (email.messageInis.empty())
        return;
    MarkMessagesSeen();
    email.address = LastEmailAddress();
    EmailDialog dialog(parent, email.address, email.note);
    if (!dialog.Run())
        return;
    email.mailboxName = mailbox;
    ManualEmailResult result;
    {
        CompressionProgress progress(parent);
        email.cancelled = [&progress] { return progress.Cancelled(); };
        email.progress = [&progress](int percent) { progress.Progress(percent); };
        const WaitCursor wait;
        result = EmailMessages(email);
    }
    // A refused mail or a failed compression is told, not passed over as if
    // the mail had gone; a cancel by the user alone needs no message.
    if (!result.failure.empty()) {
        const int selected = static_cast<int>(email.messageInis.size());
        CurrentQuestions().Ask(parent, EmailNotSent(selected - result.accepted, selected,
                                                    email.address, result.failure));
    }
}

}  // namespace orvia
