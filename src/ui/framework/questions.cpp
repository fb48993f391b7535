#include "ui/framework/questions.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

Questions* g_questions = nullptr;

QMessageBox::Icon BoxIcon(QuestionIcon icon) {
    switch (icon) {
        case QuestionIcon::Information:
            return QMessageBox::Information;
        case QuestionIcon::Question:
            return QMessageBox::Question;
        case QuestionIcon::Warning:
        case QuestionIcon::Exclamation:
            return QMessageBox::Warning;
        case QuestionIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(QuestionButtons buttons) {
    switch (buttons) {
        case QuestionButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case QuestionButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case QuestionButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case QuestionButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// "wav" of "Wave Files (*.wav)": the first extension the filter names,
// empty when it names none.
QString FirstExtensionOf(const QString& filter) {
    static const QRegularExpression pattern(R"(\*\.([A-Za-z0-9]+))");
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Question& question) {
    auto box = std::make_unique<QMessageBox>(BoxIcon(question.icon), question.caption,
                                             question.text, BoxButtons(question.buttons), parent);
    // Plain text: names in the texts come from files and must not be markup.
    box->setTextFormat(Qt::PlainText);
    if (question.buttons == QuestionButtons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    return box;
}

std::unique_ptr<QInputDialog> MakeTextDialog(QWidget* parent, const QString& title,
                                             const QString& text) {
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(title + ":");
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(text);
    // Wide enough for the caption in the window's title bar (the dialog's
    // layout sizes it from its controls).
    if (auto* edit = dialog->findChild<QLineEdit*>())
        edit->setMinimumWidth(dialog->fontMetrics().horizontalAdvance(title) * 3 / 2 + 40);
    return dialog;
}

Answer WidgetQuestions::Ask(QWidget* parent, const Question& question) {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(parent, question);
    switch (box->exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return question.buttons == QuestionButtons::YesNo ? Answer::No : Answer::Cancel;
    }
}

std::optional<QString> WidgetQuestions::AskText(QWidget* parent, const QString& title,
                                                const QString& text) {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::unique_ptr<QInputDialog> dialog = MakeTextDialog(parent, title, text);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

std::optional<QString> WidgetQuestions::AskSaveFile(QWidget* parent, const FileQuestion& question) {
    ORVIA_ASSERT_MAIN_THREAD();
    QFileDialog dialog(parent, question.title, question.start, question.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the filter's, as the file
    // type says (a saved message "call" becomes "call.wav"); the overwrite
    // question is then asked for that name.
    dialog.setDefaultSuffix(FirstExtensionOf(question.filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> WidgetQuestions::AskOpenFile(QWidget* parent, const FileQuestion& question) {
    ORVIA_ASSERT_MAIN_THREAD();
    const QString path =
        QFileDialog::getOpenFileName(parent, question.title, question.start, question.filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

int WidgetQuestions::RunDialog(QDialog& dialog) {
    ORVIA_ASSERT_MAIN_THREAD();
    return dialog.exec();
}

Questions& CurrentQuestions() {
    static WidgetQuestions widgets;
    return g_questions != nullptr ? *g_questions : widgets;
}

ScopedQuestions::ScopedQuestions(Questions* questions) : previous_(g_questions) {
    g_questions = questions;
}

ScopedQuestions::~ScopedQuestions() {
    g_questions = previous_;
}

}  // namespace orvia
