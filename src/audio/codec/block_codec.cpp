#include "audio/codec/block_codec.h"

#include "audio/codec/g711.h"
#include "audio/codec/gsm610.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/codec/ms_adpcm.h"
#include "audio/codec/pcm_codec.h"

namespace orvia::codec {

std::unique_ptr<BlockCodec> OpenBlockCodec(const WaveFormat& format) {
    if (format.channels < 1 || format.channels > 255 || format.samplesPerSec < 1 ||
        format.samplesPerSec > kMaxSampleRate)
        return nullptr;
    switch (format.formatTag) {
        case kWaveFormatPcm:
            return OpenPcmCodec(format);
        case kWaveFormatALaw:
        case kWaveFormatMuLaw:
            return OpenG711Codec(format);
        case kWaveFormatImaAdpcm:
            return OpenImaAdpcmCodec(format);
        case kWaveFormatMsAdpcm:
            return OpenMsAdpcmCodec(format);
        case kWaveFormatGsm610:
            return OpenGsm610Codec(format);
        default:
            return nullptr;
    }
}

}  // namespace orvia::codec
