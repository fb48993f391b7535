// The main window over the real application core, driven through its
// controls, menus and keys: the lists, the switch, live messages, playing,
// the keys, closing into the background and the caller-id flash.
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "store/call_log.h"
#include "store/date_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/main/caller_id_flash.h"
#include "ui/main/email_dialog.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_view.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

// Runs a timer's timeout now, as if its time had come.
void Fire(QTimer& timer) {
    timer.stop();
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

bool ShowsPicture(const QIcon& icon, const char* name, QSize size) {
    return icon.pixmap(size).toImage() == Picture(name).pixmap(size).toImage();
}

std::vector<std::string> Items(const QComboBox& combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo.count(); ++i)
        items.push_back(combo.itemText(i).toStdString());
    return items;
}

std::vector<std::string> RowNumbers(const MessageListView& list) {
    std::vector<std::string> numbers;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        numbers.push_back(list.topLevelItem(i)->text(0).toStdString());
    return numbers;
}

using MainWindowTest = DesktopTest;

TEST_F(MainWindowTest, ListsShowTheFilesAndSelectTheStoredNames) {
    data_.Ogm("Day");
    data_.Ogm("Night", "TRUE");
    data_.Ogm("Sub Menu", "false");  // not an answering OGM
    data_.Mailbox("Default");
    data_.Mailbox("Sales");
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "ogm", "Night"));
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "mbx", "Sales"));
    const std::string first = data_.Message("Sales", 1, "5551234", true);
    data_.Message("Sales", 2);
    data_.Message("Default", 3);
    Create();

    MainWindow& w = Window();
    EXPECT_EQ(w.windowTitle(), "Orvia");
    EXPECT_EQ(Items(*w.OgmSelector()), (std::vector<std::string>{"Day", "Night"}));
    EXPECT_EQ(w.OgmSelector()->currentText(), "Night");
    EXPECT_EQ(Items(*w.MailboxSelector()), (std::vector<std::string>{"Default", "Sales"}));
    EXPECT_EQ(w.MailboxSelector()->currentText(), "Sales");

    // The mailbox's messages, newest first, with date, time, caller id and
    // whether they were heard.
    const MessageListView& list = *w.Messages();
    const QTreeWidgetItem* header = list.headerItem();
    EXPECT_EQ(header->text(0), "File");
    EXPECT_EQ(header->text(1), "Date");
    EXPECT_EQ(header->text(2), "Time");
    EXPECT_EQ(header->text(3), "CID");
    ASSERT_EQ(RowNumbers(list), (std::vector<std::string>{"000002", "000001"}));
    const QTreeWidgetItem* older = list.topLevelItem(1);
    EXPECT_EQ(older->text(1).toStdString(), FormatDateText(1709798760));  // the user's order
    EXPECT_EQ(older->text(2), "08:06:00");
    EXPECT_EQ(older->text(3), "5551234");
    EXPECT_TRUE(MessageListView::IsRead(older));
    EXPECT_FALSE(MessageListView::IsRead(list.topLevelItem(0)));
    EXPECT_EQ(MessageListView::MessageOf(older), first);

    // Choosing in the lists writes the choice and refills the messages.
    QTest::keyClick(w.OgmSelector(), Qt::Key_Up);
    EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "ogm", ""), "Day");
    QTest::keyClick(w.MailboxSelector(), Qt::Key_Up);
    EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "mbx", ""), "Default");
    EXPECT_EQ(RowNumbers(list), (std::vector<std::string>{"000003"}));
}

TEST_F(MainWindowTest, AStoredNameThatIsGoneSelectsTheFirstMailboxAndNoOgm) {
    data_.Ogm("Day");
    data_.Mailbox("Orders");
    data_.Mailbox("Support");
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "mbx", "Gone"));
    // No "ogm" key: "Default Answering Message", which does not exist here.
    Create();
    EXPECT_EQ(Window().OgmSelector()->currentIndex(), -1);
    EXPECT_EQ(Window().MailboxSelector()->currentText(), "Orders");
    EXPECT_FALSE(Window().Actions().ogmPlay->isEnabled());
}

