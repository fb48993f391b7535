#include "ui/ogm/new_audio_menu.h"

#include <QFileInfo>

#include "platform/files/text_file.h"
#include "store/profile.h"
#include "store/settings_store.h"
#include "ui/framework/new_audio.h"
#include "ui/ogm/new_audio_conversion.h"
#include "ui/ogm/ogm_controls.h"

namespace orvia {
NewAudioMenu::NewAudioMenu(QWidget* parent, NewAudioTarget target, RecordingLeveller& leveller)
    : QMenu(parent), target_(std::move(target)), leveller_(leveller) {
    record_ = addAction(tr("&Record..."));
    load_ = addAction(tr("&Load Wav or Mp3 File..."));
    synthesize_ = addAction(tr("&Synthesize Speech..."));
    addSeparator();
    remove_ = addAction(target_.removeText);
    record_->setObjectName("record");
    load_->setObjectName("load");
    synthesize_->setObjectName("synthesize");
    remove_->setObjectName("remove");
    connect(record_, &QAction::triggered, this, &NewAudioMenu::Record);
    connect(load_, &QAction::triggered, this, &NewAudioMenu::Load);
    connect(synthesize_, &QAction::triggered, this, &NewAudioMenu::Synthesize);
    connect(remove_, &QAction::triggered, this, &NewAudioMenu::Remove);
    // The sources may be installed after the menu was made.
    auto offer = [this] {
        record_->setEnabled(CurrentNewAudio().CanRecord());
        synthesize_->setEnabled(CurrentNewAudio().CanSynthesize());
    };
    offer();
    connect(this, &QMenu::aboutToShow, this, offer);
}

void NewAudioMenu::Record() {
    if (!CurrentNewAudio().CanRecord())
        return;
    const std::string temporary = MakeTemporaryWave(target_.recording, "record");
    if (temporary.empty())
        return;
    if (CurrentNewAudio().Record(parentWidget(), temporary))
        TakeTemporary(temporary);
    RemoveFileIfPresent(temporary);
}

void NewAudioMenu::Synthesize() {
    if (!CurrentNewAudio().CanSynthesize())
        return;
    const std::string temporary = MakeTemporaryWave(target_.recording, "synthesized");
    if (temporary.empty())
        return;
    if (CurrentNewAudio().Synthesize(parentWidget(), temporary))
        TakeTemporary(temporary);
    RemoveFileIfPresent(temporary);
}

void NewAudioMenu::TakeTemporary(const std::string& temporary) {
    if (ConvertNewAudio(parentWidget(), temporary, target_.recording, leveller_) ==
        NewAudioResult::Converted)
        Changed();
}

void NewAudioMenu::Load() {
    const std::string& settings = Store().SettingsFile();
    const std::optional<QString> chosen = CurrentQuestions().AskOpenFile(
        parentWidget(),
        {target_.loadTitle,
         QString::fromStdString(ReadProfileString(settings, "settings", "wavimportdir", "")),
         kWavOrMp3Filter});
    if (!chosen)
        return;
    WriteProfileString(settings, "settings", "wavimportdir",
                       QFileInfo(*chosen).absolutePath().toStdString());
    if (ConvertNewAudio(parentWidget(), chosen->toStdString(), target_.recording, leveller_) ==
        NewAudioResult::Converted)
        Changed();
}

void NewAudioMenu::Remove() {
    if (target_.removeAsked &&
        CurrentQuestions().Ask(parentWidget(), *target_.removeAsked) != Answer::Yes)
        return;
    RemoveFileIfPresent(target_.recording);
    Changed();
}

void NewAudioMenu::Changed() {
    if (changed)
        changed();
}

}  // namespace orvia
