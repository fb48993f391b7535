#include "engine/line_audio.h"

#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

LineAudioStages ReadLineAudioStages() {
    const std::string& settings = Store().SettingsFile();
    LineAudioStages stages;
    const int32_t highPass = ReadProfileInt(settings, "settings", "audiohighpass", 0);
    if (highPass > 20)
        stages.highPassHz = highPass;
    const int threshold = ReadProfileDb(settings, "settings", "audiocompressorthres", 0);
    if (threshold < -2)
        stages.compressorThresholdDb = threshold;
    const int gain = ReadProfileDb(settings, "settings", "audiogain", 0);
    if (gain > 1 || gain < -1)
        stages.gainDb = gain;
    return stages;
}

// The signal processes and the wave file reader come from the audio
// subsystem; until they are built the chain passes sources through and no
// file opens (a play that cannot start finishes at once).
LSoundSource BuildLineAudioChain(const LSoundSource& source) {
    return source;
}

LSoundSource OpenWaveFile(const std::string&) {
    return {};
}

// There is no MP3 source yet: an MP3 file counts as a file that cannot be
// opened.
LSoundSource OpenMp3File(const std::string&) {
    return {};
}

}  // namespace orvia
