// The "OGM List" dialog through its buttons: the new-name proposal and the
// name rules, the copy a new OGM starts from, rename and delete with the
// files they move or leave, and "&Play".
#include "ui/ogm/ogm_list_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "engine/ogm_files.h"
#include "ogm_fixtures.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/ogm/ogm_editor_dialogs.h"
#include "ui/ogm/ogm_files_commands.h"
#include "ui/ogm/ogm_messages.h"

namespace orvia::test {
namespace {

class OgmListTest : public OgmEditorTest {
protected:
    std::vector<std::string> Listed(const OgmListDialog& dialog) const {
        std::vector<std::string> names;
        for (int row = 0; row < dialog.List()->count(); ++row)
            names.push_back(dialog.List()->item(row)->text().toStdString());
        return names;
    }
    static std::string Selected(const OgmListDialog& dialog) {
        const QListWidgetItem* item = dialog.List()->currentItem();
        return item != nullptr && item->isSelected() ? item->text().toStdString() : "";
    }
    // The sheet opened by a command: OK or Cancel, noting its title.
    void QueueSheet(bool ok) {
        questions_.QueueDialog([ok](QDialog& sheet) {
            EXPECT_EQ(sheet.windowTitle(), "OGM Properties");
            ok ? sheet.accept() : sheet.reject();
        });
    }
};

TEST(OgmNameRules, TypedNamesLoseTheCharactersThatCannotBeInAnOgmName) {
    const std::pair<const char*, const char*> cases[] = {
        {"Sales.old", "Salesold"}, {"a<b>c\"d*e.f/g:h\\i|j", "abcdefghij"}, {"../..", ""},
        {"  Sales  ", "Sales"},    {"Line\nBreak\t", "LineBreak"},          {"Größe 2", "Größe 2"},
    };
    for (const auto& [typed, clean] : cases)
        EXPECT_EQ(CleanOgmName(typed), clean) << typed;
}

TEST_F(OgmListTest, NewProposesTheFirstFreeNameAndStartsAsACopyOfTheSelectedDefinition) {
    for (const char* name : {"OGM 1", "OGM 2", "OGM 3", "Sales"})
        data_.Ogm(name);
    ASSERT_TRUE(WriteProfileString(OgmDefinitionPath("Sales"), "ivr", "press1", "go"));
    ASSERT_TRUE(WriteFile(OgmFile("Sales", ".txt"), "Say hello."));
    OgmListDialog dialog(nullptr, "sal", services_);
    dialog.Prepare();
    EXPECT_EQ(Listed(dialog), (std::vector<std::string>{"OGM 1", "OGM 2", "OGM 3", "Sales"}));
    EXPECT_EQ(Selected(dialog), "Sales");  // the first that begins with the name, any case

    questions_.QueueText(QString("Sales.old"));
    QueueSheet(true);
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    ASSERT_EQ(questions_.textsAsked.size(), 1u);
    EXPECT_EQ(questions_.textsAsked[0],
              std::make_pair(QString("Enter New OGM Name"), QString("OGM 4")));
    EXPECT_EQ(Key("Salesold", "ivr", "press1"), "go");
    EXPECT_FALSE(FileExists(OgmFile("Salesold", ".wav")));
    EXPECT_FALSE(FileExists(OgmFile("Salesold", ".txt")));
    EXPECT_EQ(Selected(dialog), "Salesold");

    // A name made only of dropped characters, or Cancel: nothing happens.
    questions_.QueueText(QString("..//"));
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    questions_.QueueText(std::nullopt);
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    EXPECT_EQ(questions_.dialogsRun.size(), 1u);

    // The sheet cancelled: the list keeps its selection.
    questions_.QueueText(QString("Spare"));
    QueueSheet(false);
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    EXPECT_EQ(Selected(dialog), "Salesold");
}

TEST_F(OgmListTest, NewWithANameThatExistsOpensThatOgmAsItIs) {
    data_.Ogm("Sales");
    data_.Ogm("Support");
    ASSERT_TRUE(WriteProfileString(OgmDefinitionPath("Support"), "ivr", "wait", "9"));
    OgmListDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    questions_.QueueText(QString("Support"));
    QueueSheet(true);
    QTest::mouseClick(dialog.NewButton(), Qt::LeftButton);
    EXPECT_EQ(Key("Support", "ivr", "wait"), "9");
    EXPECT_EQ(Key("Support", "ivr", "answer"), "true");  // the sheet's OK wrote its page
}

TEST_F(OgmListTest, RenameMovesTheFilesButNotTheMp3AndTheAnsweringSettingFollows) {
    data_.Ogm("Sales");
    data_.Ogm("Support");
    ASSERT_TRUE(WriteFile(OgmFile("Sales", ".txt"), "notes"));
    ASSERT_TRUE(WriteFile(OgmFile("Sales", ".mp3"), "mp3"));
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "ogm", "Sales"));
    OgmListDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();

