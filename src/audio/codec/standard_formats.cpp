#include "audio/codec/standard_formats.h"

#include <cstdio>

#include "audio/codec/byte_order_p.h"
#include "audio/codec/gsm610_p.h"
#include "audio/codec/ms_adpcm_p.h"

namespace orvia {
namespace {

// Bytes per second of a block format, rounded down as other writers do.
uint32_t AverageBytes(uint32_t rate, uint32_t blockBytes, uint32_t blockFrames) {
    return static_cast<uint32_t>(uint64_t{rate} * blockBytes / blockFrames);
}

uint16_t AdpcmBlockBytesPerChannel(uint32_t rate) {
    if (rate <= 11025)
        return 256;
    if (rate <= 22050)
        return 512;
    return 1024;
}

WaveFormat G711Format(uint16_t tag, uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = channels;
    f.avgBytesPerSec = rate * channels;
    f.bitsPerSample = 8;
    return f;
}

}  // namespace

WaveFormat Pcm8Format(uint16_t channels, uint32_t rate) {
    return G711Format(kWaveFormatPcm, channels, rate);
}

WaveFormat ALawFormat(uint16_t channels, uint32_t rate) {
    return G711Format(kWaveFormatALaw, channels, rate);
}

WaveFormat MuLawFormat(uint16_t channels, uint32_t rate) {
    return G711Format(kWaveFormatMuLaw, channels, rate);
}

WaveFormat ImaAdpcmFormat(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = kWaveFormatImaAdpcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(AdpcmBlockBytesPerChannel(rate) * channels);
    f.bitsPerSample = 4;
    const uint32_t header = 4u * channels;
    const uint16_t frames = static_cast<uint16_t>((f.blockAlign - header) * 8 / header + 1);
    f.avgBytesPerSec = AverageBytes(rate, f.blockAlign, frames);
    f.extra.resize(2);
    codec::PutLe16(f.extra.data(), frames);
    return f;
}

WaveFormat MsAdpcmFormat(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = kWaveFormatMsAdpcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(AdpcmBlockBytesPerChannel(rate) * channels);
    f.bitsPerSample = 4;
    const uint16_t frames =
        static_cast<uint16_t>((f.blockAlign - 7u * channels) * 2 / channels + 2);
    f.avgBytesPerSec = AverageBytes(rate, f.blockAlign, frames);
    f.extra = codec::MsAdpcmExtraBytes(frames);
    return f;
}

WaveFormat Gsm610Format(uint32_t rate) {
    WaveFormat f;
    f.formatTag = kWaveFormatGsm610;
    f.channels = 1;
    f.samplesPerSec = rate;
    f.blockAlign = codec::kGsmBlockBytes;
    f.avgBytesPerSec = AverageBytes(rate, codec::kGsmBlockBytes, codec::kGsmBlockFrames);
    f.bitsPerSample = 0;
    f.extra.resize(2);
    codec::PutLe16(f.extra.data(), codec::kGsmBlockFrames);
    return f;
}

std::string WaveFormatName(const WaveFormat& format) {
    char kind[32];
    switch (format.formatTag) {
        case kWaveFormatPcm:
            std::snprintf(kind, sizeof kind, "PCM %u bit", unsigned{format.bitsPerSample});
            break;
        case kWaveFormatALaw:
            std::snprintf(kind, sizeof kind, "A-law");
            break;
        case kWaveFormatMuLaw:
            std::snprintf(kind, sizeof kind, "mu-law");
            break;
        case kWaveFormatImaAdpcm:
            std::snprintf(kind, sizeof kind, "IMA ADPCM");
            break;
        case kWaveFormatMsAdpcm:
            std::snprintf(kind, sizeof kind, "Microsoft ADPCM");
            break;
        case kWaveFormatGsm610:
            std::snprintf(kind, sizeof kind, "GSM 6.10");
            break;
        default:
            std::snprintf(kind, sizeof kind, "Format 0x%04X", unsigned{format.formatTag});
            break;
    }
    char channels[24];
    if (format.channels == 1)
        std::snprintf(channels, sizeof channels, "mono");
    else if (format.channels == 2)
        std::snprintf(channels, sizeof channels, "stereo");
    else
        std::snprintf(channels, sizeof channels, "%u channels", unsigned{format.channels});
    char name[96];
    std::snprintf(name, sizeof name, "%s, %lu Hz, %s", kind,
                  static_cast<unsigned long>(format.samplesPerSec), channels);
    return name;
}

}  // namespace orvia