TEST_F(MainWindowTest, ControlsCarryTheirTooltips) {
    Create();
    const MainWindow& w = Window();
    const std::pair<QWidget*, const char*> tips[] = {
        {w.OgmSelector(), "Select OGM to answer calls with"},
        {w.OnOffButton(), "Click to turn Orvia on or off"},
        {w.MailboxSelector(), "Select Mailbox"},
        {w.Messages(), "List of In-Coming Messages"},
        {w.PlayButton(), "Play selected In-Coming Message (F9)"},
        {w.EmailButton(), "Email selected In-Coming Message(s) (Ctrl+S)"},
        {w.DeleteButton(), "Delete selected In-Coming Messages (Ctrl+Del)"},
    };
    for (const auto& [control, tip] : tips)
        EXPECT_EQ(control->toolTip().toStdString(), tip);
    EXPECT_EQ(w.BannerLine()->toolTip(), w.Logo()->toolTip());
    EXPECT_TRUE(w.BannerLine()->text().startsWith("Orvia "));
}

TEST_F(MainWindowTest, TheSwitchAndTheMenuWriteStateOn) {
    Create();
    MainWindow& w = Window();
    const MainActions& a = w.Actions();
    // Missing means on.
    EXPECT_TRUE(w.OnOffButton()->isChecked());
    EXPECT_TRUE(ShowsPicture(w.OnOffButton()->icon(), kPictureOn, QSize(40, 24)));
    EXPECT_TRUE(a.on->isChecked());

    QTest::mouseClick(w.OnOffButton(), Qt::LeftButton);
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "on", ""), "false");
    EXPECT_FALSE(w.OnOffButton()->isChecked());
    EXPECT_TRUE(ShowsPicture(w.OnOffButton()->icon(), kPictureOff, QSize(40, 24)));
    EXPECT_TRUE(a.off->isChecked());
    EXPECT_FALSE(a.on->isChecked());

    QTest::mouseClick(w.OnOffButton(), Qt::LeftButton);
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "on", ""), "true");
    a.off->trigger();
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "on", ""), "false");
    EXPECT_FALSE(w.OnOffButton()->isChecked());
    a.on->trigger();
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "on", ""), "true");
    EXPECT_TRUE(w.OnOffButton()->isChecked());
}

TEST_F(MainWindowTest, PlayingMarksReadAndTheButtonsFollowTheSelection) {
    data_.Mailbox("Default");
    const std::string first = data_.Message("Default", 1, "", false, 1600);
    const std::string second = data_.Message("Default", 2, "", false, 2400);
    ASSERT_TRUE(WriteProfileBool(data_.Settings(), "state", "newmessages", true));
    ASSERT_TRUE(WriteProfileInt(data_.Settings(), "settings", "playdevice", 3));
    ASSERT_TRUE(WriteProfileDb(data_.Settings(), "settings", "playvolume", -6));
    Create();
    MainWindow& w = Window();
    const MainActions& a = w.Actions();

    // Nothing selected: idle pictures, greyed message entries, no play.
    EXPECT_TRUE(ShowsPicture(w.PlayButton()->icon(), kPicturePlayIdle, QSize(40, 27)));
    EXPECT_TRUE(ShowsPicture(w.EmailButton()->icon(), kPictureEmailIdle, QSize(40, 27)));
    EXPECT_TRUE(ShowsPicture(w.DeleteButton()->icon(), kPictureDeleteIdle, QSize(40, 27)));
    for (QAction* action :
         {a.messagePlay, a.messageStop, a.messageEmail, a.messageSave, a.messageDelete})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    QTest::mouseClick(w.PlayButton(), Qt::LeftButton);
    EXPECT_TRUE(playback_.calls.empty());
    EXPECT_FALSE(w.PlayButton()->isChecked());

    SelectMessages({first});
    EXPECT_TRUE(ShowsPicture(w.PlayButton()->icon(), kPicturePlay, QSize(40, 27)));
    EXPECT_TRUE(ShowsPicture(w.EmailButton()->icon(), kPictureEmail, QSize(40, 27)));
    EXPECT_TRUE(ShowsPicture(w.DeleteButton()->icon(), kPictureDelete, QSize(40, 27)));
    for (QAction* action :
         {a.messagePlay, a.messageStop, a.messageEmail, a.messageSave, a.messageDelete})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();

    QTest::mouseClick(w.PlayButton(), Qt::LeftButton);
    EXPECT_EQ(playback_.calls, (std::vector<std::string>{"play 1600 on 3 at -6dB"}));
    EXPECT_TRUE(w.PlayButton()->isChecked());
    EXPECT_EQ(ReadProfileString(first, "message", "read", ""), "true");
    EXPECT_EQ(ReadProfileString(second, "message", "read", ""), "false");
    EXPECT_TRUE(MessageListView::IsRead(w.Messages()->RowOf(first)));
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "newmessages", ""), "false");

    // Pressed again while it plays: stop.
    QTest::mouseClick(w.PlayButton(), Qt::LeftButton);
    EXPECT_EQ(playback_.calls.back(), "stop");
    EXPECT_FALSE(w.PlayButton()->isChecked());

    // Deselecting greys the entries again.
    w.Messages()->clearSelection();
    EXPECT_FALSE(a.messageDelete->isEnabled());
    EXPECT_TRUE(ShowsPicture(w.DeleteButton()->icon(), kPictureDeleteIdle, QSize(40, 27)));
}

