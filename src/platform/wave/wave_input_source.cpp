#include "platform/wave/wave_input_source.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace orvia {
namespace {

uint32_t Le32(std::string_view bytes, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t Le16(std::string_view bytes, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

WaveInputSource SamplesInput(std::vector<int16_t> samples) {
    auto shared = std::make_shared<const std::vector<int16_t>>(std::move(samples));
    size_t next = 0;  // in samples; copied with the source, so each copy starts over
    return [shared, next](int16_t* out, size_t frames, const PcmFormat& format) mutable {
        const size_t channels = static_cast<size_t>(format.channels);
        const size_t left = (shared->size() - next) / channels;
        const size_t take = std::min(left, frames);
        std::copy_n(shared->data() + next, take * channels, out);
        next += take * channels;
        return take;
    };
}

bool ParsePcm16Wave(std::string_view bytes, PcmFormat* format, std::vector<int16_t>* samples) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return false;
    bool haveFormat = false;
    PcmFormat parsed;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string_view id = bytes.substr(at, 4);
        const size_t size = Le32(bytes, at + 4);
        const size_t body = at + 8;
        const size_t available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > available)
                return false;
            const uint16_t tag = Le16(bytes, body);
            parsed.channels = Le16(bytes, body + 2);
            parsed.rate = static_cast<int>(std::min<uint32_t>(Le32(bytes, body + 4), 1u << 30));
            const uint16_t bits = Le16(bytes, body + 14);
            if ((tag != kFormatPcm && tag != kFormatExtensible) || bits != 16 || !parsed.IsValid())
                return false;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return false;
            const size_t blockAlign = static_cast<size_t>(parsed.BlockAlign());
            const size_t usable = std::min(size, available) / blockAlign * blockAlign;
            samples->resize(usable / 2);
            for (size_t i = 0; i < samples->size(); ++i)
                (*samples)[i] = static_cast<int16_t>(Le16(bytes, body + 2 * i));
            *format = parsed;
            return true;
        }
        if (size > available)
            return false;
        at = body + size + (size & 1);  // chunks are padded to an even length
    }
    return false;
}

}  // namespace orvia
