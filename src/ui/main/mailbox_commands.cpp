#include "ui/main/mailbox_commands.h"

#include "app/core/mailbox_actions.h"
#include "ui/framework/questions.h"
#include "ui/main/main_messages.h"
#include "ui/main/main_window_dialogs.h"

namespace orvia {

bool NewMailbox(QWidget* parent, const MainWindowDialogs& dialogs) {
    const std::optional<QString> answer = CurrentQuestions().AskText(
        parent, "Enter New Mailbox Name", QString::fromStdString(ProposeNewMailboxName()));
    if (!answer)
        return false;
    const std::string name = answer->toStdString();
    if (!CreateMailbox(name)) {
        CurrentQuestions().Ask(parent, NewMailboxRefused(name));
        return false;
    }
    const bool accepted = !dialogs.mailboxProperties || dialogs.mailboxProperties(parent, name);
    if (accepted)
        SelectMailbox(name);
    return true;
}

bool RenameMailboxAsked(QWidget* parent, const std::string& name) {
    if (name.empty())
        return false;
    CurrentQuestions().Ask(parent, RenameMailboxWarning());
    const std::optional<QString> answer =
        CurrentQuestions().AskText(parent, "Enter Mailbox Name", QString::fromStdString(name));
    if (!answer || answer->toStdString() == name)
        return false;
    const std::string to = answer->toStdString();
    if (!RenameMailbox(name, to)) {
        CurrentQuestions().Ask(parent, RenameMailboxRefused(name, to));
        return false;
    }
    return true;
}

bool DeleteMailboxAsked(QWidget* parent, const std::string& name) {
    if (name.empty())
        return false;
    if (CurrentQuestions().Ask(parent, DeleteMailboxQuestion()) != Answer::Yes)
        return false;
    return DeleteMailbox(name);
}

}  // namespace orvia