TEST_F(MainWindowTest, NewMessagesOfTheShownMailboxGoOnTopOthersOnlyRaiseTheWindow) {
    data_.Mailbox("Default");
    data_.Mailbox("Sales");
    const std::string first = data_.Message("Default", 1);
    Create();
    MainWindow& w = Window();

    w.showMinimized();
    std::string stored = data_.Message("Default", 2, "5550000");
    app_->Send(kMsgMessageStored, stored);
    EXPECT_EQ(RowNumbers(*w.Messages()), (std::vector<std::string>{"000002", "000001"}));
    EXPECT_EQ(w.Messages()->topLevelItem(0)->text(3), "5550000");
    EXPECT_FALSE(w.isMinimized());

    w.showMinimized();
    std::string other = data_.Message("Sales", 7);
    app_->Send(kMsgMessageStored, other);
    EXPECT_EQ(RowNumbers(*w.Messages()), (std::vector<std::string>{"000002", "000001"}));
    EXPECT_FALSE(w.isMinimized());

    // With "openwindow" false the window stays where it is.
    ASSERT_TRUE(WriteProfileBool(data_.Settings(), "settings", "openwindow", false));
    w.showMinimized();
    std::string third = data_.Message("Default", 3);
    app_->Send(kMsgMessageStored, third);
    EXPECT_EQ(RowNumbers(*w.Messages()).front(), "000003");
    EXPECT_TRUE(w.isMinimized());

    // Heard and deleted by telephone.
    std::string heard = first;
    app_->Send(kMsgMessageHeard, heard);
    EXPECT_TRUE(MessageListView::IsRead(w.Messages()->RowOf(first)));
    std::string deleted = stored;
    app_->Send(kMsgMessageDeleted, deleted);
    EXPECT_EQ(RowNumbers(*w.Messages()), (std::vector<std::string>{"000003", "000001"}));
}

// One key of the main window and what it must do, starting from two
// unheard messages of "Default" with the second selected, "state"/"on"
// reading "maybe", "newmessages" true and the OGM "Main" answering.
struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> playback;  // the player's calls
    const char* stateOn;                // "state"/"on" afterwards
    bool deleted = false;               // the selected message is gone
    bool asksEmail = false;             // "Send Message by Email" runs (and is cancelled)
    bool asksSaveFile = false;          // "Save Message As.." is asked (and cancelled)
    bool marksRead = false;             // the selected message was played
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class MainWindowKeyTest : public DesktopTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(MainWindowKeyTest, KeyActsBeforeTheControls) {
    const KeyCase& c = GetParam();
    data_.Ogm("Main");
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "ogm", "Main"));
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "state", "on", "maybe"));
    ASSERT_TRUE(WriteProfileBool(data_.Settings(), "state", "newmessages", true));
    data_.Mailbox("Default");
    data_.Message("Default", 1);
    const std::string selected = data_.Message("Default", 2);
    Create();
    SelectMessages({selected});
    if (c.asksEmail) {
        questions_.QueueDialog([](QDialog& dialog) {
            QTest::mouseClick(static_cast<EmailDialog&>(dialog).CancelButton(), Qt::LeftButton);
        });
    }
    if (c.asksSaveFile)
        questions_.QueueFile(std::nullopt);

    QTest::keyClick(Window().Messages(), c.key, c.modifiers);

    EXPECT_EQ(playback_.calls, c.playback);
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "on", ""), c.stateOn);
    EXPECT_EQ(FileExists(selected), !c.deleted);
    EXPECT_EQ(Window().Messages()->RowOf(selected) == nullptr, c.deleted);
    EXPECT_EQ(questions_.dialogsRun,
              c.asksEmail ? std::vector<QString>{"Send Message by Email"} : std::vector<QString>{});
    EXPECT_EQ(questions_.filesAsked.size(), c.asksSaveFile ? 1u : 0u);
    EXPECT_EQ(ReadProfileString(selected, "message", "read", "gone"),
              c.deleted ? "gone" : (c.marksRead ? "true" : "false"));
    const bool seen = c.deleted || c.asksEmail || c.asksSaveFile || c.marksRead;
    EXPECT_EQ(ReadProfileString(data_.Settings(), "state", "newmessages", ""),
              seen ? "false" : "true");
}

