// The dialog framework the UI parts build on: a dialog closes on OK only
// when OnApply agrees, a page refusing OnApply keeps its tab, pages never
// shown are never read or written, the progress dialog's Cancel.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/framework/popup_dialog_box.h"
#include "ui/framework/progress_dialog.h"
#include "ui/framework/property_page.h"
#include "ui/framework/questions.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

using Journal = std::vector<std::string>;

class NameDialog : public LPopupDialogBox {
public:
    explicit NameDialog(Journal& journal) : LPopupDialogBox(nullptr), journal_(journal) {
        edit = new QLineEdit(this);
        ok = new QPushButton("OK", this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(ok);
        Watch(edit);
        connect(ok, &QPushButton::clicked, this, &NameDialog::accept);
    }

    QLineEdit* edit;
    QPushButton* ok;

protected:
    void OnInit() override {
        journal_.push_back("init");
        edit->setText("start");
    }
    bool OnApply() override {
        journal_.push_back("apply " + edit->text().toStdString());
        return !edit->text().isEmpty();
    }
    void UpdateControls() override {
        journal_.push_back("update");
        ok->setEnabled(edit->text() != "locked");
    }
    void OnCommand(QObject* control) override {
        journal_.push_back(control == edit ? "command edit" : "command ?");
    }
    void OnReset() override { journal_.push_back("reset"); }

private:
    Journal& journal_;
};

TEST(PopupDialogBoxTest, OkClosesOnlyWhenApplyAgreesAndUpdateFollowsEveryCommand) {
    ScriptedQuestions questions;
    Journal journal;
    NameDialog dialog(journal);
    questions.QueueDialog([&](QDialog&) {
        EXPECT_EQ(journal, (Journal{"init", "update"}));
        dialog.edit->clear();
        QTest::mouseClick(dialog.ok, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());  // refused: empty
        QTest::keyClicks(dialog.edit, "locked");
        EXPECT_FALSE(dialog.ok->isEnabled());
        dialog.edit->setText("Sales");
        QTest::mouseClick(dialog.ok, Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.Run());
    EXPECT_EQ(journal.front(), "init");
    EXPECT_EQ(journal.back(), "apply Sales");
    EXPECT_NE(std::find(journal.begin(), journal.end(), "apply "), journal.end());
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "command edit"),
              std::count(journal.begin(), journal.end(), "update") - 1);

    // Esc cancels: OnReset, not OnApply.
    journal.clear();
    NameDialog second(journal);
    questions.QueueDialog([&](QDialog&) { QTest::keyClick(second.edit, Qt::Key_Escape); });
    EXPECT_FALSE(second.Run());
    EXPECT_EQ(journal, (Journal{"init", "update", "reset"}));
}

class Page : public LPropertyPage {
public:
    Page(std::string name, Journal& journal) : name_(std::move(name)), journal_(journal) {}
    bool refuse = false;

