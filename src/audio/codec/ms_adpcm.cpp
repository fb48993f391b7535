#include "audio/codec/ms_adpcm_p.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "audio/codec/byte_order_p.h"

namespace orvia::codec {
namespace {

constexpr int kCoefficientCount = 7;
constexpr std::array<std::array<int, 2>, kCoefficientCount> kCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

constexpr std::array<int, 16> kAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};

constexpr int kMinDelta = 16;
// Bounds the delta so that a damaged block cannot overflow the arithmetic;
// real streams stay far below it.
constexpr int kMaxDelta = 1 << 20;

constexpr std::size_t kHeaderBytesPerChannel = 7;
constexpr std::size_t kExtraBytes = 4 + 4 * kCoefficientCount;

// Predictor state of one channel.
struct MsChannel {
    int coef1 = 256;
    int coef2 = 0;
    int delta = kMinDelta;
    int sample1 = 0;  // the latest sample
    int sample2 = 0;  // the one before it

    int Predict() const { return (sample1 * coef1 + sample2 * coef2) >> 8; }

    // Applies a 4-bit code and returns the new sample, as the decoder does.
    int Apply(int code, int prediction) {
        const int signedCode = code >= 8 ? code - 16 : code;
        const int sample = ClampSample(prediction + signedCode * delta);
        sample2 = sample1;
        sample1 = sample;
        const int64_t next = (static_cast<int64_t>(kAdaptation[code]) * delta) >> 8;
        delta =
            next < kMinDelta ? kMinDelta : (next > kMaxDelta ? kMaxDelta : static_cast<int>(next));
        return sample;
    }

    // The code nearest to sample from the current state, applied.
    int Encode(int sample) {
        const int prediction = Predict();
        const int error = sample - prediction;
        const int bias = error >= 0 ? delta / 2 : -(delta / 2);
        int code = (error + bias) / delta;
        code = code < -8 ? -8 : (code > 7 ? 7 : code);
        code &= 0x0F;
        Apply(code, prediction);
        return code;
    }
};

class MsAdpcmCodec final : public BlockCodec {
public:
    explicit MsAdpcmCodec(const BlockLayout& layout)
        : BlockCodec(layout),
          deltas_(layout.channels, kMinDelta),
          channelSamples_(layout.framesPerBlock),
          codes_(layout.channels * layout.framesPerBlock) {}

    void Reset() override { deltas_.assign(deltas_.size(), kMinDelta); }

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
        std::array<MsChannel, 2> state{};
        for (unsigned c = 0; c < channels; ++c) {
            MsChannel& ch = state[c];
            // An unknown predictor (a damaged block) uses the first pair.
            const unsigned predictor = src[c] < kCoefficientCount ? src[c] : 0;
            ch.coef1 = kCoefficients[predictor][0];
            ch.coef2 = kCoefficients[predictor][1];
            const int delta = GetLeSample(src + channels + 2 * c);
            ch.delta = delta < kMinDelta ? kMinDelta : delta;
            ch.sample1 = GetLeSample(src + 3 * channels + 2 * c);
            ch.sample2 = GetLeSample(src + 5 * channels + 2 * c);
            PutLeSample(pcm + 2 * c, static_cast<int16_t>(ch.sample2));
            PutLeSample(pcm + 2 * (channels + c), static_cast<int16_t>(ch.sample1));
        }
        const uint8_t* codes = src + kHeaderBytesPerChannel * channels;
        uint8_t* out = pcm + 4 * channels;
        const std::size_t count = (Layout().framesPerBlock - 2) * channels;
        for (std::size_t i = 0; i < count; ++i) {
            const int code = (i & 1) ? (codes[i / 2] & 0x0F) : (codes[i / 2] >> 4);
            MsChannel& ch = state[i % channels];
            PutLeSample(out, static_cast<int16_t>(ch.Apply(code, ch.Predict())));
            out += 2;
        }
    }

