#include "audio/wave_sink.h"

#include <algorithm>
#include <limits>

#include "audio/acm_file_sink_p.h"
#include "audio/pcm_file_sink.h"

namespace orvia {

LSoundSink CreateWaveSink(const std::string& path, const WaveFormat& format) {
    if (format.formatTag != kWaveFormatPcm)
        return MakeCounted<LSNKACMFile>(path, format);
    const auto rate = static_cast<int32_t>(
        std::min<uint32_t>(format.samplesPerSec, std::numeric_limits<int32_t>::max()));
    return CreatePCMWaveSink(path, rate, format.channels, format.bitsPerSample, 0);
}

}  // namespace orvia
