// The program's desktop playback: one LSoundPlayer on the computer's sound
// devices, the device's mixer set to the level before each play.
//
// Main thread only; create it after the current dispatcher is set.
#pragma once

#include <functional>

#include "app/core/desktop_playback.h"
#include "audio/playback/sound_player.h"

namespace orvia {

class DesktopPlayer : public DesktopPlayback, private LSoundPlayerNotify {
public:
    DesktopPlayer();
    ~DesktopPlayer() override;

    bool Play(const LSoundSource& source, int device, int db) override;
    void Stop() override;
    bool IsPlaying() const override;
    void SetPlayingChanged(std::function<void(bool playing)> callback) override;

private:
    void OnPlay(uint32_t user) override;
    void OnStop(uint32_t user) override;

    LSoundPlayer player_;
    std::function<void(bool)> playingChanged_;
};

}  // namespace orvia
