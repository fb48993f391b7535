#include "ui_fixtures.h"

#include <QDialog>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

#include "audio/pcm_file_sink.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/main_window.h"
#include "ui/message_list_view.h"

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

bool RecordingPlayback::Play(const LSoundSource& source, int device, int db) {
    calls.push_back("play " + std::to_string(source->GetLength()) + " on " +
                    std::to_string(device) + " at " + std::to_string(db) + "dB");
    playing_ = true;
    if (changed_)
        changed_(true);
    return true;
}

void RecordingPlayback::Stop() {
    calls.push_back("stop");
    const bool was = playing_;
    playing_ = false;
    if (was && changed_)
        changed_(false);
}

DataFolder::DataFolder() {
    SetStore(SettingsStore::ForDataFolder(dir.Path() + "data"));
    EXPECT_TRUE(Store().CreateFolders());
}

std::string DataFolder::Settings() const {
    return Store().SettingsFile();
}

std::string DataFolder::Box(const std::string& file) const {
    return Store().MailBoxes() + file;
}

namespace {

void WriteRecording(const std::string& path, int32_t frames) {
    LSoundSink sink = CreatePCMWaveSink(path, 8000, 1, 16, 0);
    std::vector<int32_t> samples(static_cast<std::size_t>(frames), 1600);
    sink->Write(samples.data(), frames);
}

}  // namespace

void DataFolder::Ogm(const std::string& name, const char* answer) const {
    const std::string base = Store().OGMs() + name;
    EXPECT_TRUE(WriteFile(base + ".ini", answer ? std::string("[ivr]\nanswer=") + answer + "\n"
                                                : std::string("[ivr]\n")));
    WriteRecording(base + ".wav", 8000);
}

void DataFolder::Mailbox(const std::string& name) const {
    EXPECT_TRUE(WriteFile(Box(name + ".mbx"), "[mbx]\nremoteaccess=false\n"));
}

std::string DataFolder::Message(const std::string& mailbox, int number, const std::string& cid,
                                bool read, int32_t frames) const {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%.6d", number);
    const std::string base = Box(mailbox + " ICM" + digits);
    WriteRecording(base + ".wav", frames);
    const std::string ini = base + ".ini";
    // A minute apart, the first one at 08:05:00 on 2024-03-07.
    EXPECT_TRUE(WriteProfileDateTime(ini, "message", "datetime", 1709798700 + number * 60));
    EXPECT_TRUE(WriteProfileString(ini, "message", "cid", cid));
    EXPECT_TRUE(WriteProfileBool(ini, "message", "read", read));
    return ini;
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
