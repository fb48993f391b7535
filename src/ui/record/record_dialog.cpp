#include "ui/record/record_dialog.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "audio/pcm_file_sink.h"
#include "audio/speed_change.h"
#include "audio/ticks.h"
#include "audio/wave_source.h"
#include "platform/mixer/mixer_control.h"
#include "platform/process/process_desktop.h"
#include "platform/thread/thread_affinity.h"
#include "ui/framework/help.h"
#include "ui/framework/pictures.h"
#include "ui/framework/questions.h"
#include "ui/framework/standard_buttons.h"
#include "ui/record/db_display.h"
#include "ui/record/record_dialog_advanced.h"
#include "ui/record/record_params.h"
#include "ui/record/wave_scan.h"
#include "ui/record/wave_window.h"
#include "ui/settings/db_edit.h"
#include "ui/settings/sound_device_lists.h"

namespace orvia {
namespace {

constexpr uint32_t kRecorderUser = 1;
constexpr uint32_t kPlayerUser = 2;
// The silence that pauses a voice-activated recording (5 s), and the one
// that never comes (6 hours).
constexpr int32_t kVoiceSilenceTicks = 50000;
constexpr int32_t kEndlessSilenceTicks = 216000000;
// The cursor's width while a preview is held.
constexpr int32_t kHoldMarkTicks = 250;

struct ButtonLook {
    const char* picture;
    const char* tip;
};
constexpr ButtonLook kLooks[] = {
    {kPictureRecord, "Record (F8)"},           {kPictureRecordPlay, "Play (F9)"},
    {kPictureScrub, "Scrub (Space)"},          {kPictureStop, "Stop (Esc)"},
    {kPictureGoToStart, "Go to Start (Home)"}, {kPictureRewind, "Rewind (<-)"},
    {kPictureForward, "Forward (->)"},         {kPictureGoToEnd, "Go to End (End)"},
};

QLabel* Buddy(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setBuddy(control);
    return label;
}

}  // namespace

LRecordDlg::LRecordDlg(QWidget* parent, LRecordParams& params)
    : LPopupDialogBox(parent, kHelpRecordControl),
      params_(params),
      recorder_(std::make_unique<LSoundRecorder>()),
      player_(std::make_unique<LSoundPlayer>()),
      title_(new QLineEdit(this)),
      recordDevice_(new QComboBox(this)),
      inputLine_(new QComboBox(this)),
      playDevice_(new QComboBox(this)),
      recordVolume_(new LDBEdit(-36, 12, this)),
      playVolume_(new LDBEdit(-36, 12, this)),
      mixer_(new QPushButton(tr("Open Windows Record Mixer..."), this)),
      advanced_(new QPushButton(tr("Advanced Record Options..."), this)),
      positionText_(new QLabel(this)),
      status_(new QLabel(this)),
      meter_(new LDBDisplay(this)),
      wave_(new LWaveWindow(this)),
      scroll_(new QScrollBar(Qt::Horizontal, this)) {
    setWindowTitle(tr("Record Control"));
    setWindowIcon(Picture(kPictureWindowIcon));
    recordDevice_->setToolTip(tr("Record Device"));
    inputLine_->setToolTip(tr("Record Input Channel"));
    recordVolume_->setToolTip(tr("Record Volume"));
    playDevice_->setToolTip(tr("Playback Device"));
    playVolume_->setToolTip(tr("Playback Volume"));
    QFont big = positionText_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    positionText_->setFont(big);
    positionText_->setMinimumWidth(QFontMetrics(big).horizontalAdvance("00:00:00.0 "));
    status_->setTextFormat(Qt::PlainText);
    scroll_->setRange(0, kScrollRange);
    scroll_->setPageStep(10);

    auto* recordGroup = new QGroupBox(tr("Record"), this);
    auto* record = new QGridLayout(recordGroup);
    record->addWidget(Buddy(tr(" Record &Device"), recordDevice_), 0, 0);
    record->addWidget(recordDevice_, 0, 1);
    record->addWidget(Buddy(tr("Input"), inputLine_), 1, 0);
    record->addWidget(inputLine_, 1, 1);
    record->addWidget(Buddy(tr(" Record &Volume"), recordVolume_), 2, 0);
    record->addWidget(recordVolume_, 2, 1, Qt::AlignLeft);
    record->addWidget(mixer_, 3, 0, 1, 2);
    record->setColumnStretch(1, 1);

    auto* playGroup = new QGroupBox(tr("Playback"), this);
    auto* play = new QGridLayout(playGroup);
    play->addWidget(Buddy(tr("&Playback Device"), playDevice_), 0, 0);
    play->addWidget(playDevice_, 0, 1);
    play->addWidget(Buddy(tr("Playback Volume"), playVolume_), 1, 0);
    play->addWidget(playVolume_, 1, 1, Qt::AlignLeft);
    play->setRowStretch(2, 1);
    play->addWidget(advanced_, 3, 0, 1, 2);
    play->setColumnStretch(1, 1);

    auto* groups = new QHBoxLayout;
    groups->addWidget(recordGroup, 1);
    groups->addWidget(playGroup, 1);

    auto* meterRow = new QHBoxLayout;
    meterRow->addWidget(positionText_);
    meterRow->addWidget(meter_, 1);

    auto* transport = new QHBoxLayout;
    for (int b = kRecord; b <= kEnd; ++b) {
        transport->addWidget(MakeButton(static_cast<Button>(b)));
        if (b == kStop)
            transport->addSpacing(fontMetrics().averageCharWidth() * 3);
    }
    transport->addStretch(1);
    transport->addWidget(status_);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    // Enter must not end the dialog while the transport is used by keys.
    for (QAbstractButton* button : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(button))
            push->setAutoDefault(false);
    }
    mixer_->setAutoDefault(false);
    advanced_->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addLayout(groups);
    layout->addLayout(meterRow);
    layout->addWidget(wave_, 1);
    layout->addWidget(scroll_);
    layout->addLayout(transport);
    layout->addWidget(buttons);

