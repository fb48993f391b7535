#include "app/core/desktop_player.h"

#include <algorithm>

#include "platform/mixer/mixer_control.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {

DesktopPlayer::DesktopPlayer() {
    player_.SetNotify(this);
}

DesktopPlayer::~DesktopPlayer() {
    player_.SetNotify(nullptr);
    player_.Stop();
}

bool DesktopPlayer::Play(const LSoundSource& source, int device, int db) {
    ORVIA_ASSERT_MAIN_THREAD();
    // Device identifiers are signed 8-bit; anything else is the default device.
    const int8_t id = device >= -1 && device <= 127 ? static_cast<int8_t>(device) : int8_t{-1};
    player_.Stop();
    LMixerControl::SetPlayVolume(id, std::clamp(db, -127, 127), 0);
    player_.SetDevice(id);
    return player_.Play(source);
}

void DesktopPlayer::Stop() {
    ORVIA_ASSERT_MAIN_THREAD();
    player_.Stop();
}

bool DesktopPlayer::IsPlaying() const {
    return player_.IsOpen();
}

void DesktopPlayer::SetPlayingChanged(std::function<void(bool)> callback) {
    playingChanged_ = std::move(callback);
}

void DesktopPlayer::OnPlay(uint32_t) {
    if (playingChanged_)
        playingChanged_(true);
}

void DesktopPlayer::OnStop(uint32_t) {
    if (playingChanged_)
        playingChanged_(false);
}

}  // namespace orvia
