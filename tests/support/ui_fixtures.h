// What the widget tests share: answers for the dialogs' questions, a
// recording desktop handoff and player, scripted lines, message files, and a
// main window over the real application core in a temporary data folder.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/desktop_playback.h"
#include "app/core/line_bank.h"
#include "app/core/main_dialog.h"
#include "desktop_fakes.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/time/clock.h"
#include "temp_dir.h"
#include "ui/framework/desktop_handoff.h"
#include "ui/framework/questions.h"
#include "ui/main/desktop_view.h"

namespace orvia::test {

// Answers the questions in the order the test queued them and keeps what
// was asked. A question without a queued answer fails the test (and gets
// Cancel, nothing or a rejected dialog).
class ScriptedQuestions : public Questions {
public:
    ScriptedQuestions() : scope_(this) {}
    ~ScriptedQuestions() override;

    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    void QueueText(std::optional<QString> text) { texts_.push_back(std::move(text)); }
    void QueueFile(std::optional<QString> path) { files_.push_back(std::move(path)); }
    // The dialog is shown, then drive works its controls (it should close it).
    void QueueDialog(std::function<void(QDialog&)> drive) { dialogs_.push_back(std::move(drive)); }

    Answer Ask(QWidget* parent, const Question& question) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title,
                                   const QString& text) override;
    std::optional<QString> AskSaveFile(QWidget* parent, const FileQuestion& question) override;
    std::optional<QString> AskOpenFile(QWidget* parent, const FileQuestion& question) override;
    int RunDialog(QDialog& dialog) override;

    // What was asked, in order.
    std::vector<Question> asked;
    std::vector<std::pair<QString, QString>> textsAsked;  // title, prefilled text
    std::vector<FileQuestion> filesAsked;
    std::vector<QString> dialogsRun;  // window titles

private:
    ScopedQuestions scope_;
    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> texts_;
    std::deque<std::optional<QString>> files_;
    std::deque<std::function<void(QDialog&)>> dialogs_;
};

// Records what would be opened and printed.
class RecordingHandoff : public DesktopHandoff {
public:
    RecordingHandoff() : scope_(this) {}
    bool Open(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return works;
    }
    bool Print(const std::string& path) override {
        printed.push_back(path);
        return works;
    }

    std::vector<std::string> opened;
    std::vector<std::string> printed;
    bool works = true;

private:
    ScopedHandoff scope_;
};

// The main window over the real application core (MainDialog) on a
// step-by-step dispatcher, with the test's questions, handoff, player and
// lines.
class DesktopTest : public ::testing::Test {
protected:
    DesktopTest();
    ~DesktopTest() override;

    // Creates the window (the data should be in place first).
    void Create(bool startHidden = false);
    MainWindow& Window() const;

    // Selects the rows of these messages (and no others) by clicking them.
    void SelectMessages(const std::vector<std::string>& messageInis);

    static constexpr int64_t kNow = 1700000000;  // 2023-11-14 22:13:20
    DataFolder data_;
    ScopedFixedClock clock_{kNow};
    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher current_{&dispatcher_};
    ScriptedQuestions questions_;
    RecordingHandoff handoff_;
    RecordingPlayback playback_;
    ScriptedLines lines_;
    std::ostringstream out_;
    MainWindowDialogs dialogs_;
    std::unique_ptr<DesktopView> view_;
    std::unique_ptr<MainDialog> app_;
};

}  // namespace orvia::test