const std::string kPlayMessage = "play 800 on 0 at 0dB";
const std::string kPlayOgm = "play 8000 on 0 at 0dB";

INSTANTIATE_TEST_SUITE_P(
    Keys, MainWindowKeyTest,
    ::testing::Values(
        KeyCase{"F9",
                Qt::Key_F9,
                Qt::NoModifier,
                {"stop", kPlayMessage},
                "maybe",
                false,
                false,
                false,
                true},
        KeyCase{"CtrlF9", Qt::Key_F9, Qt::ControlModifier, {"stop", kPlayOgm}, "maybe"},
        KeyCase{"Esc", Qt::Key_Escape, Qt::NoModifier, {"stop"}, "maybe"},
        KeyCase{"CtrlDelete", Qt::Key_Delete, Qt::ControlModifier, {}, "maybe", true},
        KeyCase{"DeleteAlone", Qt::Key_Delete, Qt::NoModifier, {}, "maybe"},
        KeyCase{"S", Qt::Key_S, Qt::NoModifier, {}, "maybe", false, true},
        KeyCase{"CtrlS", Qt::Key_S, Qt::ControlModifier, {}, "maybe", false, true},
        KeyCase{"W", Qt::Key_W, Qt::NoModifier, {}, "maybe", false, false, true},
        KeyCase{"CtrlW", Qt::Key_W, Qt::ControlModifier, {}, "maybe", false, false, true},
        KeyCase{"F", Qt::Key_F, Qt::NoModifier, {}, "false"},
        KeyCase{"O", Qt::Key_O, Qt::NoModifier, {}, "true"},
        KeyCase{"AltFBelongsToTheMenu", Qt::Key_F, Qt::AltModifier, {}, "maybe"}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, SaveAsCopiesEachSelectedMessageUntilADialogIsCancelled) {
    data_.Mailbox("Default");
    const std::string first = data_.Message("Default", 1, "", false, 1200);
    const std::string second = data_.Message("Default", 2, "", false, 1600);
    const std::string third = data_.Message("Default", 3);
    TempDir target;
    ASSERT_TRUE(WriteProfileString(data_.Settings(), "settings", "saveaspath", "/nowhere"));
    Create();
    SelectMessages({first, second, third});

    // Top to bottom: message 3 is saved, the dialog for message 2 is
    // cancelled, message 1 is never asked for.
    questions_.QueueFile(QString::fromStdString(target.Path() + "call.wav"));
    questions_.QueueFile(std::nullopt);
    Window().Actions().messageSave->trigger();
    ASSERT_EQ(questions_.filesAsked.size(), 2u);
    EXPECT_EQ(questions_.filesAsked[0].title, "Save Message As..");
    EXPECT_EQ(questions_.filesAsked[0].filter, "Wave Files (*.wav)");
    EXPECT_EQ(questions_.filesAsked[0].start, "/nowhere/Default ICM000003.wav");
    // The folder chosen is where the next dialog starts.
    EXPECT_EQ(questions_.filesAsked[1].start.toStdString(),
              target.Path() + "Default ICM000002.wav");
    EXPECT_EQ(ReadFile(target.Path() + "call.wav"), ReadFile(data_.Box("Default ICM000003.wav")));
    EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "saveaspath", ""), target.Path());
}

