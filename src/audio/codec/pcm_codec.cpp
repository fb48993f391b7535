#include "audio/codec/pcm_codec_p.h"

#include <cstring>

#include "audio/codec/byte_order_p.h"

namespace orvia::codec {
namespace {

class Pcm8Codec final : public BlockCodec {
public:
    using BlockCodec::BlockCodec;

    void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) override {
        const std::size_t n = blocks * Layout().channels;
        for (std::size_t i = 0; i < n; ++i)
            PutLeSample(pcm + 2 * i, static_cast<int16_t>((src[i] - 128) * 256));
    }

    void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) override {
        const std::size_t n = blocks * Layout().channels;
        for (std::size_t i = 0; i < n; ++i) {
            // Round to the nearest 8-bit step; the top step saturates.
            const int32_t v = (GetLeSample(pcm + 2 * i) + 128) >> 8;
            dst[i] = static_cast<uint8_t>((v > 127 ? 127 : v) + 128);
        }
    }
};

class Pcm16Codec final : public BlockCodec {
public:
    using BlockCodec::BlockCodec;

    void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) override {
        std::memcpy(pcm, src, blocks * Layout().blockBytes);
    }
    void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) override {
        std::memcpy(dst, pcm, blocks * Layout().blockBytes);
    }
};

}  // namespace

std::unique_ptr<BlockCodec> OpenPcmCodec(const WaveFormat& format) {
    // The extra bytes of a PCM format block carry no meaning and are ignored.
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return nullptr;
    const unsigned bytes = format.bitsPerSample / 8u;
    if (format.blockAlign != format.channels * bytes)
        return nullptr;
    const BlockLayout layout{format.blockAlign, 1, format.channels};
    if (bytes == 1)
        return std::make_unique<Pcm8Codec>(layout);
    return std::make_unique<Pcm16Codec>(layout);
}

}  // namespace orvia::codec