    for (QObject* control :
         {static_cast<QObject*>(recordDevice_), static_cast<QObject*>(inputLine_),
          static_cast<QObject*>(playDevice_), static_cast<QObject*>(recordVolume_),
          static_cast<QObject*>(playVolume_), static_cast<QObject*>(mixer_),
          static_cast<QObject*>(advanced_)})
        Watch(control);
    connect(scroll_, &QScrollBar::actionTriggered, this, &LRecordDlg::OnScrollAction);
    wave_->SetOnResize([this] {
        if (!closing_)
            ShowPosition(position_);
    });

    recorder_->SetNotify(this, kRecorderUser);
    player_->SetNotify(this, kPlayerUser);
    player_->SetMetering(true);

    // The transport keys work wherever the focus is.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

LRecordDlg::~LRecordDlg() {
    closing_ = true;
    StopScan();
    recorder_->SetNotify(nullptr);
    player_->SetNotify(nullptr);
    recorder_.reset();
    player_.reset();
}

QToolButton* LRecordDlg::MakeButton(Button button) {
    auto* tool = new QToolButton(this);
    const ButtonLook& look = kLooks[button];
    tool->setIcon(Picture(look.picture));
    tool->setToolTip(tr(look.tip));
    tool->setIconSize(QSize(24, 24));
    tool->setAutoRaise(false);
    tool->setCheckable(button == kRecord || button == kPlay || button == kScrub);
    buttons_[static_cast<std::size_t>(button)] = tool;
    switch (button) {
        case kRewind:
        case kForward: {
            const bool forward = button == kForward;
            connect(tool, &QToolButton::pressed, this, [this, forward] {
                pressedWhileRecording_ = IsRecording();
                // While recording, Forward is Re-Take, a click.
                if (!(forward && pressedWhileRecording_))
                    StartWind(forward);
            });
            connect(tool, &QToolButton::released, this, [this] { StopWind(); });
            if (forward) {
                connect(tool, &QToolButton::clicked, this, [this] {
                    if (pressedWhileRecording_)
                        Retake();
                });
            }
            break;
        }
        default:
            connect(tool, &QToolButton::clicked, this, [this, button] {
                switch (button) {
                    case kRecord:
                        Record();
                        break;
                    case kPlay:
                        Play();
                        break;
                    case kScrub:
                        Scrub();
                        break;
                    case kStop:
                        Stop();
                        break;
                    case kStart:
                        GoToStart();
                        break;
                    case kEnd:
                        if (IsRecording())
                            RecordNext();
                        else
                            GoToEnd();
                        break;
                    default:
                        break;
                }
                UpdateButtons();
            });
            break;
    }
    return tool;
}

int LRecordDlg::Exec() {
    ORVIA_ASSERT_MAIN_THREAD();
    Prepare();
    return CurrentQuestions().RunDialog(*this);
}

int32_t LRecordDlg::Frames(int32_t ticks) const {
    return TicksToFrames(ticks, params_.sampleRate);
}

int32_t LRecordDlg::Ticks(int64_t frames) const {
    return FramesToTicks(static_cast<int32_t>(std::clamp<int64_t>(frames, 0, INT32_MAX)),
                         params_.sampleRate);
}

int8_t LRecordDlg::SelectedRecordDevice() const {
    return static_cast<int8_t>(recordDevice_->currentIndex());
}

int8_t LRecordDlg::SelectedPlayDevice() const {
    return static_cast<int8_t>(playDevice_->currentIndex());
}

void LRecordDlg::OnInit() {
    FillRecordDevices(recordDevice_);
    FillPlayDevices(playDevice_);
    recordDevice_->setCurrentIndex(
        params_.recordDevice < recordDevice_->count() ? params_.recordDevice : -1);
    playDevice_->setCurrentIndex(params_.playDevice < playDevice_->count() ? params_.playDevice
                                                                           : -1);
    FillInputLines();
    inputLine_->setCurrentIndex(std::clamp(params_.recordLine + 1, 0, inputLine_->count() - 1));
    recordVolume_->SetValue(params_.recordVolume);
    playVolume_->SetValue(params_.playVolume);
    ApplyRecordMixer();
    ApplyPlayMixer();
    title_->setText(QString::fromStdString(params_.title));
    title_->setReadOnly((params_.flags & LRecordParams::kReadOnlyName) != 0);
    player_->SetDevice(SelectedPlayDevice());
    ShowPosition(0);
    // The dialog opens recording.
    RecordAt(0);
}

void LRecordDlg::FillInputLines() {
    inputLine_->clear();
    const int8_t device = SelectedRecordDevice();
    inputLine_->addItem(QString::fromLatin1(LMixerControl::kDefaultLineName));
    const int lines = LMixerControl::GetRecordLineCount(device);
    for (int line = 0; line < lines; ++line)
        inputLine_->addItem(QString::fromStdString(LMixerControl::GetRecordLineName(device, line)));
    inputLine_->setCurrentIndex(0);
}

void LRecordDlg::ApplyRecordMixer() {
    LMixerControl::SelectRecordLine(SelectedRecordDevice(),
                                    static_cast<int8_t>(inputLine_->currentIndex() - 1),
                                    recordVolume_->Value());
}

void LRecordDlg::ApplyPlayMixer() {
    LMixerControl::SetPlayVolume(SelectedPlayDevice(), playVolume_->Value(), 0);
}

void LRecordDlg::OnCommand(QObject* control) {
    if (control == recordDevice_) {
        FillInputLines();
        ApplyRecordMixer();
    } else if (control == inputLine_ || control == recordVolume_) {
        ApplyRecordMixer();
    } else if (control == playDevice_ || control == playVolume_) {
        player_->SetDevice(SelectedPlayDevice());
        ApplyPlayMixer();
    } else if (control == advanced_) {
        LRecordDlgAdvanced advanced(this, params_);
        advanced.Run();
    } else if (control == mixer_) {
        OpenRecordMixer();
    }
}

void LRecordDlg::OpenRecordMixer() {
    // The desktop's volume control on its input tab, else ALSA's mixer in a
    // terminal on its capture view.
    if (StartDetached({"pavucontrol", "--tab=4"}) ||
        StartDetached({"x-terminal-emulator", "-e", "alsamixer", "--view=capture"}))
        return;
    CurrentQuestions().Ask(
        this, {tr("Record Control"),
               tr("No mixer program could be started. Install pavucontrol (the volume control "
                  "of PulseAudio and PipeWire) or alsa-utils (alsamixer)."),
               QuestionIcon::Exclamation, QuestionButtons::Ok});
}

void LRecordDlg::RecordAt(int32_t frame) {
    wind_ = Wind::None;
    quietStop_ = true;  // the stops below are not the end of a take
    player_->Stop();
    recorder_->Stop();
    quietStop_ = false;
    frame = std::max(frame, 0);
    const LSoundSink sink = CreatePCMWaveSink(params_.path, params_.sampleRate,
                                              static_cast<uint32_t>(params_.channels), 16, frame);
    const bool autoTrim = (params_.flags & LRecordParams::kAutoTrim) != 0;
    const bool voice = (params_.flags & LRecordParams::kVoiceActivated) != 0;
    recorder_->SetDevice(SelectedRecordDevice());
    const bool started =
        !IsInvalid(sink) && recorder_->Record(sink, 0, autoTrim ? params_.threshold : 0,
                                              voice ? kVoiceSilenceTicks : kEndlessSilenceTicks);
    takeStartFrame_ = frame;
    if (started) {
        take_ = sink;
        problem_.clear();
        length_ = Ticks(frame);
        ShowPosition(Ticks(frame));
    } else {
        problem_ = IsInvalid(sink) ? tr("The file cannot be written")
                                   : tr("The record device cannot be opened");
        StopScan();
        ShowPosition(position_);
    }
    UpdateButtons();
}

void LRecordDlg::Record() {
    RecordAt(Frames(position_));
}

void LRecordDlg::Play() {
    wind_ = Wind::None;
    recorder_->Stop();
    if (Holding()) {
        player_->Continue();
        return;
    }
    const LSoundSource source = OpenWaveSource(params_.path);
    if (IsInvalid(source)) {
        problem_ = tr("Nothing recorded yet");
        UpdateButtons();
        return;
    }
    source->Seek(Frames(position_));
    length_ = Ticks(source->GetLength());
    player_->SetDevice(SelectedPlayDevice());
    problem_ = player_->Play(source) ? QString() : tr("The playback device cannot be opened");
    UpdateButtons();
}

void LRecordDlg::Scrub() {
    if (!player_->IsOpen())
        Play();
    if (player_->IsOpen())
        player_->Hold();
}

void LRecordDlg::Stop() {
    wind_ = Wind::None;
    recorder_->Stop();
    player_->Stop();
}

void LRecordDlg::GoToStart() {
    ShowPosition(0);
    if (player_->IsOpen())
        player_->SetPosition(0);
    if (IsRecording())
        takeStartFrame_ = 0;
    recorder_->Discard();
}

void LRecordDlg::GoToEnd() {
    if (recorder_->IsWriting())
        return;
    if (!player_->IsOpen()) {
        const LSoundSource source = OpenWaveSource(params_.path);
        if (!IsInvalid(source)) {
            length_ = Ticks(source->GetLength());
            ShowPosition(length_);
        }
        return;
    }
    Scrub();
    player_->SetPosition(Frames(length_));
}

void LRecordDlg::StartWind(bool forward) {
    if (wind_ != Wind::None)
        return;
    resume_ = Holding() ? Resume::Scrubbing : player_->IsOpen() ? Resume::Playing : Resume::Nothing;
    player_->Stop();
    recorder_->Stop();
    const LSoundSource source = OpenWaveSource(params_.path);
    if (IsInvalid(source))
        return;
    source->Seek(Frames(position_));
    length_ = Ticks(source->GetLength());
    const bool scrubbing = resume_ == Resume::Scrubbing;
    const double sign = forward ? 1.0 : -1.0;
    LSoundSource winding;
    LSPSpeed(sign * (scrubbing ? 0.1 : 0.5), sign * (scrubbing ? 3.0 : 7.0), kWindRampTicks)
        .Apply(winding, source);
    player_->SetDevice(SelectedPlayDevice());
    wind_ = forward ? Wind::Forwarding : Wind::Rewinding;
    if (!player_->Play(winding))
        wind_ = Wind::None;
    UpdateButtons();
}

void LRecordDlg::StopWind() {
    if (wind_ == Wind::None)
        return;
    wind_ = Wind::None;
    player_->Stop();
    if (resume_ == Resume::Scrubbing)
        Scrub();
    else if (resume_ == Resume::Playing)
        Play();
    resume_ = Resume::Nothing;
    UpdateButtons();
}

void LRecordDlg::MoveTo(int32_t ticks) {
    recorder_->Stop();
    ShowPosition(ticks);
    if (player_->IsOpen())
        player_->SetPosition(Frames(position_));
}

void LRecordDlg::OnScrollAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            MoveTo(std::min(position_ + kScrollStepTicks, std::max(length_, position_)));
            break;
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            MoveTo(std::max(position_ - kScrollStepTicks, 0));
            break;
        case QAbstractSlider::SliderMove:
            MoveTo(static_cast<int32_t>(static_cast<int64_t>(scroll_->sliderPosition()) * length_ /
                                        kScrollRange));
            break;
        case QAbstractSlider::SliderToMinimum:
            GoToStart();
            break;
        case QAbstractSlider::SliderToMaximum:
            GoToEnd();
            break;
        default:
            return;
    }
    // The thumb shows where the position went, not the step Qt would take.
    scroll_->setSliderPosition(scroll_->value());
    UpdateButtons();
}