    void OnInit() override { journal_.push_back(name_ + " init"); }
    bool OnApply() override {
        journal_.push_back(name_ + (refuse ? " refuses" : " apply"));
        return !refuse;
    }
    void OnReset() override { journal_.push_back(name_ + " reset"); }

private:
    std::string name_;
    Journal& journal_;
};

TEST(PropertySheetTest, PagesAreAppliedWhenLeftAndARefusingPageKeepsItsTab) {
    ScriptedQuestions questions;
    Journal journal;
    LPropertySheet sheet(nullptr, "Settings");
    auto* general = new Page("general", journal);
    auto* devices = new Page("devices", journal);
    auto* hours = new Page("hours", journal);
    sheet.AddPage(general, "General");
    sheet.AddPage(devices, "Devices");
    sheet.AddPage(hours, "AutoHours");
    EXPECT_EQ(sheet.Buttons()->button(QDialogButtonBox::Apply), nullptr);

    questions.QueueDialog([&](QDialog&) {
        EXPECT_EQ(journal, (Journal{"general init"}));
        QTabBar* tabs = sheet.Tabs()->tabBar();
        general->refuse = true;
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        general->refuse = false;
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 1);
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(sheet.Run());
    // The AutoHours page was never shown: never initialised, read or written.
    EXPECT_EQ(journal, (Journal{"general init", "general refuses", "general apply", "devices init",
                                "devices apply"}));
}

TEST(PropertySheetTest, CancelResetsThePagesShownAndApplyStaysOpen) {
    ScriptedQuestions questions;
    Journal journal;
    LPropertySheet sheet(nullptr, "OGM Properties", LPropertySheet::ApplyButton::With);
    auto* message = new Page("message", journal);
    auto* keys = new Page("keys", journal);
    sheet.AddPage(message, "Message");
    sheet.AddPage(keys, "Key Response");
    questions.QueueDialog([&](QDialog&) {
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Apply), Qt::LeftButton);
        EXPECT_TRUE(sheet.isVisible());
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(sheet.Run());
    EXPECT_EQ(journal, (Journal{"message init", "message apply", "message reset"}));
}

TEST(PropertySheetTest, ASheetThatWritesOnConfirmAppliesEveryPageShownOnlyOnOkOrApply) {
    ScriptedQuestions questions;
    Journal journal;
    LPropertySheet sheet(nullptr, "OGM Properties", LPropertySheet::ApplyButton::With,
                         LPropertySheet::PageWrites::OnConfirm);
    auto* message = new Page("message", journal);
    auto* keys = new Page("keys", journal);
    auto* advanced = new Page("advanced", journal);
    sheet.AddPage(message, "Message");
    sheet.AddPage(keys, "Key Response");
    sheet.AddPage(advanced, "Advanced");
    questions.QueueDialog([&](QDialog&) {
        QTabBar* tabs = sheet.Tabs()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        EXPECT_EQ(journal, (Journal{"message init", "keys init"}));
        // A refusing page becomes current; the pages before it have written.
        message->refuse = true;
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Apply), Qt::LeftButton);
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
        message->refuse = false;
        QTest::mouseClick(sheet.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(sheet.Run());
    EXPECT_EQ(journal, (Journal{"message init", "keys init", "message refuses", "message apply",
                                "keys apply"}));

    // Cancel after moving between pages writes nothing.
    journal.clear();
    LPropertySheet cancelled(nullptr, "OGM Properties", LPropertySheet::ApplyButton::With,
                             LPropertySheet::PageWrites::OnConfirm);
    cancelled.AddPage(new Page("message", journal), "Message");
    cancelled.AddPage(new Page("keys", journal), "Key Response");
    questions.QueueDialog([&](QDialog&) {
        QTabBar* tabs = cancelled.Tabs()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(1).center());
        QTest::mouseClick(cancelled.Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_FALSE(cancelled.Run());
    EXPECT_EQ(journal, (Journal{"message init", "keys init", "message reset", "keys reset"}));
}

TEST(ProgressDialogTest, CancelStopsTheProcessBetweenSteps) {
    int steps = 0;
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(top);
            if (progress != nullptr && progress->isVisible())
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    const bool ok = RunProcessDialog(nullptr, "Converting", "Orvia", [&](const ProcessControl& c) {
        for (int i = 0; i < 1000; ++i) {
            if (c.cancelled())
                return false;
            c.progress(i / 10);
            ++steps;
        }
        return true;
    });
    EXPECT_FALSE(ok);
    EXPECT_LT(steps, 1000);

    // Not cancelled: the work's own result.
    EXPECT_TRUE(RunProcessDialog(nullptr, "Converting", "Orvia", [](const ProcessControl& c) {
        c.progress(100);
        return !c.cancelled();
    }));
}

// Types a name into the save dialog that is about to open, as a user would,
// and presses Enter.
void TypeIntoTheSaveDialog(const QString& name) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (edit == nullptr) {
            ADD_FAILURE() << "the save dialog has no file name field";
            dialog->reject();
            return;
        }
        edit->setText(name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    poll->start(10);
}

TEST(WidgetQuestionsTest, ASavedNameWithoutAnExtensionGetsTheFiltersOne) {
    TempDir folder;
    WidgetQuestions questions;
    const struct {
        const char* typed;
        const char* chosen;
    } cases[] = {
        {"call", "call.wav"},
        {"call.wav", "call.wav"},
        {"call.backup", "call.backup"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TypeIntoTheSaveDialog(c.typed);
        const std::optional<QString> chosen = questions.AskSaveFile(
            nullptr,
            {"Save Message As..", QString::fromStdString(folder.Path() + "Sales ICM000001.wav"),
             "Wave Files (*.wav)"});
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(chosen->toStdString(), folder.Path() + c.chosen);
    }
}

}  // namespace
}  // namespace orvia::test
