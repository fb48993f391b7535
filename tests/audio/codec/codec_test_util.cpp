#include "codec_test_util.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>

#include "audio/codec/codec_stream.h"

namespace orvia::test {
namespace {

constexpr std::size_t kPipelineFrames = 8192;

uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state;
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<int16_t> TestSignal(std::size_t frames, unsigned channels, uint32_t rate) {
    std::vector<int16_t> out(frames * channels);
    uint32_t seed = 12345;
    const double pi = std::numbers::pi;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double envelope = 0.6 + 0.4 * std::sin(2 * pi * 1.5 * t);
        for (unsigned c = 0; c < channels; ++c) {
            const double f1 = c == 0 ? 440.0 : 700.0;
            const double f2 = c == 0 ? 1230.0 : 1900.0;
            const double noise = static_cast<int>(NextRandom(seed) >> 24) - 128;
            const double v =
                envelope * (9000 * std::sin(2 * pi * f1 * t) + 4000 * std::sin(2 * pi * f2 * t)) +
                2 * noise;
            out[i * channels + c] = static_cast<int16_t>(std::lround(v));
        }
    }
    return out;
}

std::vector<uint8_t> NoiseBytes(std::size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(NextRandom(seed) >> 24);
    return out;
}

double SnrDb(const std::vector<int16_t>& ref, const std::vector<int16_t>& test, std::size_t n) {
    n = std::min({n, ref.size(), test.size()});
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = static_cast<double>(ref[i]) - test[i];
        signal += static_cast<double>(ref[i]) * ref[i];
        noise += d * d;
    }
    if (noise == 0)
        return 200;
    return 10 * std::log10(signal / noise);
}

std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        out[2 * i] = static_cast<uint8_t>(v);
        out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    return out;
}

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

std::vector<uint8_t> EncodeAll(const WaveFormat& format, const std::vector<int16_t>& pcm,
                               std::size_t piece) {
    auto stream =
        WaveCodecStream::Open(WaveFormat::Pcm16(format.channels, format.samplesPerSec), format);
    if (!stream)
        return {};
    const std::size_t frameBytes = 2u * format.channels;
    std::vector<uint8_t> src(kPipelineFrames * frameBytes);
    std::vector<uint8_t> dst(stream->DestinationSizeFor(src.size()));
    const std::vector<uint8_t> input = ToBytes(pcm);
    std::vector<uint8_t> out;
    std::size_t fill = 0;
    std::size_t at = 0;
    unsigned flags = kCodecStart;
    while (at < input.size()) {
        const std::size_t n = std::min({piece * frameBytes, input.size() - at, src.size() - fill});
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(at), n, src.begin() + fill);
        at += n;
        fill += n;
        const auto r =
            stream->Convert(src.data(), fill, dst.data(), dst.size(), flags | kCodecBlockAlign);
        flags = 0;
        out.insert(out.end(), dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(r.dstUsed));
        std::copy(src.begin() + static_cast<std::ptrdiff_t>(r.srcUsed),
                  src.begin() + static_cast<std::ptrdiff_t>(fill), src.begin());
        fill -= r.srcUsed;
    }
    const auto r = stream->Convert(src.data(), fill, dst.data(), dst.size(), flags | kCodecEnd);
    if (r.srcUsed != fill)
        return {};
    out.insert(out.end(), dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(r.dstUsed));
    return out;
}

std::optional<std::vector<int16_t>> DecodeAll(const WaveFormat& format,
                                              const std::vector<uint8_t>& data) {
    auto stream =
        WaveCodecStream::Open(format, WaveFormat::Pcm16(format.channels, format.samplesPerSec));
    if (!stream)
        return std::nullopt;
    std::vector<uint8_t> dst(kPipelineFrames * 2u * format.channels);
    std::vector<uint8_t> src(stream->SourceSizeFor(dst.size()));
    if (src.empty())
        return std::nullopt;
    std::vector<uint8_t> out;
    std::size_t fill = 0;
    std::size_t at = 0;
    unsigned flags = kCodecStart;
    for (;;) {
        const std::size_t n = std::min(src.size() - fill, data.size() - at);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, src.begin() + fill);
        at += n;
        fill += n;
        const bool full = fill == src.size();
        const auto r = stream->Convert(src.data(), fill, dst.data(), dst.size(),
                                       flags | (full ? kCodecBlockAlign : kCodecEnd));
        flags = 0;
        out.insert(out.end(), dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(r.dstUsed));
        std::copy(src.begin() + static_cast<std::ptrdiff_t>(r.srcUsed),
                  src.begin() + static_cast<std::ptrdiff_t>(fill), src.begin());
        fill -= r.srcUsed;
        if (!full)
            break;
    }
    if (fill != 0)
        return std::nullopt;
    return ToSamples(out);
}

std::vector<uint8_t> BuildWave(const WaveFormat& format, const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> fmt = format.ToBytes();
    std::vector<uint8_t> out;
    AppendTag(out, "RIFF");
    AppendLe32(out, static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + data.size()));
    AppendTag(out, "WAVE");
    AppendTag(out, "fmt ");
    AppendLe32(out, static_cast<uint32_t>(fmt.size()));
    out.insert(out.end(), fmt.begin(), fmt.end());
    AppendTag(out, "data");
    AppendLe32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::optional<ParsedWave> ParseWave(const std::vector<uint8_t>& file) {
    if (file.size() < 12 || !std::equal(file.begin(), file.begin() + 4, "RIFF") ||
        !std::equal(file.begin() + 8, file.begin() + 12, "WAVE"))
        return std::nullopt;
    std::optional<WaveFormat> format;
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const uint8_t* header = file.data() + at;
        const std::size_t size = Le32(header + 4);
        at += 8;
        const std::size_t available = std::min(size, file.size() - at);
        if (std::equal(header, header + 4, "fmt ")) {
            format = WaveFormat::FromBytes(file.data() + at, available);
        } else if (std::equal(header, header + 4, "data")) {
            if (!format)
                return std::nullopt;
            ParsedWave wave{
                *format,
                std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(at),
                                     file.begin() + static_cast<std::ptrdiff_t>(at + available))};
            return wave;
        }
        at += size + (size & 1);
    }
    return std::nullopt;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Quote(const std::string& path) {
    std::string out = "'";
    for (char c : path) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

bool RunSox(const std::string& args) {
    // No dithering, so that decoding and re-quantising are exact.
    const std::string command = "sox -D -V1 " + args + " 2>&1";
    return std::system(command.c_str()) == 0;
}

std::optional<std::vector<int16_t>> SoxDecode(const std::string& wavPath,
                                              const std::string& scratchDir) {
    const std::string raw = scratchDir + "sox-decoded.raw";
    if (!RunSox(Quote(wavPath) + " -t raw -e signed-integer -b 16 -L " + Quote(raw)))
        return std::nullopt;
    return ToSamples(ReadBytes(raw));
}

}  // namespace orvia::test
