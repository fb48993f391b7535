#include "ui_fixtures.h"

#include <QDialog>
#include <QTest>
#include <QTreeWidget>

#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_view.h"

namespace orvia::test {

ScriptedQuestions::~ScriptedQuestions() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " message box answers left over";
    EXPECT_TRUE(texts_.empty()) << texts_.size() << " text answers left over";
    EXPECT_TRUE(files_.empty()) << files_.size() << " file answers left over";
    EXPECT_TRUE(dialogs_.empty()) << dialogs_.size() << " dialogs left over";
}

Answer ScriptedQuestions::Ask(QWidget*, const Question& question) {
    asked.push_back(question);
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << question.caption.toStdString()
                      << "\": " << question.text.toStdString();
        return Answer::Cancel;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<QString> ScriptedQuestions::AskText(QWidget*, const QString& title,
                                                  const QString& text) {
    textsAsked.emplace_back(title, text);
    if (texts_.empty()) {
        ADD_FAILURE() << "unexpected text question \"" << title.toStdString() << "\"";
        return std::nullopt;
    }
    std::optional<QString> answer = texts_.front();
    texts_.pop_front();
    return answer;
}

std::optional<QString> ScriptedQuestions::AskSaveFile(QWidget*, const FileQuestion& question) {
    filesAsked.push_back(question);
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected file question \"" << question.title.toStdString() << "\"";
        return std::nullopt;
    }
    std::optional<QString> answer = files_.front();
    files_.pop_front();
    return answer;
}

std::optional<QString> ScriptedQuestions::AskOpenFile(QWidget* parent,
                                                      const FileQuestion& question) {
    return AskSaveFile(parent, question);
}

int ScriptedQuestions::RunDialog(QDialog& dialog) {
    dialogsRun.push_back(dialog.windowTitle());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (dialogs_.empty()) {
        ADD_FAILURE() << "unexpected dialog \"" << dialog.windowTitle().toStdString() << "\"";
        dialog.reject();
        return QDialog::Rejected;
    }
    const std::function<void(QDialog&)> drive = dialogs_.front();
    dialogs_.pop_front();
    drive(dialog);
    if (dialog.isVisible()) {
        ADD_FAILURE() << "the test left the dialog \"" << dialog.windowTitle().toStdString()
                      << "\" open";
        dialog.reject();
    }
    return dialog.result();
}

DesktopTest::DesktopTest() = default;

DesktopTest::~DesktopTest() {
    app_.reset();
    view_.reset();
}

void DesktopTest::Create(bool startHidden) {
    view_ = std::make_unique<DesktopView>(lines_, out_, startHidden, dialogs_);
    app_ = std::make_unique<MainDialog>(MainDialog::Parts{dispatcher_, *view_, lines_, playback_},
                                        startHidden);
    app_->Create();
    dispatcher_.RunPending();
    ASSERT_NE(view_->Window(), nullptr);
}

MainWindow& DesktopTest::Window() const {
    return *view_->Window();
}

void DesktopTest::SelectMessages(const std::vector<std::string>& messageInis) {
    MessageListView& list = *Window().Messages();
    list.clearSelection();
    for (const std::string& ini : messageInis) {
        QTreeWidgetItem* row = list.RowOf(ini);
        ASSERT_NE(row, nullptr) << ini;
        const QRect rect = list.visualItemRect(row);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    }
    ASSERT_EQ(list.SelectedMessages().size(), messageInis.size());
}

}  // namespace orvia::test
