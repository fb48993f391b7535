#include "audio/codec/gsm610_p.h"

#include <array>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include <gsm.h>

#include "audio/codec/byte_order_p.h"

namespace orvia::codec {
namespace {

constexpr std::size_t kFrameSamples = 160;
// In WAV49 mode the first frame of a block takes 33 bytes when decoding and
// leaves 32 plus a half byte when encoding; the second frame the rest.
constexpr std::size_t kFirstDecodedBytes = 33;
constexpr std::size_t kFirstEncodedBytes = 32;

struct GsmDeleter {
    void operator()(gsm handle) const { gsm_destroy(handle); }
};
using GsmHandle = std::unique_ptr<std::remove_pointer_t<gsm>, GsmDeleter>;

GsmHandle CreateWav49() {
    GsmHandle handle(gsm_create());
    if (handle) {
        int on = 1;
        gsm_option(handle.get(), GSM_OPT_WAV49, &on);
    }
    return handle;
}

class Gsm610Codec final : public BlockCodec {
public:
    Gsm610Codec(const BlockLayout& layout, GsmHandle handle)
        : BlockCodec(layout), handle_(std::move(handle)) {}

    // libgsm keeps the filter history of the stream; a fresh state is the
    // only way back to the start.
    void Reset() override { handle_ = CreateWav49(); }

    void Decode(const uint8_t* src, std::size_t blocks, uint8_t* pcm) override {
        for (std::size_t b = 0; b < blocks; ++b) {
            if (handle_) {
                // libgsm takes a non-const pointer; give it a copy.
                std::memcpy(block_.data(), src, kGsmBlockBytes);
                gsm_decode(handle_.get(), block_.data(), samples_.data());
                gsm_decode(handle_.get(), block_.data() + kFirstDecodedBytes,
                           samples_.data() + kFrameSamples);
            } else {
                samples_.fill(0);
            }
            for (std::size_t i = 0; i < kGsmBlockFrames; ++i)
                PutLeSample(pcm + 2 * i, samples_[i]);
            src += kGsmBlockBytes;
            pcm += 2 * kGsmBlockFrames;
        }
    }

    void Encode(const uint8_t* pcm, std::size_t blocks, uint8_t* dst) override {
        for (std::size_t b = 0; b < blocks; ++b) {
            if (handle_) {
                for (std::size_t i = 0; i < kGsmBlockFrames; ++i)
                    samples_[i] = GetLeSample(pcm + 2 * i);
                gsm_encode(handle_.get(), samples_.data(), dst);
                gsm_encode(handle_.get(), samples_.data() + kFrameSamples,
                           dst + kFirstEncodedBytes);
            } else {
                std::memset(dst, 0, kGsmBlockBytes);
            }
            pcm += 2 * kGsmBlockFrames;
            dst += kGsmBlockBytes;
        }
    }

private:
    GsmHandle handle_;
    std::array<gsm_byte, kGsmBlockBytes> block_{};
    std::array<gsm_signal, kGsmBlockFrames> samples_{};
};

}  // namespace

std::unique_ptr<BlockCodec> OpenGsm610Codec(const WaveFormat& format) {
    // The bits per sample of a GSM format block carry no meaning (writers
    // put 0) and are ignored.
    if (format.channels != 1 || format.blockAlign != kGsmBlockBytes || format.extra.size() != 2 ||
        GetLe16(format.extra.data()) != kGsmBlockFrames)
        return nullptr;
    GsmHandle handle = CreateWav49();
    if (!handle)
        return nullptr;
    return std::make_unique<Gsm610Codec>(BlockLayout{kGsmBlockBytes, kGsmBlockFrames, 1},
                                         std::move(handle));
}

}  // namespace orvia::codec
