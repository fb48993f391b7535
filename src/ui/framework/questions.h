// The seam through which dialogs ask the user: message boxes, one-line text
// questions, file names, and the modal run of a dialog.
//
// Every dialog of the desktop UI asks through CurrentQuestions() instead of
// calling QMessageBox, QInputDialog, QFileDialog or QDialog::exec itself, so
// a test can install its own Questions and answer them (or drive a dialog's
// controls) without a nested event loop or a sleep. The program uses
// WidgetQuestions, which shows the real Qt dialogs.
//
// Main thread only.
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QDialog;
class QInputDialog;
class QMessageBox;
class QWidget;

namespace orvia {

enum class QuestionIcon { None, Information, Warning, Question, Exclamation };
enum class QuestionButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// A message box: its caption (title), text, icon and buttons.
struct Question {
    QString caption;
    QString text;
    QuestionIcon icon = QuestionIcon::None;
    QuestionButtons buttons = QuestionButtons::Ok;
};

// A file dialog: title, starting file or folder, filter ("Wave Files (*.wav)").
struct FileQuestion {
    QString title;
    QString start;
    QString filter;
};

class Questions {
public:
    virtual ~Questions() = default;
    // A message box; Cancel (or No without Cancel) when it is closed otherwise.
    virtual Answer Ask(QWidget* parent, const Question& question) = 0;
    // A one-line text dialog with a title and prefilled text; nothing on Cancel.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& title,
                                           const QString& text) = 0;
    // A save dialog; the chosen path, nothing on Cancel.
    virtual std::optional<QString> AskSaveFile(QWidget* parent, const FileQuestion& question) = 0;
    // An open dialog; the chosen path, nothing on Cancel.
    virtual std::optional<QString> AskOpenFile(QWidget* parent, const FileQuestion& question) = 0;
    // Runs a prepared dialog modally; its result (QDialog::Accepted or Rejected).
    virtual int RunDialog(QDialog& dialog) = 0;
};

// The real dialogs.
class WidgetQuestions : public Questions {
public:
    Answer Ask(QWidget* parent, const Question& question) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title,
                                   const QString& text) override;
    std::optional<QString> AskSaveFile(QWidget* parent, const FileQuestion& question) override;
    std::optional<QString> AskOpenFile(QWidget* parent, const FileQuestion& question) override;
    int RunDialog(QDialog& dialog) override;
};

// The message box a question shows (also used to picture it).
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Question& question);
// The text dialog AskText shows.
std::unique_ptr<QInputDialog> MakeTextDialog(QWidget* parent, const QString& title,
                                             const QString& text);

// The process's questions: WidgetQuestions unless a test installed others.
Questions& CurrentQuestions();

// Installs questions for a scope, restoring the previous ones.
class ScopedQuestions {
public:
    explicit ScopedQuestions(Questions* questions);
    ~ScopedQuestions();
    ScopedQuestions(const ScopedQuestions&) = delete;
    ScopedQuestions& operator=(const ScopedQuestions&) = delete;

private:
    Questions* previous_;
};

}  // namespace orvia
