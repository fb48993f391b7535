#include "audio/wave_source.h"

#include "audio/acm_wave_source_p.h"
#include "audio/codec/wave_format.h"
#include "audio/pcm_file_source_p.h"
#include "audio/wave_layout_p.h"

namespace orvia {
namespace {

inline constexpr uint32_t kMaxSampleRate = 192000;

LSoundSource OpenPcm(FileHandle file, const WaveLayout& layout) {
    const uint16_t bits = layout.BitsPerSample();
    const auto rate = static_cast<int32_t>(layout.SampleRate());
    const uint32_t channels = layout.Channels();
    // No width at all is not a PCM file we can make sense of.
    if (bits == 0)
        return {};
    const bool toFileEnd = IsPcmWriterLayout(layout);
    if (bits <= 8)
        return MakeCounted<LSRCPCMFile<LSFU8>>(std::move(file), layout.dataStart, layout.dataBytes,
                                               toFileEnd, rate, channels);
    if (bits <= 16)
        return MakeCounted<LSRCPCMFile<LSF16>>(std::move(file), layout.dataStart, layout.dataBytes,
                                               toFileEnd, rate, channels);
    return MakeCounted<LSRCPCMFile<LSF32>>(std::move(file), layout.dataStart, layout.dataBytes,
                                           toFileEnd, rate, channels);
}

}  // namespace

LSoundSource OpenWaveSource(const std::string& path) {
    FileHandle file = FileHandle::OpenForReading(path);
    if (!file.IsOpen())
        return {};
    WaveLayout layout;
    if (!ReadWaveLayout(file, layout))
        return {};
    const uint32_t channels = layout.Channels();
    const uint32_t rate = layout.SampleRate();
    if (channels == 0 || channels > 255 || rate == 0 || rate > kMaxSampleRate)
        return {};
    if (layout.FormatTag() == 1)
        return OpenPcm(std::move(file), layout);
    const auto format = WaveFormat::FromBytes(layout.format.data(), layout.formatChunkSize);
    if (!format)
        return {};
    return MakeCounted<LSRCACMWave>(std::move(file), *format, layout.dataStart, layout.dataBytes);
}

}  // namespace orvia
