// LRecordDlg, the modal "Record Control": records a greeting or an OGM from
// the sound card into one WAVE file, plays it back, scrubs, winds and
// re-takes, with a level meter, a wave display around the position and a
// position scroll bar. It opens already recording at the start of the file.
//
// The transport, as buttons and keys:
//   Record (F8)       record from the position on, keeping what comes before
//   Play (F9)         play from the position (or go on after a held preview)
//   Scrub (F10/Space) hold a short looping preview at the position
//   Stop (Esc)        stop recording and playing
//   Go to Start (Home), Go to End (End)
//   Rewind (<-), Forward (->)  while held: play through a speed stage that
//                     speeds up over 8 s, then go on as before at the new place
// While recording, the outer buttons become Restart (F6: record from the
// start again), Re-Take (F7: record again from where this take began) and
// Record Next (F5: close with kRecordNext). The scroll bar moves by 2 s.
//
// The caller passes a parameter block (record_params.h); closing stores the
// devices, input line and levels back into it, and the Advanced dialog the
// options and threshold.
//
// Main thread only; the wave display's scan runs on its own thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "audio/playback/sound_player.h"
#include "audio/playback/sound_recorder.h"
#include "ui/framework/popup_dialog_box.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace orvia {

class LDBDisplay;
class LDBEdit;
class LWaveScan;
class LWaveWindow;
struct LRecordParams;

class LRecordDlg : public LPopupDialogBox,
                   private LSoundRecorderNotify,
                   private LSoundPlayerNotify {
    Q_OBJECT

public:
    // The dialog's end codes.
    enum Result : int { kCancelled = 0, kAccepted = 1, kRecordNext = 2 };
    // The transport buttons (dialog controls 110 to 117).
    enum Button : int { kRecord, kPlay, kScrub, kStop, kStart, kRewind, kForward, kEnd };

    static constexpr int32_t kScrollStepTicks = 20000;  // 2 s
    static constexpr int32_t kWindRampTicks = 80000;    // 8 s
    static constexpr int kScrollRange = 200;

    LRecordDlg(QWidget* parent, LRecordParams& params);
    ~LRecordDlg() override;

    // Runs the dialog; one of the end codes.
    int Exec();

    void OnInit() override;
    void OnCommand(QObject* control) override;
    void done(int result) override;

    // The transport.
    void Record();
    void RecordAt(int32_t frame);
    void Retake() { RecordAt(takeStartFrame_); }
    void RecordNext() { done(kRecordNext); }
    void Play();
    void Scrub();
    void Stop();
    void GoToStart();
    void GoToEnd();
    void StartWind(bool forward);
    void StopWind();

    // The position and the length, in ticks.
    int32_t Position() const { return position_; }
    int32_t Length() const { return length_; }
    bool IsRecording() const { return !recorder_->IsStopped(); }
    bool IsWinding() const { return wind_ != Wind::None; }
    const LSoundRecorder& Recorder() const { return *recorder_; }
    const LSoundPlayer& Player() const { return *player_; }

    QLineEdit* Title() const { return title_; }
    QComboBox* RecordDevice() const { return recordDevice_; }
    QComboBox* InputLine() const { return inputLine_; }
    QComboBox* PlayDevice() const { return playDevice_; }
    LDBEdit* RecordVolume() const { return recordVolume_; }
    LDBEdit* PlayVolume() const { return playVolume_; }
    QPushButton* AdvancedButton() const { return advanced_; }
    QLabel* PositionText() const { return positionText_; }
    QLabel* StatusText() const { return status_; }
    LDBDisplay* Meter() const { return meter_; }
    LWaveWindow* Wave() const { return wave_; }
    QScrollBar* ScrollBar() const { return scroll_; }
    QToolButton* TransportButton(Button button) const {
        return buttons_[static_cast<std::size_t>(button)];
    }
    LWaveScan* Scan() const { return scan_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Wind { None, Rewinding, Forwarding };
    enum class Resume { Nothing, Scrubbing, Playing };

    // The recorder's and the player's notifications.
    void OnSound(uint32_t user) override;
    void OnWaiting(uint32_t user) override;
    void OnRecordStop(uint32_t user) override;
    void OnPlay(uint32_t user) override;
    void OnStop(uint32_t user) override;
    void OnHold(uint32_t user) override;
    void OnPause(uint32_t user) override;
    void OnPosition(int32_t ticks, uint32_t user) override;
    void OnLevels(const LSoundLevels* levels, uint32_t user) override;

    QToolButton* MakeButton(Button button);
    void FillInputLines();
    void ApplyRecordMixer();
    void ApplyPlayMixer();
    void ShowPosition(int32_t ticks);
    void RestartScan();
    void StopScan();
    void MoveTo(int32_t ticks);
    void OnScrollAction(int action);
    void UpdateButtons();
    void OpenRecordMixer();
    bool HandleKey(QObject* watched, int key, bool press, bool autoRepeat);
    int32_t Frames(int32_t ticks) const;
    int32_t Ticks(int64_t frames) const;
    int8_t SelectedRecordDevice() const;
    int8_t SelectedPlayDevice() const;
    bool Holding() const { return (player_->State() & LSoundPlayer::kHold) != 0; }

    LRecordParams& params_;
    std::unique_ptr<LSoundRecorder> recorder_;
    std::unique_ptr<LSoundPlayer> player_;
    std::unique_ptr<LWaveScan> scan_;
    int32_t position_ = 0;
    int32_t length_ = 0;
    int32_t takeStartFrame_ = 0;
    Wind wind_ = Wind::None;
    Resume resume_ = Resume::Nothing;
    bool closing_ = false;
    bool quietStop_ = false;  // a stop on the way to the next take
    bool pressedWhileRecording_ = false;
    QString problem_;  // why the last record or play did not start
    // The sink of the take being recorded, held until the recorder reports
    // its stop so the dialog can tell a take the disk cut short.
    LSoundSink take_;

    QLineEdit* title_;
    QComboBox* recordDevice_;
    QComboBox* inputLine_;
    QComboBox* playDevice_;
    LDBEdit* recordVolume_;
    LDBEdit* playVolume_;
    QPushButton* mixer_;
    QPushButton* advanced_;
    QLabel* positionText_;
    QLabel* status_;
    LDBDisplay* meter_;
    LWaveWindow* wave_;
    QScrollBar* scroll_;
    std::array<QToolButton*, 8> buttons_{};
};

}  // namespace orvia