void LRecordDlg::StopScan() {
    if (scan_)
        scan_->Shutdown();
    scan_.reset();
}

void LRecordDlg::RestartScan() {
    StopScan();
    const LSoundSource source = OpenWaveSource(params_.path);
    if (IsInvalid(source))
        return;
    const int32_t frames = source->GetLength();
    wave_->SetLength(frames);
    if (recorder_->IsStopped() && !player_->IsOpen()) {
        // The finished file is what there is (a take is trimmed when it stops).
        length_ = Ticks(frames);
        position_ = std::min(position_, length_);
    }
    scan_ = std::make_unique<LWaveScan>(source, wave_->Peaks(), wave_->RepaintRequest());
    scan_->Start(ThreadPriority::BelowNormal);
}

void LRecordDlg::ShowPosition(int32_t ticks) {
    position_ = std::max(ticks, 0);
    if (!closing_ && (!scan_ || !scan_->IsRunning()))
        RestartScan();
    positionText_->setText(QString::fromStdString(FormatTicks(position_, TickFormat::Tenths)));
    const int thumb =
        length_ > 0
            ? static_cast<int>(std::clamp<int64_t>(
                  static_cast<int64_t>(position_) * kScrollRange / length_, 0, kScrollRange))
            : 0;
    scroll_->setValue(thumb);
    if (!scan_)
        return;
    const int64_t frame = Frames(position_);
    const int64_t second = params_.sampleRate;
    wave_->SetLength(std::max<int64_t>(wave_->Length(), Frames(length_)));
    wave_->SetCursor(frame, Holding() ? Frames(kHoldMarkTicks) : 0);
    wave_->SetView(frame - second, 2 * second);
    scan_->Request(frame - second, 2 * second);
}