TEST_F(MainWindowTest, F9WhilePlayingStartsTheMessageAgain) {
    data_.Mailbox("Default");
    const std::string message = data_.Message("Default", 1);
    Create();
    SelectMessages({message});
    QTest::keyClick(Window().Messages(), Qt::Key_F9);
    QTest::keyClick(Window().Messages(), Qt::Key_F9);
    EXPECT_EQ(playback_.calls,
              (std::vector<std::string>{"stop", kPlayMessage, "stop", kPlayMessage}));
    EXPECT_TRUE(Window().PlayButton()->isChecked());
    // Esc from another control stops it.
    QTest::keyClick(Window().OgmSelector(), Qt::Key_Escape);
    EXPECT_EQ(playback_.calls.back(), "stop");
    EXPECT_FALSE(Window().PlayButton()->isChecked());
}

TEST_F(MainWindowTest, ClosingAsksWhetherToGoOnInTheBackground) {
    Create();
    MainWindow& w = Window();

    questions_.QueueAnswer(Answer::Cancel);
    w.Actions().exit->trigger();
    ASSERT_EQ(questions_.asked.size(), 1u);
    const Question& asked = questions_.asked.front();
    EXPECT_EQ(asked.caption, "Confirm Stop");
    EXPECT_EQ(asked.text, "Do you want Orvia to continue to operate in the background?");
    EXPECT_EQ(asked.icon, QuestionIcon::Question);
    EXPECT_EQ(asked.buttons, QuestionButtons::YesNoCancel);
    EXPECT_TRUE(app_->IsCreated());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());

    // Yes: the offscreen desktop has no notification area, so the window
    // goes to the task bar instead of out of reach.
    ASSERT_FALSE(view_->TrayAvailable());
    questions_.QueueAnswer(Answer::Yes);
    w.close();
    EXPECT_TRUE(app_->IsCreated());
    EXPECT_TRUE(w.isMinimized());

    // A later start shows it again (even a start at logon, without a tray).
    dispatcher_.PostMessage(kMsgSecondStart, 0, 1);
    dispatcher_.RunPending();
    EXPECT_FALSE(w.isMinimized());
    EXPECT_NE(out_.str().find("another start"), std::string::npos);

    // The File menu's Close hides without asking.
    w.Actions().closeToBackground->trigger();
    EXPECT_TRUE(w.isMinimized());
    EXPECT_EQ(questions_.asked.size(), 2u);

    // No: the program ends.
    questions_.QueueAnswer(Answer::No);
    w.Actions().exit->trigger();
    EXPECT_FALSE(app_->IsCreated());
    EXPECT_FALSE(w.isVisible());
    EXPECT_NE(ReadFile(DailyLogPath(kNow)).find("Orvia Exit"), std::string::npos);
    EXPECT_NE(out_.str().find("Orvia: stopped"), std::string::npos);
}

TEST_F(MainWindowTest, TheSessionEndingClosesWithoutTheQuestion) {
    Create();
    app_->SessionEnding();
    Window().close();
    EXPECT_FALSE(app_->IsCreated());
    EXPECT_TRUE(questions_.asked.empty());
}

TEST_F(MainWindowTest, StartedAtLogonTheWindowIsNotShown) {
    Create(true);
    // Posted to itself as the Close (Run in Background) command: without a
    // tray the window waits in the task bar.
    EXPECT_TRUE(Window().isMinimized());
}

