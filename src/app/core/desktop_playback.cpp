#include "app/core/desktop_playback.h"

#include "audio/mp3/mp3_source.h"
#include "audio/wave_source.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

bool PlayWithSettings(DesktopPlayback& playback, const LSoundSource& source, const char* deviceKey,
                      const char* volumeKey) {
    if (IsInvalid(source))
        return false;
    const std::string& settings = Store().SettingsFile();
    const int device = ReadProfileInt(settings, "settings", deviceKey, 0);
    const int db = ReadProfileDb(settings, "settings", volumeKey, 0);
    return playback.Play(source, device, db);
}

}  // namespace

bool PlayOnDesktop(DesktopPlayback& playback, const std::string& wavePath) {
    return PlayWithSettings(playback, OpenWaveSource(wavePath), "playdevice", "playvolume");
}

bool PlayAnnouncement(DesktopPlayback& playback, const std::string& path) {
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        source = OpenMP3Source(path);
    return PlayWithSettings(playback, source, "announcedevice", "announcevolume");
}

}  // namespace orvia
