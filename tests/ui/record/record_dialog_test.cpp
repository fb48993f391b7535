// The record control on test sound devices: recording (and where it
// starts), re-taking, playing back with the position advancing, winding,
// the wave display's scan and the keys.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "audio/ticks.h"
#include "audio/wave_source.h"
#include "desktop_fakes.h"
#include "file_size_limit.h"
#include "platform/dispatch/step_dispatcher.h"
#include "platform/wave/fast_test_device.h"
#include "platform/wave/wave_input_source.h"
#include "platform/wave/wave_registry.h"
#include "store/profile_values.h"
#include "ui/record/db_display.h"
#include "ui/record/desktop_new_audio.h"
#include "ui/record/record_dialog.h"
#include "ui/record/record_dialog_advanced.h"
#include "ui/record/record_params.h"
#include "ui/record/wave_scan.h"
#include "ui/record/wave_window.h"
#include "ui/settings/db_edit.h"
#include "ui_fixtures.h"

namespace orvia::test {
namespace {

constexpr int kBoundMs = 20000;

// A square wave whose 16-bit peak is exactly peak.
std::vector<int16_t> Tone(int frames, int16_t peak) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back((i / 4) % 2 ? peak : static_cast<int16_t>(-peak));
    return samples;
}

class RecordDialogTest : public ::testing::Test {
protected:
    RecordDialogTest() {
        params_.path = temp_.Path() + "take.wav";
        params_.title = "Sales";
        params_.flags = LRecordParams::kAutoTrim;
        params_.threshold = -30;
    }

    bool Wait(const std::function<bool()>& done) { return dispatcher_.RunUntil(done, kBoundMs); }
    int32_t FileFrames() const {
        const LSoundSource source = OpenWaveSource(params_.path);
        return IsInvalid(source) ? -1 : source->GetLength();
    }
    // The largest 16-bit sample between two frames of the recording.
    int PeakBetween(int32_t from, int32_t to) const {
        LSoundSource source = OpenWaveSource(params_.path);
        std::vector<int32_t> samples(static_cast<std::size_t>(to - from));
        source->Seek(from);
        source->Read(samples.data(), to - from);
        int peak = 0;
        for (int32_t s : samples)
            peak = std::max(peak, std::abs(s) / 16);
        return peak;
    }
    // Records until the position reaches ticks, then stops with Esc.
    void RecordUntil(LRecordDlg& dialog, int32_t ticks) {
        ASSERT_TRUE(Wait([&] { return dialog.Position() >= ticks; }));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.IsRecording());
    }

    DataFolder data_;
    TempDir temp_;
    StepDispatcher dispatcher_;
    ScopedCurrentDispatcher current_{&dispatcher_};
    std::shared_ptr<FastTestDevice> mic_ = std::make_shared<FastTestDevice>("Test Microphone");
    std::shared_ptr<FastTestDevice> speakers_ = std::make_shared<FastTestDevice>("Test Speakers");
    ScopedWaveDevice in_{WaveDirection::Input, 0, mic_};
    ScopedWaveDevice out_{WaveDirection::Output, 0, speakers_};
    LRecordParams params_;
    ScriptedQuestions questions_;
};