TEST_F(MainWindowTest, CallerIdFlashShowsWithoutFocusAndGoesAfter15Seconds) {
    Create();
    std::string text = "Line 1\r\n5551234\r\nJane Doe";
    app_->Send(kMsgCallerIdFlash, text);
    CallerIdFlash* flash = view_->Flash();
    ASSERT_NE(flash, nullptr);
    EXPECT_TRUE(flash->isVisible());
    EXPECT_EQ(flash->Text(), "Line 1\n5551234\nJane Doe");
    EXPECT_TRUE(flash->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(flash->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(view_->FlashTimer().isActive());
    EXPECT_EQ(view_->FlashTimer().interval(), DesktopView::kFlashShownMs);
    Fire(view_->FlashTimer());
    EXPECT_FALSE(flash->isVisible());

    // "cidflash" false: no flash.
    ASSERT_TRUE(WriteProfileBool(data_.Settings(), "settings", "cidflash", false));
    app_->Send(kMsgCallerIdFlash, text);
    EXPECT_FALSE(flash->isVisible());
}

TEST_F(MainWindowTest, NoLineDevicesIsSaidOnceTheLinesAreSetUp) {
    lines_.available = 0;
    Create();
    questions_.QueueAnswer(Answer::Ok);
    dispatcher_.AdvanceTime(1000);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "No TAPI Devices");
    EXPECT_TRUE(questions_.asked[0].text.startsWith(
        "No installed TAPI telephony line devices are detected.\n\n"));
    EXPECT_EQ(questions_.asked[0].icon, QuestionIcon::Exclamation);
}

TEST_F(MainWindowTest, ContextMenusAreTheMenuBarsMenus) {
    data_.Mailbox("Default");
    Create();
    MainWindow& w = Window();
    const MainActions& a = w.Actions();
    ASSERT_TRUE(WriteProfileBool(data_.Settings(), "state", "on", false));
    w.ShowAnswering();
    const std::pair<QWidget*, QMenu*> cases[] = {{w.OgmSelector(), a.ogmMenu},
                                                 {w.MailboxSelector(), a.mailboxMenu},
                                                 {w.Messages()->viewport(), a.messageMenu},
                                                 {w.BannerLine(), a.linksMenu}};
    for (const auto& [control, menu] : cases) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                                control->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(control, &event);
        EXPECT_TRUE(menu->isVisible()) << menu->title().toStdString();
        menu->hide();
    }
    EXPECT_TRUE(a.off->isChecked());
    EXPECT_FALSE(a.messageDelete->isEnabled());
}

TEST_F(MainWindowTest, TheBannerOpensTheLinks) {
    ASSERT_TRUE(
        WriteProfileString(data_.Settings(), "settings", "producturl", "https://orvia.example/"));
    Create();
    MainWindow& w = Window();
    QTest::mouseClick(w.BannerLine(), Qt::LeftButton);
    QMenu* links = w.Actions().linksMenu;
    ASSERT_TRUE(links->isVisible());
    const QList<QAction*> entries = links->actions();
    ASSERT_GE(entries.size(), 6);
    EXPECT_TRUE(entries[0]->isEnabled());   // the product's page
    EXPECT_FALSE(entries[1]->isEnabled());  // no "makerurl"
    entries[0]->trigger();
    entries[5]->trigger();
    links->hide();
    EXPECT_EQ(handoff_.opened,
              (std::vector<std::string>{"https://orvia.example/", Store().Logs()}));

    // The banner moves on with timer 1.
    const QString before = w.BannerLine()->text();
    Fire(view_->BannerTimer());
    EXPECT_NE(w.BannerLine()->text(), before);
    EXPECT_EQ(view_->BannerTimer().interval(), DesktopView::kBannerEveryMs);
}

TEST_F(MainWindowTest, F1OpensTheHelpContents) {
    Create();
    QTest::keyClick(Window().Messages(), Qt::Key_F1);
    ASSERT_NE(HelpBrowser(), nullptr);
    EXPECT_EQ(HelpBrowser()->source().toString(), "qrc:/help/index.html");
    EXPECT_TRUE(HelpBrowser()->toPlainText().contains("Windows and dialogs"));
    CloseHelp();
}

TEST_F(MainWindowTest, EntriesOfDialogsNotYetThereAreGreyed) {
    data_.Mailbox("Default");
    Create();
    const MainActions& a = Window().Actions();
    for (QAction* action : {a.settings, a.simulator, a.ogmNew, a.ogmRename, a.ogmDelete, a.ogmList,
                            a.ogmProperties, a.mailboxProperties})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(a.ogmMap->isEnabled());
    for (QAction* action : {a.callLogs, a.about, a.helpContents, a.mailboxNew, a.mailboxRename,
                            a.mailboxDelete, a.exit, a.closeToBackground})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
}

TEST_F(MainWindowTest, SettingsFromTheMenuRestartTheLinesWhenAsked) {
    int opened = 0;
    dialogs_.settings = [&](QWidget*) {
        ++opened;
        WriteProfileBool(Store().SettingsFile(), "state", "restart", true);
    };
    Create();
    dispatcher_.AdvanceTime(1000);  // the first line set-up
    ASSERT_TRUE(Window().Actions().settings->isEnabled());
    Window().Actions().settings->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(dispatcher_.IsTimerSet(MainTimerId(kTimerLineSetUp)));
}

}  // namespace
}  // namespace orvia::test
