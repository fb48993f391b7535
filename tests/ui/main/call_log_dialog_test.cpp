// "View or Print Call Logs": the list of logs, View and Print through the
// desktop, Delete with its confirmation.
#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "store/call_log.h"
#include "store/settings_store.h"
#include "ui/main/call_log_dialog.h"
#include "ui/main/main_window.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

std::vector<std::string> Entries(const QListWidget& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.count(); ++i)
        entries.push_back(list.item(i)->text().toStdString());
    return entries;
}

void Select(QListWidget& list, const QString& entry) {
    const QList<QListWidgetItem*> found = list.findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                      list.visualItemRect(found.front()).center());
}

class CallLogDialogTest : public DesktopTest {
protected:
    void SetUp() override {
        for (const char* name : {"Log 24-03-07.txt", "Log 24-03-06.txt", "Orders.txt"})
            ASSERT_TRUE(WriteFile(Store().Logs() + name, "Log\r\nCreated by Orvia\r\n"));
        ASSERT_TRUE(WriteFile(Store().Logs() + "notes.doc", "not a log"));
        Create();
    }

    // Opens the dialog from the File menu and drives it.
    void WithDialog(const std::function<void(CallLogDialog&)>& drive) {
        questions_.QueueDialog([&](QDialog& dialog) {
            drive(static_cast<CallLogDialog&>(dialog));
            QTest::mouseClick(static_cast<CallLogDialog&>(dialog).CloseButton(), Qt::LeftButton);
        });
        Window().Actions().callLogs->trigger();
        EXPECT_EQ(questions_.dialogsRun.back(), "View or Print Call Logs");
    }
};

TEST_F(CallLogDialogTest, ListsTheLogsAndViewsAndPrintsTheSelectedOne) {
    WithDialog([&](CallLogDialog& d) {
        // The day's log of this run ("Orvia Run") is there too, in date order.
        EXPECT_EQ(Entries(*d.List()), (std::vector<std::string>{"Log 23-11-14", "Log 24-03-06",
                                                                "Log 24-03-07", "Orders"}));
        for (QPushButton* button : {d.ViewButton(), d.PrintButton(), d.DeleteButton()})
            EXPECT_FALSE(button->isEnabled());
        Select(*d.List(), "Log 24-03-07");
        for (QPushButton* button : {d.ViewButton(), d.PrintButton(), d.DeleteButton()})
            EXPECT_TRUE(button->isEnabled());
        QTest::mouseClick(d.ViewButton(), Qt::LeftButton);
        QTest::mouseClick(d.PrintButton(), Qt::LeftButton);
    });
    const std::string path = Store().Logs() + "Log 24-03-07.txt";
    EXPECT_EQ(handoff_.opened, (std::vector<std::string>{path}));
    EXPECT_EQ(handoff_.printed, (std::vector<std::string>{path}));
}

TEST_F(CallLogDialogTest, AHelperThatCannotStartIsSaid) {
    handoff_.works = false;
    questions_.QueueAnswer(Answer::Ok);
    WithDialog([&](CallLogDialog& d) {
        Select(*d.List(), "Orders");
        QTest::mouseClick(d.PrintButton(), Qt::LeftButton);
    });
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_TRUE(questions_.asked[0].text.contains("lp"));
}

TEST_F(CallLogDialogTest, DeleteAsksFirstAndRefillsTheList) {
    questions_.QueueAnswer(Answer::No);
    questions_.QueueAnswer(Answer::Yes);
    WithDialog([&](CallLogDialog& d) {
        Select(*d.List(), "Orders");
        QTest::mouseClick(d.DeleteButton(), Qt::LeftButton);
        EXPECT_TRUE(FileExists(Store().Logs() + "Orders.txt"));
        QTest::mouseClick(d.DeleteButton(), Qt::LeftButton);
        EXPECT_FALSE(FileExists(Store().Logs() + "Orders.txt"));
        EXPECT_EQ(Entries(*d.List()),
                  (std::vector<std::string>{"Log 23-11-14", "Log 24-03-06", "Log 24-03-07"}));
        EXPECT_FALSE(d.DeleteButton()->isEnabled());
    });
    ASSERT_EQ(questions_.asked.size(), 2u);
    EXPECT_EQ(questions_.asked[0].caption, "Confirm Delete");
    EXPECT_EQ(questions_.asked[0].text, "Are you sure you want to delete this log file?");
    EXPECT_EQ(questions_.asked[0].buttons, QuestionButtons::YesNo);
    EXPECT_EQ(questions_.asked[0].icon, QuestionIcon::Warning);
    EXPECT_TRUE(FileExists(Store().Logs() + "Log 24-03-06.txt"));
}

}  // namespace
}  // namespace orvia::test
