// New audio for an OGM or a greeting: loaded WAVE and MP3 files, recordings
// and speech become 8000 Hz mono 16-bit recordings handed to the level
// control; Cancel and unreadable input leave the old recording untouched.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "mp3_fixtures.h"
#include "ogm_fixtures.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/mailbox/mailbox_dialog.h"
#include "ui/ogm/new_audio_conversion.h"
#include "ui/ogm/new_audio_menu.h"
#include "ui/ogm/ogm_message_page.h"
#include "ui/ogm/ogm_properties.h"

namespace orvia::test {
namespace {

class NewAudioTest : public OgmEditorTest {
protected:
    NewAudioTest() {
        data_.Ogm("Sales");
        sheet_ = std::make_unique<OgmPropertiesSheet>(nullptr, "Sales", services_);
        sheet_->ShowPage(0);
    }
    NewAudioMenu& Menu() const { return *sheet_->Message()->AudioMenu(); }
    std::string Recording() const { return OgmFile("Sales", ".wav"); }
    // Files of the OGMs folder, hidden ones included (no temporary file may stay).
    std::vector<std::string> OgmFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Store().OGMs()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<OgmPropertiesSheet> sheet_;
};

TEST_F(NewAudioTest, LoadedWaveAndMp3FilesBecomeLineFormatRecordingsQueuedForLevelControl) {
    TempDir imports;
    struct Case {
        const char* file;
        std::function<bool(const std::string&)> make;
    } cases[] = {
        {"tone.wav",
         [](const std::string& path) {
             WriteTone(path, 44100, 2, 2.0);
             return true;
         }},
        {"tone.mp3",
         [](const std::string& path) {
             ToneSpec tone;
             tone.seconds = 2.0;
             return EncodeMp3(tone, {"-b", "128"}, path);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string input = imports.Path() + c.file;
        ASSERT_TRUE(c.make(input));
        queue_.queued.clear();
        questions_.QueueFile(QString::fromStdString(input));
        Menu().LoadAction()->trigger();
        EXPECT_EQ(questions_.filesAsked.back().title, "Load New OGM");
        const WaveShape shape = ShapeOf(Recording());
        EXPECT_EQ(shape.rate, 8000);
        EXPECT_EQ(shape.channels, 1);
        EXPECT_EQ(shape.bits, 16);
        EXPECT_NEAR(shape.frames, 16000, 1200);  // two seconds (an MP3 adds its padding)
        EXPECT_EQ(queue_.queued, (std::vector<std::string>{Recording()}));
        EXPECT_EQ(ReadProfileString(data_.Settings(), "settings", "wavimportdir", "") + "/",
                  imports.Path());
        EXPECT_TRUE(sheet_->Message()->RecordingLabel()->text().contains("2.0 seconds") ||
                    sheet_->Message()->RecordingLabel()->text().contains("2.1 seconds"));
    }
    EXPECT_EQ(OgmFolder(), (std::vector<std::string>{"Sales.ini", "Sales.wav"}));
}

TEST_F(NewAudioTest, CancelDuringTheConversionKeepsTheOldRecording) {
    TempDir imports;
    const std::string input = imports.Path() + "long.wav";
    WriteTone(input, 44100, 2, 6.0);
    const std::string before = ReadFile(Recording());
    // The first look at the progress window's Cancel finds it pressed.
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<QProgressDialog*>(top);
                progress != nullptr && progress->isVisible()) {
                EXPECT_EQ(progress->windowTitle(), "Process Audio File");
                progress->cancel();
            }
        }
    });
    EXPECT_EQ(ConvertNewAudio(nullptr, input, Recording(), queue_), NewAudioResult::Cancelled);
    EXPECT_EQ(ReadFile(Recording()), before);
    EXPECT_TRUE(queue_.queued.empty());
    EXPECT_EQ(OgmFolder(), (std::vector<std::string>{"Sales.ini", "Sales.wav"}));
}