    // Cancel at the warning ends it.
    questions_.QueueAnswer(Answer::Cancel);
    QTest::mouseClick(dialog.RenameButton(), Qt::LeftButton);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, RenameOgmWarning().caption);
    EXPECT_EQ(questions_.asked[0].buttons, QuestionButtons::OkCancel);

    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Sales: North"));
    QTest::mouseClick(dialog.RenameButton(), Qt::LeftButton);
    EXPECT_EQ(questions_.textsAsked.back().second, "Sales");
    for (const char* extension : {".ini", ".wav", ".txt"}) {
        EXPECT_TRUE(FileExists(OgmFile("Sales North", extension))) << extension;
        EXPECT_FALSE(FileExists(OgmFile("Sales", extension))) << extension;
    }
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".mp3")));
    EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "ogm", ""), "Sales North");
    EXPECT_EQ(Selected(dialog), "Sales North");

    // The same name in another case: nothing happens.
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("SALES NORTH"));
    QTest::mouseClick(dialog.RenameButton(), Qt::LeftButton);
    EXPECT_TRUE(FileExists(OgmFile("Sales North", ".ini")));
}

TEST_F(OgmListTest, RenameOntoAnExistingOgmFailsAndChangesNothing) {
    data_.Ogm("Sales");
    data_.Ogm("Support");
    ASSERT_TRUE(WriteProfileString(OgmDefinitionPath("Sales"), "ivr", "wait", "3"));
    const std::string salesIni = ReadFile(OgmFile("Sales", ".ini"));
    const std::string supportIni = ReadFile(OgmFile("Support", ".ini"));
    OgmListDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Support"));
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(dialog.RenameButton(), Qt::LeftButton);
    ASSERT_EQ(questions_.asked.size(), 2u);
    EXPECT_EQ(questions_.asked[1].caption, "Rename Fail");
    EXPECT_EQ(questions_.asked[1].text, "Unable to rename file. That OGM already exists.");
    EXPECT_EQ(ReadFile(OgmFile("Sales", ".ini")), salesIni);
    EXPECT_EQ(ReadFile(OgmFile("Support", ".ini")), supportIni);
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".wav")));
    EXPECT_EQ(Listed(dialog), (std::vector<std::string>{"Sales", "Support"}));

    // A recording left under the new name by an OGM long gone: it would
    // become the renamed OGM's greeting, and Sales' own would stay behind.
    ASSERT_TRUE(WriteFile(OgmFile("Old", ".wav"), "another recording"));
    questions_.QueueAnswer(Answer::Ok);
    questions_.QueueText(QString("Old"));
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(dialog.RenameButton(), Qt::LeftButton);
    ASSERT_EQ(questions_.asked.size(), 4u);
    EXPECT_EQ(questions_.asked[3].caption, "Rename Fail");
    EXPECT_EQ(ReadFile(OgmFile("Sales", ".ini")), salesIni);
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".wav")));
    EXPECT_FALSE(FileExists(OgmFile("Old", ".ini")));
    EXPECT_EQ(ReadFile(OgmFile("Old", ".wav")), "another recording");
}