void LRecordDlg::UpdateButtons() {
    const bool recording = IsRecording();
    const bool open = player_->IsOpen();
    const bool holding = Holding();
    const bool paused = (player_->State() & LSoundPlayer::kPaused) != 0;
    buttons_[kRecord]->setChecked(recording);
    buttons_[kPlay]->setChecked(open && !holding && !paused && wind_ == Wind::None);
    buttons_[kScrub]->setChecked(holding);
    buttons_[kStart]->setToolTip(recording ? tr("Restart (F6)") : tr(kLooks[kStart].tip));
    buttons_[kForward]->setIcon(Picture(recording ? kPictureRetake : kPictureForward));
    buttons_[kForward]->setToolTip(recording ? tr("Re-Take (F7)") : tr(kLooks[kForward].tip));
    buttons_[kEnd]->setToolTip(recording ? tr("Record Next (F5)") : tr(kLooks[kEnd].tip));
    if (recording)
        status_->setText(recorder_->IsWriting() ? tr("Recording") : tr("Waiting for sound"));
    else if (wind_ != Wind::None)
        status_->setText(wind_ == Wind::Forwarding ? tr("Forward") : tr("Rewind"));
    else if (holding)
        status_->setText(tr("Scrubbing"));
    else if (open)
        status_->setText(paused ? tr("Paused") : tr("Playing"));
    else
        status_->setText(problem_.isEmpty() ? tr("Stopped") : problem_);
}