TEST_F(RecordDialogTest, RecordsAtOnceReTakesFromThePositionAndPlaysBack) {
    mic_->SetInput(SamplesInput(Tone(16000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(dialog.RecordDevice()->currentText(), "Test Microphone");
    EXPECT_EQ(dialog.Title()->text(), "Sales");
    EXPECT_TRUE(dialog.IsRecording());  // opens recording
    EXPECT_TRUE(dialog.TransportButton(LRecordDlg::kRecord)->isChecked());
    EXPECT_EQ(dialog.TransportButton(LRecordDlg::kForward)->toolTip(), "Re-Take (F7)");
    EXPECT_EQ(dialog.TransportButton(LRecordDlg::kEnd)->toolTip(), "Record Next (F5)");

    // Two seconds of tone, then silence that Stop trims to 50 ms.
    RecordUntil(dialog, 30000);
    const int32_t first = FileFrames();
    EXPECT_GE(first, 16000);
    EXPECT_LE(first, 17000);
    EXPECT_EQ(dialog.Length(), FramesToTicks(first, 8000));
    EXPECT_EQ(dialog.TransportButton(LRecordDlg::kForward)->toolTip(), "Forward (->)");
    EXPECT_EQ(dialog.PositionText()->text(),
              QString::fromStdString(FormatTicks(dialog.Position(), TickFormat::Tenths)));

    // Record from 2.0 s: what comes before is kept.
    QTest::keyClick(&dialog, Qt::Key_Home);
    EXPECT_EQ(dialog.Position(), 0);
    dialog.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(dialog.Position(), 20000);
    mic_->SetInput(SamplesInput(Tone(16000, 16000)));
    QTest::keyClick(&dialog, Qt::Key_F8);
    RecordUntil(dialog, 50000);
    EXPECT_GE(FileFrames(), 32000);
    EXPECT_LE(FileFrames(), 33000);
    EXPECT_EQ(PeakBetween(1000, 15000), 8000);
    EXPECT_EQ(PeakBetween(17000, 31000), 16000);

    // Re-Take replaces everything from where that take began.
    mic_->SetInput(SamplesInput(Tone(8000, 4000)));
    QTest::keyClick(&dialog, Qt::Key_F7);
    RecordUntil(dialog, 40000);
    EXPECT_GE(FileFrames(), 24000);
    EXPECT_LE(FileFrames(), 25000);
    EXPECT_EQ(PeakBetween(1000, 15000), 8000);
    EXPECT_EQ(PeakBetween(17000, 23000), 4000);

    // Play from the start: the position follows to the end.
    QTest::keyClick(&dialog, Qt::Key_Home);
    QTest::keyClick(&dialog, Qt::Key_F9);
    std::vector<int32_t> seen;
    ASSERT_TRUE(Wait([&] {
        seen.push_back(dialog.Position());
        return !dialog.Player().IsOpen();
    }));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(std::count_if(seen.begin(), seen.end(), [](int32_t p) { return p > 0; }), 0);
    EXPECT_GE(dialog.Position(), dialog.Length() - 1000);
    EXPECT_GE(speakers_->PlayedSamples(), static_cast<uint64_t>(FileFrames()));
    EXPECT_FALSE(dialog.TransportButton(LRecordDlg::kPlay)->isChecked());
}

// The disk fills during a take: the recording stops by itself and the
// dialog says the take was cut short instead of just "Stopped".
TEST_F(RecordDialogTest, ATakeTheDiskCutShortIsToldNotShownAsStopped) {
    mic_->SetInput(SamplesInput(Tone(16000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    {
        ScopedFileSizeLimit full(46 + 8000 * 2);  // one second
        dialog.Prepare();
        dialog.show();
        ASSERT_TRUE(dialog.IsRecording());
        ASSERT_TRUE(Wait([&] { return !dialog.IsRecording(); }));
    }
    EXPECT_EQ(dialog.StatusText()->text(), "The disk is full: the take ends where writing failed");
    EXPECT_GT(FileFrames(), 0);
    EXPECT_LE(FileFrames(), 8000);

    // The next take that starts clears it; one stopped by the user shows "Stopped".
    QTest::keyClick(&dialog, Qt::Key_F8);
    ASSERT_TRUE(dialog.IsRecording());
    RecordUntil(dialog, dialog.Position() + 5000);
    EXPECT_EQ(dialog.StatusText()->text(), "Stopped");
}

TEST_F(RecordDialogTest, WithoutAutoTrimOnlyALoudInputStartsTheRecording) {
    // -0.2 dB, for a minute: below the +2 dB that a threshold of 0 dB needs.
    mic_->SetInput(SamplesInput(Tone(8000 * 60, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    questions_.QueueDialog([](QDialog& dialog) {
        auto& advanced = static_cast<LRecordDlgAdvanced&>(dialog);
        EXPECT_EQ(advanced.windowTitle(), "Advanced Settings");
        EXPECT_TRUE(advanced.AutoTrim()->isChecked());
        QTest::mouseClick(advanced.AutoTrim(), Qt::LeftButton);
        advanced.accept();
    });
    QTest::mouseClick(dialog.AdvancedButton(), Qt::LeftButton);
    EXPECT_EQ(params_.flags & LRecordParams::kAutoTrim, 0);
    QTest::keyClick(&dialog, Qt::Key_F6);  // record from the start again
    ASSERT_TRUE(Wait([&] { return dialog.Meter()->BarLevel(0) > LDBDisplay::kMinDb; }));
    for (int i = 0; i < 20; ++i)
        dispatcher_.RunPending();
    EXPECT_TRUE(dialog.Recorder().IsWaiting());
    EXPECT_EQ(dialog.Position(), 0);

    // +11.8 dB starts it.
    mic_->SetInput(SamplesInput(Tone(8000, 32000)));
    QTest::keyClick(&dialog, Qt::Key_F6);
    ASSERT_TRUE(Wait([&] { return dialog.Recorder().IsWriting(); }));
    RecordUntil(dialog, 15000);
    EXPECT_GE(FileFrames(), 8000);
    EXPECT_EQ(PeakBetween(1000, 8000), 32000);
}

TEST_F(RecordDialogTest, TheWaveDisplayShowsTheRecordingAroundThePosition) {
    mic_->SetInput(SamplesInput(Tone(16000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    dialog.resize(640, 480);
    dialog.show();
    RecordUntil(dialog, 30000);
    // After the take a new scan reads the finished file around the end.
    ASSERT_TRUE(Wait([&] { return dialog.Scan() != nullptr && dialog.Scan()->Completed() > 0; }));
    const std::vector<int16_t> columns = dialog.Wave()->Peaks()->Columns();
    ASSERT_EQ(static_cast<int>(columns.size()), dialog.Wave()->Columns());
    ASSERT_GT(columns.size(), 100u);
    // One second of tone before the position (peak 8000 x 16 >> 10), nothing after it.
    EXPECT_EQ(columns.front(), 125);
    EXPECT_EQ(columns.back(), WavePeaks::kNone);
    EXPECT_EQ(dialog.Wave()->CursorFrame(), TicksToFrames(dialog.Position(), 8000));
}

TEST_F(RecordDialogTest, WindingPlaysThroughAndResumesWhatWasGoingOn) {
    mic_->SetInput(SamplesInput(Tone(16000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    dialog.show();
    RecordUntil(dialog, 30000);
    QTest::keyClick(&dialog, Qt::Key_Home);
    QTest::keyClick(&dialog, Qt::Key_F10);  // scrub: a held preview at 0
    ASSERT_TRUE(Wait([&] { return (dialog.Player().State() & LSoundPlayer::kHold) != 0; }));
    EXPECT_TRUE(dialog.TransportButton(LRecordDlg::kScrub)->isChecked());

    QTest::keyPress(&dialog, Qt::Key_Right);
    EXPECT_TRUE(dialog.IsWinding());
    ASSERT_TRUE(Wait([&] { return dialog.Position() >= 5000; }));
    QTest::keyRelease(&dialog, Qt::Key_Right);
    EXPECT_FALSE(dialog.IsWinding());
    const int32_t there = dialog.Position();
    EXPECT_GE(there, 5000);
    // Scrubbing again, at the new place.
    ASSERT_TRUE(Wait([&] { return (dialog.Player().State() & LSoundPlayer::kHold) != 0; }));
    EXPECT_GE(dialog.Position(), there - 1000);

    // Space plays on from a held preview; Esc stops.
    QTest::keyClick(&dialog, Qt::Key_Space);
    ASSERT_TRUE(Wait([&] { return (dialog.Player().State() & LSoundPlayer::kHold) == 0; }));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.Player().IsOpen());
}

// The name field takes the focus first; when it is read-only (a recording
// whose name is fixed, the usual case) the transport keys still act.
TEST_F(RecordDialogTest, KeysActWhileTheReadOnlyNameHasTheFocus) {
    params_.flags |= LRecordParams::kReadOnlyName;
    mic_->SetInput(SamplesInput(Tone(16000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    dialog.show();
    RecordUntil(dialog, 30000);
    auto* name = dialog.findChild<QLineEdit*>();
    ASSERT_TRUE(name != nullptr && name->isReadOnly());
    dialog.activateWindow();
    name->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == name; }, kBoundMs));
    QTest::keyClick(name, Qt::Key_Home);
    EXPECT_EQ(dialog.Position(), 0);
    QTest::keyClick(name, Qt::Key_Space);  // a scrub: a held preview at the start
    EXPECT_TRUE(Wait([&] { return (dialog.Player().State() & LSoundPlayer::kHold) != 0; }));
    QTest::keyClick(name, Qt::Key_Escape);
}

TEST_F(RecordDialogTest, RecordNextClosesWithItsOwnResultAndTheSettingsGoBack) {
    mic_->SetInput(SamplesInput(Tone(8000, 8000)));
    LRecordDlg dialog(nullptr, params_);
    dialog.Prepare();
    dialog.show();
    dialog.PlayVolume()->setValue(-6);
    ASSERT_TRUE(Wait([&] { return dialog.Position() >= 5000; }));
    QTest::keyClick(&dialog, Qt::Key_F5);
    EXPECT_EQ(dialog.result(), LRecordDlg::kRecordNext);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsRecording());
    EXPECT_EQ(params_.playVolume, -6);
    EXPECT_EQ(params_.recordDevice, 0);
    EXPECT_EQ(params_.recordLine, -1);
    EXPECT_GT(FileFrames(), 0);
}

TEST_F(RecordDialogTest, NewAudioKeepsARecordingAndItsSettingsOnlyWhenAccepted) {
    ASSERT_TRUE(WriteProfileInt(data_.Settings(), "settings", "recordtrim", -24));
    mic_->SetInput(SamplesInput(Tone(8000, 8000)));
    DesktopNewAudio audio;
    questions_.QueueDialog([&](QDialog& dialog) {
        auto& record = static_cast<LRecordDlg&>(dialog);
        ASSERT_TRUE(Wait([&] { return record.Position() >= 12000; }));
        record.PlayVolume()->setValue(3);
        record.accept();
    });
    EXPECT_TRUE(audio.Record(nullptr, params_.path));
    EXPECT_GT(FileFrames(), 0);
    EXPECT_EQ(ReadProfileInt(data_.Settings(), "settings", "recordplayvolume", 0), 3);
    EXPECT_EQ(ReadProfileInt(data_.Settings(), "settings", "recordtrim", 0), -24);

    questions_.QueueDialog([&](QDialog& dialog) {
        auto& record = static_cast<LRecordDlg&>(dialog);
        record.PlayVolume()->setValue(-9);
        record.reject();
    });
    EXPECT_FALSE(audio.Record(nullptr, params_.path));
    EXPECT_FALSE(FileExists(params_.path));
    EXPECT_EQ(ReadProfileInt(data_.Settings(), "settings", "recordplayvolume", 0), 3);
}

}  // namespace
}  // namespace orvia::test