TEST_F(OgmListTest, DeleteAsksAndRemovesTheDefinitionRecordingAndNotesButNotTheMp3) {
    data_.Ogm("Sales");
    data_.Ogm("Support");
    ASSERT_TRUE(WriteFile(OgmFile("Sales", ".txt"), "notes"));
    ASSERT_TRUE(WriteFile(OgmFile("Sales", ".mp3"), "mp3"));
    OgmListDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();

    questions_.QueueAnswer(Answer::No);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".ini")));
    EXPECT_EQ(questions_.asked[0].caption, "Confirm Delete OGM");
    EXPECT_EQ(questions_.asked[0].icon, QuestionIcon::Warning);

    questions_.QueueAnswer(Answer::Yes);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    for (const char* extension : {".ini", ".wav", ".txt"})
        EXPECT_FALSE(FileExists(OgmFile("Sales", extension))) << extension;
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".mp3")));
    EXPECT_EQ(Listed(dialog), (std::vector<std::string>{"Support"}));
    EXPECT_EQ(Selected(dialog), "Support");
}

TEST_F(OgmListTest, PlayTogglesAndTheCommandsStopItFirst) {
    data_.Ogm("Sales");
    OgmListDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.PlayButton()->isChecked());
    QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.PlayButton()->isChecked());
    QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
    QueueSheet(false);
    QTest::mouseClick(dialog.PropertiesButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.PlayButton()->isChecked());
    EXPECT_EQ(playback_.calls, (std::vector<std::string>{"play 8000 on 0 at 0dB", "stop",
                                                         "play 8000 on 0 at 0dB", "stop"}));

    // Without a selection the buttons that need one are greyed.
    dialog.List()->setCurrentRow(-1);
    for (QPushButton* button : {dialog.PlayButton(), dialog.DeleteButton(), dialog.RenameButton(),
                                dialog.PropertiesButton()})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(dialog.NewButton()->isEnabled());
}

TEST_F(OgmListTest, TheMainWindowsModesActOnTheOgmItNamesOnly) {
    data_.Ogm("Sales");
    data_.Ogm("Sales Menu");
    // Delete over an OGM that is not there deletes nothing (not the first entry).
    RunOgmList(nullptr, OgmListMode::Delete, "Gone", services_);
    EXPECT_TRUE(questions_.asked.empty());
    questions_.QueueAnswer(Answer::Yes);
    RunOgmList(nullptr, OgmListMode::Delete, "Sales Menu", services_);
    EXPECT_FALSE(FileExists(OgmFile("Sales Menu", ".ini")));
    EXPECT_TRUE(FileExists(OgmFile("Sales", ".ini")));

    QueueSheet(true);
    RunOgmList(nullptr, OgmListMode::Properties, "Sales", services_);
    questions_.QueueText(QString("Copy"));
    QueueSheet(true);
    RunOgmList(nullptr, OgmListMode::New, "Sales", services_);
    EXPECT_EQ(Key("Copy", "ivr", "answer"), "true");
    EXPECT_EQ(questions_.dialogsRun.size(), 2u);
}

TEST(OgmEditorDialogs, TheFrontEndFillsOnlyTheEntriesItWasNotGiven) {
    MainWindowDialogs dialogs;
    bool mine = false;
    dialogs.mailboxProperties = [&](QWidget*, const std::string&) { return mine = true; };
    InstallOgmEditorDialogs(dialogs);
    EXPECT_TRUE(dialogs.ogmList);
    EXPECT_TRUE(dialogs.callFlowMap);
    EXPECT_FALSE(dialogs.settings);
    dialogs.mailboxProperties(nullptr, "Sales");
    EXPECT_TRUE(mine);
}

}  // namespace
}  // namespace orvia::test
