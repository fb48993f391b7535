#include "audio/mp3/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace orvia {
namespace {

// Samples handed to LAME at a time.
constexpr int kChunkSamples = 8192;

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameHandle = std::unique_ptr<lame_global_flags, LameDeleter>;

LameHandle NewEncoder(int32_t rate, int kbps) {
    LameHandle lame(lame_init());
    if (!lame)
        return nullptr;
    lame_global_flags* gf = lame.get();
    const bool ok = lame_set_num_channels(gf, 1) == 0 && lame_set_in_samplerate(gf, rate) == 0 &&
                    lame_set_out_samplerate(gf, rate) == 0 && lame_set_mode(gf, MONO) == 0 &&
                    lame_set_VBR(gf, vbr_off) == 0 && lame_set_brate(gf, kbps) == 0 &&
                    lame_set_quality(gf, 2) == 0 && lame_set_bWriteVbrTag(gf, 0) == 0 &&
                    lame_init_params(gf) == 0;
    return ok ? std::move(lame) : nullptr;
}

// A 128-byte ID3v1 tag with a title and the genre "Speech" (101).
std::string Id3v1Tag() {
    std::string tag(128, '\0');
    std::memcpy(&tag[0], "TAG", 3);
    const char title[] = "Orvia message";
    std::memcpy(&tag[3], title, sizeof title - 1);
    tag[127] = static_cast<char>(101);
    return tag;
}

}  // namespace

std::optional<std::string> EncodeMp3(const Pcm16Audio& audio, int kbps) {
    if (audio.channels != 1 || audio.sampleRate != kMp3MessageRate)
        return std::nullopt;
    LameHandle lame = NewEncoder(audio.sampleRate, kbps);
    if (!lame)
        return std::nullopt;
    std::string out;
    // LAME's own bound for the output of n samples: 1.25 n + 7200 bytes.
    std::vector<unsigned char> buffer(kChunkSamples * 5 / 4 + 7200);
    const std::size_t total = audio.samples.size();
    for (std::size_t at = 0; at < total; at += kChunkSamples) {
        const std::size_t n = std::min<std::size_t>(kChunkSamples, total - at);
        // Mono: the same samples are given as both channels, as LAME asks.
        const short* samples = audio.samples.data() + at;
        const int bytes = lame_encode_buffer(lame.get(), samples, samples, static_cast<int>(n),
                                             buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0)
            return std::nullopt;
        out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(bytes));
    }
    const int bytes = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
    if (bytes < 0)
        return std::nullopt;
    out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(bytes));
    out += Id3v1Tag();
    return out;
}

std::optional<std::string> EncodeWaveFileAsMp3(const std::string& wavePath) {
    const std::optional<Pcm16Audio> audio =
        ReadPcm16File(wavePath, 1, kMp3MessageRate, kMp3MaxSeconds);
    if (!audio)
        return std::nullopt;
    return EncodeMp3(*audio);
}

}  // namespace orvia
