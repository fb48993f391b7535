// The desktop sound player of the main window: messages and OGMs played on
// the computer ("playdevice" at "playvolume") and call announcements
// ("announcedevice" at "announcevolume").
//
// DesktopPlayback is the player as the application core uses it: one source
// at a time on a wave-out device, the device's mixer set to the level first.
// The program's implementation is over LSoundPlayer and the mixer control;
// tests record what would be played.
//
// Main thread only.
#pragma once

#include <functional>
#include <string>

#include "audio/sound_source.h"

namespace orvia {

class DesktopPlayback {
public:
    virtual ~DesktopPlayback() = default;
    // Stops what plays, sets the device's playback level to db and plays the
    // source on device; false when it cannot be played.
    virtual bool Play(const LSoundSource& source, int device, int db) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
    // Told when playing starts or stops (the play button follows it).
    virtual void SetPlayingChanged(std::function<void(bool playing)> callback) = 0;
};

// Plays a WAVE file on "settings"/"playdevice" at "playvolume"; false when
// the file does not open or cannot be played.
bool PlayOnDesktop(DesktopPlayback& playback, const std::string& wavePath);

// Plays an announcement: the file as WAVE, else as MP3, on
// "settings"/"announcedevice" at "announcevolume". False when it opens as
// neither or cannot be played.
bool PlayAnnouncement(DesktopPlayback& playback, const std::string& path);

}  // namespace orvia
