#include "audio/codec/wave_format.h"

#include <algorithm>

#include "audio/codec/byte_order_p.h"

namespace orvia {

using codec::GetLe16;
using codec::GetLe32;
using codec::PutLe16;
using codec::PutLe32;

std::vector<uint8_t> WaveFormat::ToBytes() const {
    const std::size_t extraSize = std::min<std::size_t>(extra.size(), 0xFFFF);
    std::vector<uint8_t> out(kWaveFormatFixedBytes + extraSize);
    PutLe16(&out[0], formatTag);
    PutLe16(&out[2], channels);
    PutLe32(&out[4], samplesPerSec);
    PutLe32(&out[8], avgBytesPerSec);
    PutLe16(&out[12], blockAlign);
    PutLe16(&out[14], bitsPerSample);
    PutLe16(&out[16], static_cast<uint16_t>(extraSize));
    std::copy_n(extra.begin(), extraSize, out.begin() + kWaveFormatFixedBytes);
    return out;
}

std::optional<WaveFormat> WaveFormat::FromBytes(const uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 14)
        return std::nullopt;
    WaveFormat f;
    f.formatTag = GetLe16(data);
    f.channels = GetLe16(data + 2);
    f.samplesPerSec = GetLe32(data + 4);
    f.avgBytesPerSec = GetLe32(data + 8);
    f.blockAlign = GetLe16(data + 12);
    f.bitsPerSample = size >= 16 ? GetLe16(data + 14) : 0;
    if (size >= kWaveFormatFixedBytes) {
        const std::size_t cbSize = GetLe16(data + 16);
        if (cbSize > size - kWaveFormatFixedBytes)
            return std::nullopt;
        f.extra.assign(data + kWaveFormatFixedBytes, data + kWaveFormatFixedBytes + cbSize);
    }
    return f;
}

WaveFormat WaveFormat::Pcm16(uint16_t channels, uint32_t rate) {
    WaveFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(2u * channels);
    f.avgBytesPerSec = rate * f.blockAlign;
    f.bitsPerSample = 16;
    return f;
}

}  // namespace orvia
