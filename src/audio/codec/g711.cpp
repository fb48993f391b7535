#include "audio/codec/g711_p.h"

#include <array>

#include "audio/codec/byte_order_p.h"

namespace orvia::codec {
namespace {

constexpr uint8_t kSignBit = 0x80;
constexpr uint8_t kQuantMask = 0x0F;
constexpr uint8_t kSegMask = 0x70;
constexpr int kSegShift = 4;

// Index of the first segment whose end is at or above value; 8 when none is.
constexpr int Segment(int value, const std::array<int, 8>& ends) {
    for (int i = 0; i < 8; ++i) {
        if (value <= ends[i])
            return i;
    }
    return 8;
}

constexpr std::array<int, 8> kALawSegEnd = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
constexpr std::array<int, 8> kMuLawSegEnd = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 8159;

constexpr int16_t ALawDecode(uint8_t code) {
    code ^= 0x55;
    int t = (code & kQuantMask) << 4;
    const int seg = (code & kSegMask) >> kSegShift;
    if (seg == 0) {
        t += 8;
    } else {
        t += 0x108;
        t <<= seg - 1;
    }
    return static_cast<int16_t>((code & kSignBit) ? t : -t);
}

constexpr int16_t MuLawDecode(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    int t = ((code & kQuantMask) << 3) + kMuLawBias;
    t <<= (code & kSegMask) >> kSegShift;
    return static_cast<int16_t>((code & kSignBit) ? (kMuLawBias - t) : (t - kMuLawBias));
}

template <int16_t (*Decode)(uint8_t)>
constexpr std::array<int16_t, 256> MakeTable() {
    std::array<int16_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = Decode(static_cast<uint8_t>(i));
    return table;
}

constexpr std::array<int16_t, 256> kALawTable = MakeTable<ALawDecode>();
constexpr std::array<int16_t, 256> kMuLawTable = MakeTable<MuLawDecode>();

template <bool kALaw>
class G711Codec final : public BlockCodec {
public:
    using BlockCodec::BlockCodec;

    void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) override {
        const auto& table = kALaw ? kALawTable : kMuLawTable;
        const std::size_t n = blocks * Layout().channels;
        for (std::size_t i = 0; i < n; ++i)
            PutLeSample(pcm + 2 * i, table[src[i]]);
    }

    void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) override {
        const std::size_t n = blocks * Layout().channels;
        for (std::size_t i = 0; i < n; ++i) {
            const int16_t s = GetLeSample(pcm + 2 * i);
            dst[i] = kALaw ? LinearToALaw(s) : LinearToMuLaw(s);
        }
    }
};

}  // namespace

uint8_t LinearToALaw(int16_t sample) {
    int value = sample >> 3;
    int mask = 0xD5;
    if (value < 0) {
        mask = 0x55;
        value = -value - 1;
    }
    const int seg = Segment(value, kALawSegEnd);
    if (seg >= 8)
        return static_cast<uint8_t>(0x7F ^ mask);
    int code = seg << kSegShift;
    code |= (seg < 2 ? value >> 1 : value >> seg) & kQuantMask;
    return static_cast<uint8_t>(code ^ mask);
}

int16_t ALawToLinear(uint8_t code) {
    return kALawTable[code];
}

uint8_t LinearToMuLaw(int16_t sample) {
    int value = sample >> 2;
    int mask = 0xFF;
    if (value < 0) {
        value = -value;
        mask = 0x7F;
    }
    if (value > kMuLawClip)
        value = kMuLawClip;
    value += kMuLawBias >> 2;
    const int seg = Segment(value, kMuLawSegEnd);
    if (seg >= 8)
        return static_cast<uint8_t>(0x7F ^ mask);
    const int code = (seg << kSegShift) | ((value >> (seg + 1)) & kQuantMask);
    return static_cast<uint8_t>(code ^ mask);
}

int16_t MuLawToLinear(uint8_t code) {
    return kMuLawTable[code];
}

std::unique_ptr<BlockCodec> OpenG711Codec(const WaveFormat& format) {
    if (format.bitsPerSample != 8 || format.blockAlign != format.channels || !format.extra.empty())
        return nullptr;
    const BlockLayout layout{format.blockAlign, 1, format.channels};
    if (format.formatTag == kWaveFormatALaw)
        return std::make_unique<G711Codec<true>>(layout);
    if (format.formatTag == kWaveFormatMuLaw)
        return std::make_unique<G711Codec<false>>(layout);
    return nullptr;
}

}  // namespace orvia::codec
