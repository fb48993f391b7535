#include "audio/codec/ima_adpcm_p.h"

#include <array>
#include <vector>

#include "audio/codec/byte_order_p.h"

namespace orvia::codec {
namespace {

constexpr std::array<int, 89> kStepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kMaxStepIndex = 88;

constexpr std::array<int, 16> kIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8,
                                              -1, -1, -1, -1, 2, 4, 6, 8};

constexpr std::size_t kHeaderBytesPerChannel = 4;
constexpr std::size_t kGroupBytes = 4;    // bytes per channel in one group
constexpr std::size_t kGroupSamples = 8;  // samples in those bytes

// Predictor state of one channel.
struct ImaChannel {
    int predictor = 0;
    int index = 0;

    // Adds the difference a 4-bit code stands for, as the decoder does.
    void Apply(int code) {
        const int step = kStepTable[index];
        int diff = step >> 3;
        if (code & 4)
            diff += step;
        if (code & 2)
            diff += step >> 1;
        if (code & 1)
            diff += step >> 2;
        predictor = ClampSample(code & 8 ? predictor - diff : predictor + diff);
        index += kIndexAdjust[code];
        index = index < 0 ? 0 : (index > kMaxStepIndex ? kMaxStepIndex : index);
    }

    // The code nearest to sample from the current state, applied.
    int Encode(int sample) {
        int diff = sample - predictor;
        int code = 0;
        if (diff < 0) {
            code = 8;
            diff = -diff;
        }
        int step = kStepTable[index];
        if (diff >= step) {
            code |= 4;
            diff -= step;
        }
        step >>= 1;
        if (diff >= step) {
            code |= 2;
            diff -= step;
        }
        step >>= 1;
        if (diff >= step)
            code |= 1;
        Apply(code);
        return code;
    }
};

class ImaAdpcmCodec final : public BlockCodec {
public:
    explicit ImaAdpcmCodec(const BlockLayout& layout)
        : BlockCodec(layout), state_(layout.channels) {}

    void Reset() override {
        for (auto& s : state_)
            s = ImaChannel{};
    }

    void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) override {
        const BlockLayout& l = Layout();
        for (std::size_t b = 0; b < blocks; ++b) {
            DecodeBlock(src, pcm);
            src += l.blockBytes;
            pcm += l.PcmBlockBytes();
        }
    }

    void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) override {
        const BlockLayout& l = Layout();
        for (std::size_t b = 0; b < blocks; ++b) {
            EncodeBlock(pcm, dst);
            pcm += l.PcmBlockBytes();
            dst += l.blockBytes;
        }
    }

private:
    void DecodeBlock(const uint8_t* src, uint8_t* pcm) const {
        const unsigned channels = Layout().channels;
        const std::size_t frameBytes = 2 * channels;
        const std::size_t groups = (Layout().framesPerBlock - 1) / kGroupSamples;
        for (unsigned c = 0; c < channels; ++c) {
            const uint8_t* header = src + c * kHeaderBytesPerChannel;
            ImaChannel ch;
            ch.predictor = GetLeSample(header);
            // An index out of range (a damaged block) starts from the smallest step.
            ch.index = header[2] <= kMaxStepIndex ? header[2] : 0;
            uint8_t* out = pcm + 2 * c;
            PutLeSample(out, static_cast<int16_t>(ch.predictor));
            out += frameBytes;
            const uint8_t* data = src + channels * kHeaderBytesPerChannel + c * kGroupBytes;
            for (std::size_t g = 0; g < groups; ++g) {
                const uint8_t* group = data + g * channels * kGroupBytes;
                for (std::size_t i = 0; i < kGroupBytes; ++i) {
                    ch.Apply(group[i] & 0x0F);
                    PutLeSample(out, static_cast<int16_t>(ch.predictor));
                    out += frameBytes;
                    ch.Apply(group[i] >> 4);
                    PutLeSample(out, static_cast<int16_t>(ch.predictor));
                    out += frameBytes;
                }
            }
        }
    }

    void EncodeBlock(const uint8_t* pcm, uint8_t* dst) {
        const unsigned channels = Layout().channels;
        const std::size_t frameBytes = 2 * channels;
        const std::size_t groups = (Layout().framesPerBlock - 1) / kGroupSamples;
        for (unsigned c = 0; c < channels; ++c) {
            ImaChannel& ch = state_[c];
            const uint8_t* in = pcm + 2 * c;
            // The block starts exactly on its first sample; the step index
            // carries on from the previous block.
            ch.predictor = GetLeSample(in);
            in += frameBytes;
            uint8_t* header = dst + c * kHeaderBytesPerChannel;
            PutLeSample(header, static_cast<int16_t>(ch.predictor));
            header[2] = static_cast<uint8_t>(ch.index);
            header[3] = 0;
            uint8_t* data = dst + channels * kHeaderBytesPerChannel + c * kGroupBytes;
            for (std::size_t g = 0; g < groups; ++g) {
                uint8_t* group = data + g * channels * kGroupBytes;
                for (std::size_t i = 0; i < kGroupBytes; ++i) {
                    const int low = ch.Encode(GetLeSample(in));
                    in += frameBytes;
                    const int high = ch.Encode(GetLeSample(in));
                    in += frameBytes;
                    group[i] = static_cast<uint8_t>(low | (high << 4));
                }
            }
        }
    }

    std::vector<ImaChannel> state_;
};

}  // namespace

std::unique_ptr<BlockCodec> OpenImaAdpcmCodec(const WaveFormat& format) {
    const std::size_t channels = format.channels;
    if (channels > 2 || format.bitsPerSample != 4 || format.extra.size() != 2)
        return nullptr;
    const std::size_t headerBytes = kHeaderBytesPerChannel * channels;
    const std::size_t groupBytes = kGroupBytes * channels;
    if (format.blockAlign <= headerBytes || (format.blockAlign - headerBytes) % groupBytes != 0)
        return nullptr;
    const std::size_t frames = (format.blockAlign - headerBytes) / groupBytes * kGroupSamples + 1;
    if (GetLe16(format.extra.data()) != frames || frames > kMaxBlockFrames)
        return nullptr;
    return std::make_unique<ImaAdpcmCodec>(BlockLayout{format.blockAlign, frames, format.channels});
}

}  // namespace orvia::codec
