#include "engine/line_audio_p.h"

#include "audio/compressor.h"
#include "audio/gain.h"
#include "audio/high_pass.h"
#include "audio/mp3/mp3_source.h"
#include "audio/wave_source.h"
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

LSoundSource BuildLineAudioChain(const LSoundSource& source) {
    if (IsInvalid(source))
        return source;
    const LineAudioStages stages = ReadLineAudioStages();
    LSoundSource chain = source;
    if (stages.highPassHz)
        LSPHighPass(*stages.highPassHz).Apply(chain, LSoundSource(chain));
    if (stages.compressorThresholdDb)
        LSPCompressor(static_cast<int8_t>(*stages.compressorThresholdDb),
                      kLineCompressorFactorPerDb, kLineCompressorWindowTicks)
            .Apply(chain, LSoundSource(chain));
    if (stages.gainDb)
        LSPGain(static_cast<int8_t>(*stages.gainDb)).Apply(chain, LSoundSource(chain));
    return chain;
}

LSoundSource OpenWaveFile(const std::string& path) {
    return OpenWaveSource(path);
}

LSoundSource OpenMp3File(const std::string& path) {
    LSoundSource source = OpenMP3Source(path);
    return IsInvalid(source) ? LSoundSource() : source;
}

}  // namespace orvia
