#include "audio/codec/block_codec_p.h"

#include "audio/codec/g711_p.h"
#include "audio/codec/gsm610_p.h"
#include "audio/codec/ima_adpcm_p.h"
#include "audio/codec/ms_adpcm_p.h"
#include "audio/codec/pcm_codec_p.h"

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
