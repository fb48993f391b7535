#include "ui/ogm/play_toggle.h"

#include <QAbstractButton>
#include <QPointer>

#include "app/core/desktop_playback.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {

PlayToggle::PlayToggle(QAbstractButton* button, DesktopPlayback& playback,
                       std::function<std::vector<std::string>()> files)
    : QObject(button), button_(button), playback_(playback), files_(std::move(files)) {
    ORVIA_ASSERT_MAIN_THREAD();
    button_->setCheckable(true);
    connect(button_, &QAbstractButton::clicked, this, &PlayToggle::Toggle);
    Attach();
}

PlayToggle::~PlayToggle() {
    playback_.SetPlayingChanged(nullptr);
    if (playback_.IsPlaying())
        playback_.Stop();
}

void PlayToggle::Attach() {
    QPointer<QAbstractButton> button = button_;
    playback_.SetPlayingChanged([button](bool playing) {
        if (button)
            button->setChecked(playing);
    });
    button_->setChecked(playback_.IsPlaying());
}

void PlayToggle::Stop() {
    if (playback_.IsPlaying())
        playback_.Stop();
    button_->setChecked(false);
}

bool PlayToggle::IsPlaying() const {
    return playback_.IsPlaying();
}

void PlayToggle::Toggle() {
    if (playback_.IsPlaying()) {
        Stop();
        return;
    }
    bool playing = false;
    for (const std::string& file : files_()) {
        if (PlayOnDesktop(playback_, file)) {
            playing = true;
            break;
        }
    }
    button_->setChecked(playing && playback_.IsPlaying());
}

}  // namespace orvia