void LRecordDlg::done(int result) {
    if (!closing_) {
        closing_ = true;
        wind_ = Wind::None;
        recorder_->Stop();
        player_->Stop();
        StopScan();
        params_.recordDevice = SelectedRecordDevice();
        params_.recordLine = static_cast<int8_t>(inputLine_->currentIndex() - 1);
        params_.recordVolume = recordVolume_->Value();
        params_.playDevice = SelectedPlayDevice();
        params_.playVolume = playVolume_->Value();
        if (!title_->isReadOnly())
            params_.title = title_->text().toStdString();
    }
    LPopupDialogBox::done(result);
}

void LRecordDlg::OnSound(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnWaiting(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnRecordStop(uint32_t) {
    // The recorder stops at once when the sink fails to take a block (a full
    // disk): the take holds less than was heard, and the user is told. The
    // sink is let go first so the file is completed.
    const bool cut = take_ && take_->IsInvalid();
    take_.reset();
    if (cut)
        problem_ = tr("The disk is full: the take ends where writing failed");
    UpdateButtons();
    if (closing_ || quietStop_)
        return;
    StopScan();
    ShowPosition(position_);
}

void LRecordDlg::OnPlay(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnStop(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnHold(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnPause(uint32_t) {
    UpdateButtons();
}

void LRecordDlg::OnPosition(int32_t ticks, uint32_t user) {
    if (closing_)
        return;
    if (user == kRecorderUser)
        length_ = ticks;
    ShowPosition(ticks);
}

void LRecordDlg::OnLevels(const LSoundLevels* levels, uint32_t) {
    if (levels != nullptr)
        meter_->SetLevels(*levels);
}

bool LRecordDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return LPopupDialogBox::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return LPopupDialogBox::eventFilter(watched, event);
    if (HandleKey(watched, key->key(), event->type() == QEvent::KeyPress, key->isAutoRepeat()))
        return true;
    return LPopupDialogBox::eventFilter(watched, event);
}

bool LRecordDlg::HandleKey(QObject*, int key, bool press, bool autoRepeat) {
    QWidget* focus = QApplication::focusWidget();
    // Keys that edit text stay with a text field or a number field; a
    // read-only name (the usual case, and the first control to take the
    // focus) edits nothing and leaves them to the recording.
    const auto* line = qobject_cast<QLineEdit*>(focus);
    const bool editing = (line != nullptr && !line->isReadOnly()) ||
                         qobject_cast<QAbstractSpinBox*>(focus) != nullptr ||
                         (focus != nullptr && qobject_cast<QAbstractSpinBox*>(focus->parent()));
    const bool act = press && !autoRepeat;
    switch (key) {
        case Qt::Key_F5:
            if (act)
                RecordNext();
            break;
        case Qt::Key_F6:
            if (act)
                RecordAt(0);
            break;
        case Qt::Key_F7:
            if (act)
                Retake();
            break;
        case Qt::Key_F8:
            if (act)
                Record();
            break;
        case Qt::Key_F9:
            if (act)
                Play();
            break;
        case Qt::Key_F10:
            if (act)
                Scrub();
            break;
        case Qt::Key_Escape:
            if (act)
                Stop();
            break;
        case Qt::Key_Space:
            if (editing)
                return false;
            if (act) {
                if (Holding())
                    Play();
                else
                    Scrub();
            }
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            if (editing)
                return false;
            if (act) {
                if (key == Qt::Key_Home)
                    GoToStart();
                else
                    GoToEnd();
            }
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (editing)
                return false;
            if (!autoRepeat) {
                if (press)
                    StartWind(key == Qt::Key_Right);
                else
                    StopWind();
            }
            break;
        default:
            return false;
    }
    if (!closing_)
        UpdateButtons();
    return true;
}

}  // namespace orvia
