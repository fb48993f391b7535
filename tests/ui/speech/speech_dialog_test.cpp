// "Synthesize Speech" over the espeak-ng voices: the voice list, synthesis
// into the file with the voice kept, and a failure that keeps the dialog
// open with the text.
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "audio/wave_source.h"
#include "desktop_fakes.h"
#include "speech/speech_engine.h"
#include "store/profile_values.h"
#include "ui/record/desktop_new_audio.h"
#include "ui/speech/tts_input_dialog.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

class SpeechDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GT(CountEngines(), 3) << "espeak-ng has too few voices"; }

    DataFolder data_;
    TempDir temp_;
    ScriptedQuestions questions_;
};

TEST_F(SpeechDialogTest, SynthesisesWithTheChosenVoiceAndKeepsItForNextTime) {
    ASSERT_TRUE(WriteProfileInt(data_.Settings(), "settings", "preferredspeaker", 2));
    const std::string path = temp_.Path() + "Synthesized.wav";
    DesktopNewAudio audio;
    questions_.QueueDialog([](QDialog& dialog) {
        auto& speech = static_cast<LTTSInputDialog&>(dialog);
        EXPECT_EQ(speech.windowTitle(), "Synthesize Speech");
        EXPECT_EQ(speech.Voices()->count(), CountEngines());
        EXPECT_EQ(speech.Voices()->currentIndex(), 2);
        EXPECT_EQ(speech.Voices()->itemText(0).toStdString(), EngineName(0));
        QTest::keyClicks(speech.Text(), "Thank you for calling.");
        speech.Voices()->setCurrentIndex(3);
        QTest::mouseClick(speech.SynthesizeButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(audio.Synthesize(nullptr, path));
    const LSoundSource spoken = OpenWaveSource(path);
    ASSERT_FALSE(IsInvalid(spoken));
    EXPECT_GT(spoken->GetLength(), spoken->sampleRate / 2);
    EXPECT_EQ(ReadProfileInt(data_.Settings(), "settings", "preferredspeaker", -1), 3);

    // The text typed last is proposed again; Cancel keeps the voice setting.
    questions_.QueueDialog([](QDialog& dialog) {
        auto& speech = static_cast<LTTSInputDialog&>(dialog);
        EXPECT_EQ(speech.Text()->toPlainText(), "Thank you for calling.");
        QTest::mouseClick(speech.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(audio.Synthesize(nullptr, path));
    EXPECT_EQ(ReadProfileInt(data_.Settings(), "settings", "preferredspeaker", -1), 3);
}

TEST_F(SpeechDialogTest, AnIndexBeyondTheListSelectsNothingAndSpeaksWithTheFirstVoice) {
    std::string text = "Hello";
    int engine = CountEngines() + 5;
    LTTSInputDialog dialog(nullptr, text, engine, temp_.Path() + "a.wav");
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(dialog.Voices()->currentIndex(), -1);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(engine, 0);
    EXPECT_TRUE(FileExists(temp_.Path() + "a.wav"));
}

TEST_F(SpeechDialogTest, CancelDuringSynthesisKeepsTheDialogWithTheTextAndLeavesNoFile) {
    std::string text;
    int engine = 0;
    const std::string path = temp_.Path() + "out.wav";
    LTTSInputDialog dialog(nullptr, text, engine, path);
    dialog.Prepare();
    dialog.show();
    dialog.Text()->setPlainText(
        "This greeting is long enough to be stopped before the engine has "
        "spoken all of it, which is what this test needs.");
    bool cancelled = false;
    // Cancel on the progress window as soon as it takes events.
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<QProgressDialog*>(top);
                progress && progress->isVisible()) {
                EXPECT_EQ(progress->windowTitle(), "Synthesize Voice");
                EXPECT_EQ(progress->labelText(), "Synthesizing Voice\nPlease wait...");
                progress->cancel();
                cancelled = true;
            }
        }
    });
    QTest::mouseClick(dialog.SynthesizeButton(), Qt::LeftButton);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Text()->toPlainText().startsWith("This greeting"));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(SpeechDialogTest, AFileThatCannotBeWrittenIsSaidAndTheDialogStaysWithTheText) {
    std::string text;
    int engine = 0;
    const std::string path = temp_.Path() + "missing/folder/out.wav";
    LTTSInputDialog dialog(nullptr, text, engine, path);
    dialog.Prepare();
    dialog.show();
    QTest::keyClicks(dialog.Text(), "Goodbye");
    questions_.QueueAnswer(Answer::Ok);
    QTest::mouseClick(dialog.SynthesizeButton(), Qt::LeftButton);
    ASSERT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(questions_.asked[0].caption, "Synthesize Speech");
    EXPECT_TRUE(questions_.asked[0].text.contains(QString::fromStdString(path)));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Text()->toPlainText(), "Goodbye");
    EXPECT_EQ(text, "Goodbye");
}

}  // namespace
}  // namespace orvia::test
