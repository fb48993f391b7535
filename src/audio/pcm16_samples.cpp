#include "audio/pcm16_samples.h"

#include <algorithm>

#include "audio/file_conversion.h"
#include "audio/wave_source.h"

namespace orvia {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::optional<Pcm16Audio> ReadPcm16File(const std::string& wavePath, uint16_t channels,
                                        int32_t sampleRate, int32_t maxSeconds) {
    const LSoundSource file = OpenWaveSource(wavePath);
    if (IsInvalid(file))
        return std::nullopt;
    const LSoundSource chain = ConvertFormat(file, channels, sampleRate, kFullScale16);
    if (IsInvalid(chain))
        return std::nullopt;
    Pcm16Audio audio;
    audio.sampleRate = sampleRate;
    audio.channels = channels;
    const int64_t limit = int64_t{maxSeconds} * sampleRate;
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * channels);
    // The length is read after each block: a compressed file knows its exact
    // length only once its end has been decoded.
    while (audio.Frames() < limit) {
        const int32_t before = chain->GetPosition();
        chain->Read(block.data(), kMaxBlockFrames);
        const int32_t length = chain->GetLength();
        int64_t frames = std::clamp<int64_t>(length - before, 0, kMaxBlockFrames);
        frames = std::min(frames, limit - audio.Frames());
        for (int64_t i = 0; i < frames * channels; ++i) {
            const int32_t v = block[static_cast<std::size_t>(i)] / 16;
            audio.samples.push_back(static_cast<int16_t>(std::clamp(v, -32768, 32767)));
        }
        if (chain->GetPosition() >= length)
            break;
    }
    return audio;
}

std::string Pcm16WaveImage(const Pcm16Audio& audio) {
    const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
    const uint32_t blockAlign = audio.channels * 2u;
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);  // PCM
    PutLe(out, audio.channels, 2);
    PutLe(out, static_cast<uint32_t>(audio.sampleRate), 4);
    PutLe(out, static_cast<uint32_t>(audio.sampleRate) * blockAlign, 4);
    PutLe(out, blockAlign, 2);
    PutLe(out, 16, 2);
    out += "data";
    PutLe(out, dataBytes, 4);
    for (int16_t sample : audio.samples)
        PutLe(out, static_cast<uint16_t>(sample), 2);
    return out;
}

}  // namespace orvia
