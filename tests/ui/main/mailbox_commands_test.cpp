// The Mailbox menu through the main window: new, rename and delete, with the
// questions answered by the test and the files they change.
#include <QAction>
#include <QComboBox>

#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/main/main_messages.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_view.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

class MailboxMenuTest : public DesktopTest {
protected:
    std::string ShownSetting() const {
        return ReadProfileString(data_.Settings(), "settings", "mbx", "");
    }
};

TEST_F(MailboxMenuTest, NewProposesTheFirstFreeNameAndShowsTheMailboxWhenItsPropertiesAreAccepted) {
    data_.Mailbox("Default");
    data_.Mailbox("Mailbox 1");
    std::vector<std::string> propertiesOpened;
    bool accept = true;
    dialogs_.mailboxProperties = [&](QWidget*, const std::string& name) {
        propertiesOpened.push_back(name);
        return accept;
    };
    Create();
    MainWindow& w = Window();

    questions_.QueueText(QString("Sales"));
    w.Actions().mailboxNew->trigger();
    ASSERT_EQ(questions_.textsAsked.size(), 1u);
    EXPECT_EQ(questions_.textsAsked[0].first, "Enter New Mailbox Name");
    EXPECT_EQ(questions_.textsAsked[0].second, "Mailbox 2");
    EXPECT_TRUE(FileExists(data_.Box("Sales.mbx")));
    EXPECT_EQ(propertiesOpened, (std::vector<std::string>{"Sales"}));
    EXPECT_EQ(ShownSetting(), "Sales");
    EXPECT_EQ(w.MailboxSelector()->currentText(), "Sales");
    EXPECT_EQ(w.MailboxSelector()->count(), 3);

    // Properties cancelled: the mailbox exists and is listed, the one shown stays.
    accept = false;
    questions_.QueueText(QString("Orders"));
    w.Actions().mailboxNew->trigger();
    EXPECT_TRUE(FileExists(data_.Box("Orders.mbx")));
    EXPECT_EQ(ShownSetting(), "Sales");
    EXPECT_EQ(w.MailboxSelector()->currentText(), "Sales");
    EXPECT_EQ(w.MailboxSelector()->findText("Orders"), 2);

    // The name dialog cancelled: nothing happens.
    questions_.QueueText(std::nullopt);
    w.Actions().mailboxNew->trigger();
    EXPECT_EQ(propertiesOpened.size(), 2u);

    // A name that exists or cannot be a file name is refused with a message.
    for (const char* refused : {"Default", "../Escape", ".hidden", ""}) {
        questions_.QueueText(QString(refused));
        questions_.QueueAnswer(Answer::Ok);
        w.Actions().mailboxNew->trigger();
        EXPECT_EQ(questions_.asked.back().caption, "New Mailbox") << refused;
    }
    EXPECT_FALSE(FileExists(Store().DataFolder() + "Escape.mbx"));
    EXPECT_EQ(propertiesOpened.size(), 2u);
}

TEST_F(MailboxMenuTest, RenameWarnsThenRenamesTheMailboxWithItsMessages) {
    data_.Mailbox("Default");
    data_.Mailbox("Sales");
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "mbx", "Sales"));
    data_.Message("Sales", 1);
    data_.Message("Sales", 2);
    Create();
    MainWindow& w = Window();

    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Sales Dept"));
    w.Actions().mailboxRename->trigger();
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, RenameMailboxWarning().caption);
    EXPECT_EQ(questions_.asked[0].text.toStdString(),
              "If you rename the Voice Mailbox, you will also need to change any references to "
              "the Mailbox from any Out Going Message (OGM Properties).");
    EXPECT_EQ(questions_.textsAsked[0],
              (std::pair<QString, QString>{"Enter Mailbox Name", "Sales"}));
    EXPECT_FALSE(FileExists(data_.Box("Sales.mbx")));
    EXPECT_TRUE(FileExists(data_.Box("Sales Dept.mbx")));
    for (const char* file : {"Sales Dept ICM000001.ini", "Sales Dept ICM000001.wav",
                             "Sales Dept ICM000002.ini", "Sales Dept ICM000002.wav"})
        EXPECT_TRUE(FileExists(data_.Box(file))) << file;
    EXPECT_EQ(ShownSetting(), "Sales Dept");
    EXPECT_EQ(w.MailboxSelector()->currentText(), "Sales Dept");
    EXPECT_EQ(w.Messages()->topLevelItemCount(), 2);

    // Onto an existing mailbox: refused, nothing changed.
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Default"));
    questions_.QueueAnswer(Answer::Ok);
    w.Actions().mailboxRename->trigger();
    EXPECT_EQ(questions_.asked.back().caption, "Rename Fail");
    EXPECT_TRUE(FileExists(data_.Box("Sales Dept.mbx")));
    EXPECT_TRUE(FileExists(data_.Box("Sales Dept ICM000001.wav")));

    // The same name: nothing to do, nothing asked after the name.
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Sales Dept"));
    w.Actions().mailboxRename->trigger();
    EXPECT_EQ(questions_.asked.size(), 4u);
}

TEST_F(MailboxMenuTest, DeleteAsksAndDeletesTheMailboxWithItsMessages) {
    data_.Mailbox("Default");
    data_.Mailbox("Sales");
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "mbx", "Sales"));
    const std::string message = data_.Message("Sales", 1);
    const std::string other = data_.Message("Default", 1);
    Create();
    MainWindow& w = Window();

    questions_.QueueAnswer(Answer::No);
    w.Actions().mailboxDelete->trigger();
    const Question& asked = questions_.asked.at(0);
    EXPECT_EQ(asked.caption, "Confirm Delete Mailbox");
    EXPECT_EQ(asked.text,
              "Are you sure you wish to permanently delete this Mailbox and any Messages?");
    EXPECT_EQ(asked.buttons, QuestionButtons::YesNo);
    EXPECT_EQ(asked.icon, QuestionIcon::Exclamation);
    EXPECT_TRUE(FileExists(data_.Box("Sales.mbx")));

    questions_.QueueAnswer(Answer::Yes);
    w.Actions().mailboxDelete->trigger();
    EXPECT_FALSE(FileExists(data_.Box("Sales.mbx")));
    EXPECT_FALSE(FileExists(message));
    EXPECT_FALSE(FileExists(data_.Box("Sales ICM000001.wav")));
    EXPECT_TRUE(FileExists(other));
    // The list falls back to the first mailbox with its messages.
    EXPECT_EQ(w.MailboxSelector()->count(), 1);
    EXPECT_EQ(w.MailboxSelector()->currentText(), "Default");
    EXPECT_EQ(w.Messages()->topLevelItemCount(), 1);
}

}  // namespace
}  // namespace orvia::test
