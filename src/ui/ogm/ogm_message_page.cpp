#include "ui/ogm/ogm_message_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/mailbox_files.h"
#include "engine/ogm_files.h"
#include "platform/files/text_file.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "ui/framework/help.h"
#include "ui/framework/key_writer.h"
#include "ui/framework/number_edit.h"
#include "ui/framework/pictures.h"
#include "ui/ogm/action_choice.h"
#include "ui/ogm/action_details.h"
#include "ui/ogm/new_audio_menu.h"
#include "ui/ogm/ogm_messages.h"
#include "ui/ogm/play_toggle.h"

namespace orvia {
namespace {

// The first bytes of a text file; empty when it cannot be read.
QString ReadNotes(const std::string& path, int bytes) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(bytes));
}

}  // namespace

OgmMessagePage::OgmMessagePage(const std::string& name, const AudioServices& services)
    : LPropertyPage(kHelpOgmMessage),
      definition_(OgmDefinitionPath(name)),
      wave_(OgmFileWithExtension(definition_, ".wav")),
      notesFile_(OgmFileWithExtension(definition_, ".txt")),
      play_(new QPushButton(tr("Play Message"), this)),
      changeAudio_(new QPushButton(tr("Change Message Audio..."), this)),
      recording_(new QLabel(this)),
      wait_(MakeNumberEdit(this, NumberSign::Unsigned, 3)),
      repeat_(MakeNumberEdit(this, NumberSign::Unsigned, 3)),
      then_(new QComboBox(this)),
      thenDetails_(new QPushButton(tr("Details"), this)),
      notes_(new QPlainTextEdit(this)),
      answer_(new QCheckBox(tr("List as an Answer OGM (if calls can start with this OGM)"), this)) {
    play_->setObjectName("playMessage");
    play_->setIcon(Picture(kPicturePlay));
    changeAudio_->setObjectName("changeAudio");
    recording_->setObjectName("recording");
    wait_->setObjectName("wait");
    repeat_->setObjectName("repeat");
    then_->setObjectName("then");
    thenDetails_->setObjectName("thenDetails");
    notes_->setObjectName("notes");
    notes_->setTabChangesFocus(true);
    answer_->setObjectName("answer");
    FillActionChoice(then_, ActionOffer::AtEnd);

    audioMenu_ =
        new NewAudioMenu(this, {wave_, "Load New OGM", tr("Clear &Audio"), ClearOgmAudioQuestion()},
                         services.leveller);
    audioMenu_->changed = [this] { ShowRecording(); };
    playToggle_ = new PlayToggle(play_, services.playback,
                                 [this] { return std::vector<std::string>{wave_}; });

    auto* audio = new QGroupBox(tr("Message Audio"), this);
    auto* audioRow = new QHBoxLayout;
    audioRow->addWidget(play_);
    audioRow->addWidget(changeAudio_);
    audioRow->addStretch();
    auto* audioLayout = new QVBoxLayout(audio);
    audioLayout->addLayout(audioRow);
    audioLayout->addWidget(recording_);

    auto* then = new QHBoxLayout;
    then->addWidget(then_, 1);
    then->addWidget(thenDetails_);
    auto* form = new QGridLayout;
    auto* waitLabel = new QLabel(tr("&Wait:"), this);
    waitLabel->setBuddy(wait_);
    auto* repeatLabel = new QLabel(tr("&Repeat:"), this);
    repeatLabel->setBuddy(repeat_);
    auto* thenLabel = new QLabel(tr("&Then:"), this);
    thenLabel->setBuddy(then_);
    form->addWidget(waitLabel, 0, 0);
    form->addWidget(wait_, 0, 1);
    form->addWidget(new QLabel(tr("seconds (0 - 30)"), this), 0, 2);
    form->addWidget(repeatLabel, 1, 0);
    form->addWidget(repeat_, 1, 1);
    form->addWidget(new QLabel(tr("times when no key is pressed"), this), 1, 2);
    form->addWidget(thenLabel, 2, 0);
    form->addLayout(then, 2, 1, 1, 3);
    form->setColumnStretch(3, 1);

    auto* notesLabel = new QLabel(tr("&Script/Notes"), this);
    notesLabel->setBuddy(notes_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(audio);
    layout->addLayout(form);
    layout->addWidget(notesLabel);
    layout->addWidget(notes_, 1);
    layout->addWidget(answer_);
    const QFontMetrics metrics = fontMetrics();
    notes_->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 6);

    Watch(changeAudio_);
    Watch(then_);
    Watch(thenDetails_);
}

void OgmMessagePage::OnInit() {
    const auto text = [&](const char* key, const char* def) {
        return QString::fromStdString(ReadProfileString(definition_, kOgmSectionIvr, key, def));
    };
    wait_->setText(QString::number(ParseInt(text("wait", "6").toStdString())));
    repeat_->setText(QString::number(ParseInt(text("repeat", "0").toStdString())));
    ShowAction(then_, text("playcomplete", "").toStdString(), "hangup");
    notes_->setPlainText(ReadNotes(notesFile_, kNotesShown));
    notes_->document()->setModified(false);
    answer_->setChecked(ReadProfileBool(definition_, kOgmSectionIvr, "answer", true));
    ShowRecording();
}

void OgmMessagePage::ShowRecording() {
    if (!FileIsPresent(wave_)) {
        recording_->setText(tr("No recording: a call hears nothing and waits for a key."));
        return;
    }
    const int64_t tenths = RecordingLengthTicks(wave_) / (kTicksPerSecond / 10);
    recording_->setText(tr("Recording of %1.%2 seconds").arg(tenths / 10).arg(tenths % 10));
}

void OgmMessagePage::UpdateControls() {
    thenDetails_->setEnabled(ChosenHasArguments(then_));
}

void OgmMessagePage::OnCommand(QObject* control) {
    if (control == changeAudio_) {
        playToggle_->Stop();
        audioMenu_->popup(QCursor::pos());
    } else if (control == thenDetails_) {
        EditActionDetails(this, definition_, "playcomplete", ChosenAction(then_));
    }
}

bool OgmMessagePage::OnApply() {
    KeyWriter writer(definition_);
    writer.Int(kOgmSectionIvr, "wait", NumberOf(wait_));
    writer.Int(kOgmSectionIvr, "repeat", NumberOf(repeat_));
    writer.Text(kOgmSectionIvr, "playcomplete", ChosenActionValue(then_));
    writer.Bool(kOgmSectionIvr, "answer", answer_->isChecked());
    if (!writer.Confirm(this))
        return false;
    // Only an edited text is written: the page shows the first 8191 bytes of
    // a longer file, which must not be cut to them unasked.
    if (notes_->document()->isModified()) {
        if (!ReplaceTextFile(notesFile_, notes_->toPlainText().toStdString())) {
            CurrentQuestions().Ask(this, SaveFailedQuestion(notesFile_));
            return false;
        }
        notes_->document()->setModified(false);
    }
    return true;
}

}  // namespace orvia