    // Encodes one channel's samples with a predictor, filling codes at the
    // given stride; returns the squared error and leaves the final state.
    int64_t EncodeChannel(MsChannel& ch, int predictor, uint8_t* codes, std::size_t stride) const {
        ch.coef1 = kCoefficients[predictor][0];
        ch.coef2 = kCoefficients[predictor][1];
        ch.sample2 = channelSamples_[0];
        ch.sample1 = channelSamples_[1];
        int64_t error = 0;
        for (std::size_t i = 2; i < channelSamples_.size(); ++i) {
            const int sample = channelSamples_[i];
            const int code = ch.Encode(sample);
            if (codes != nullptr)
                codes[(i - 2) * stride] = static_cast<uint8_t>(code);
            const int64_t d = sample - ch.sample1;
            error += d * d;
        }
        return error;
    }

    void EncodeBlock(const uint8_t* pcm, uint8_t* dst) {
        const unsigned channels = Layout().channels;
        const std::size_t frames = Layout().framesPerBlock;
        for (unsigned c = 0; c < channels; ++c) {
            for (std::size_t i = 0; i < frames; ++i)
                channelSamples_[i] = GetLeSample(pcm + 2 * (i * channels + c));
            // Try each predictor from the delta the previous block ended with
            // and keep the one that follows the signal best.
            int best = 0;
            int64_t bestError = std::numeric_limits<int64_t>::max();
            for (int p = 0; p < kCoefficientCount; ++p) {
                MsChannel trial;
                trial.delta = deltas_[c];
                const int64_t error = EncodeChannel(trial, p, nullptr, 0);
                if (error < bestError) {
                    bestError = error;
                    best = p;
                }
            }
            MsChannel ch;
            ch.delta = deltas_[c];
            dst[c] = static_cast<uint8_t>(best);
            PutLeSample(dst + channels + 2 * c, static_cast<int16_t>(ch.delta));
            PutLeSample(dst + 3 * channels + 2 * c, static_cast<int16_t>(channelSamples_[1]));
            PutLeSample(dst + 5 * channels + 2 * c, static_cast<int16_t>(channelSamples_[0]));
            EncodeChannel(ch, best, codes_.data() + c, channels);
            // The delta is stored in 16 bits in the next block's header.
            deltas_[c] = ch.delta > 0x7FFF ? 0x7FFF : ch.delta;
        }
        uint8_t* out = dst + kHeaderBytesPerChannel * channels;
        const std::size_t count = (frames - 2) * channels;
        for (std::size_t i = 0; i < count; i += 2) {
            const int low = i + 1 < count ? codes_[i + 1] : 0;
            out[i / 2] = static_cast<uint8_t>((codes_[i] << 4) | low);
        }
    }

    std::vector<int> deltas_;          // per channel, carried from block to block
    std::vector<int> channelSamples_;  // one channel of the block being encoded
    std::vector<uint8_t> codes_;       // codes of the block in frame order
};

}  // namespace

std::vector<uint8_t> MsAdpcmExtraBytes(uint16_t framesPerBlock) {
    std::vector<uint8_t> extra(kExtraBytes);
    PutLe16(&extra[0], framesPerBlock);
    PutLe16(&extra[2], kCoefficientCount);
    for (int i = 0; i < kCoefficientCount; ++i) {
        PutLeSample(&extra[4 + 4 * i], static_cast<int16_t>(kCoefficients[i][0]));
        PutLeSample(&extra[6 + 4 * i], static_cast<int16_t>(kCoefficients[i][1]));
    }
    return extra;
}

std::unique_ptr<BlockCodec> OpenMsAdpcmCodec(const WaveFormat& format) {
    const std::size_t channels = format.channels;
    if (channels > 2 || format.bitsPerSample != 4 || format.extra.size() != kExtraBytes)
        return nullptr;
    const std::size_t headerBytes = kHeaderBytesPerChannel * channels;
    if (format.blockAlign < headerBytes)
        return nullptr;
    const std::size_t frames = (format.blockAlign - headerBytes) * 2 / channels + 2;
    if (frames > kMaxBlockFrames || frames > 0xFFFF)
        return nullptr;
    if (format.extra != MsAdpcmExtraBytes(static_cast<uint16_t>(frames)))
        return nullptr;
    return std::make_unique<MsAdpcmCodec>(BlockLayout{format.blockAlign, frames, format.channels});
}

}  // namespace orvia::codec