TEST_F(NewAudioTest, InputThatIsNoAudioIsReportedAndChangesNothing) {
    TempDir imports;
    const std::string input = imports.Path() + "notes.wav";
    ASSERT_TRUE(WriteFile(input, "not audio at all"));
    const std::string before = ReadFile(Recording());
    questions_.QueueFile(QString::fromStdString(input));
    questions_.QueueAnswer(Answer::Ok);
    Menu().LoadAction()->trigger();
    EXPECT_EQ(questions_.asked.back().caption, "Process Audio File");
    EXPECT_TRUE(questions_.asked.back().text.contains("notes.wav"));
    EXPECT_EQ(ReadFile(Recording()), before);
    EXPECT_TRUE(queue_.queued.empty());
}

TEST_F(NewAudioTest, RecordAndSynthesizeAreGreyedUntilTheirDialogsAreThere) {
    EXPECT_FALSE(Menu().RecordAction()->isEnabled());
    EXPECT_FALSE(Menu().SynthesizeAction()->isEnabled());
    EXPECT_TRUE(Menu().LoadAction()->isEnabled());
    EXPECT_EQ(Menu().RecordAction()->text(), "&Record...");
    EXPECT_EQ(Menu().SynthesizeAction()->text(), "&Synthesize Speech...");

    ToneNewAudio sources;
    emit Menu().aboutToShow();
    ASSERT_TRUE(Menu().RecordAction()->isEnabled());
    ASSERT_TRUE(Menu().SynthesizeAction()->isEnabled());

    Menu().SynthesizeAction()->trigger();
    EXPECT_NEAR(ShapeOf(Recording()).frames, 8000, 4);  // one second of speech, now at 8000 Hz
    Menu().RecordAction()->trigger();
    EXPECT_EQ(ShapeOf(Recording()).frames, 12000);
    EXPECT_EQ(queue_.queued, (std::vector<std::string>{Recording(), Recording()}));
    // A recording the user did not accept changes nothing.
    sources.accept = false;
    Menu().RecordAction()->trigger();
    EXPECT_EQ(ShapeOf(Recording()).frames, 12000);
    ASSERT_EQ(sources.asked.size(), 3u);
    EXPECT_EQ(sources.asked[0].rfind("synthesize " + Store().OGMs() + ".", 0), 0u);
    EXPECT_EQ(OgmFolder(), (std::vector<std::string>{"Sales.ini", "Sales.wav"}));
}

TEST_F(NewAudioTest, ClearingTheOgmsAudioAsksFirst) {
    EXPECT_EQ(Menu().RemoveAction()->text(), "Clear &Audio");
    questions_.QueueAnswer(Answer::No);
    Menu().RemoveAction()->trigger();
    EXPECT_TRUE(FileExists(Recording()));
    EXPECT_EQ(questions_.asked.back().caption, "Confirm Clear");
    EXPECT_EQ(questions_.asked.back().text,
              "Are you sure you want to clear the audio of this OGM?");
    questions_.QueueAnswer(Answer::Yes);
    Menu().RemoveAction()->trigger();
    EXPECT_FALSE(FileExists(Recording()));
}

TEST_F(NewAudioTest, AMailboxGreetingIsLoadedAndResetTheSameWay) {
    data_.Mailbox("Sales");
    TempDir imports;
    const std::string input = imports.Path() + "hello.wav";
    WriteTone(input, 44100, 2, 1.0);
    MailboxDialog dialog(nullptr, "Sales", services_);
    dialog.Prepare();
    const std::string greeting = data_.Box("Sales OGM.wav");
    questions_.QueueFile(QString::fromStdString(input));
    dialog.GreetingMenu()->LoadAction()->trigger();
    EXPECT_EQ(questions_.filesAsked.back().title, "Load New Greeting");
    const WaveShape shape = ShapeOf(greeting);
    EXPECT_EQ(shape.rate, 8000);
    EXPECT_EQ(shape.channels, 1);
    EXPECT_NEAR(shape.frames, 8000, 4);
    EXPECT_EQ(queue_.queued, (std::vector<std::string>{greeting}));

    EXPECT_EQ(dialog.GreetingMenu()->RemoveAction()->text(), "Reset to &Default");
    dialog.GreetingMenu()->RemoveAction()->trigger();  // no question
    EXPECT_FALSE(FileExists(greeting));
}

}  // namespace
}  // namespace orvia::test
