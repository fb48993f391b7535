#include "audio/file_conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/channel_conversion.h"
#include "audio/peak_limiter.h"
#include "audio/rate_conversion.h"
#include "audio/wave_sink.h"
#include "platform/files/file_modes.h"

namespace orvia {
namespace {

bool StopNow(const ConversionStop& stop) {
    return stop && stop();
}

// The new file that is to take the destination's place; removed with the
// object unless Keep was called.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& destination) {
        const int fd = CreateReplacement(destination, FileAccess::Private, &path_);
        if (fd >= 0)
            ::close(fd);
        else
            path_.clear();
    }
    ~ReplacementFile() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool Made() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// Copies the whole source in blocks of 8192 frames through one buffer. The
// last block is cut at the source's length, which is read after the block
// (a compressed source knows its exact length only once it has decoded its
// end); a length that is an exact multiple of the block keeps its last block.
bool CopyInBlocks(LSoundSourceBase& source, LSoundSinkBase& sink, const ConversionStop& stop,
                  const ConversionProgress& progress) {
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * source.channels);
    for (;;) {
        if (StopNow(stop))
            return false;
        const int32_t before = source.GetPosition();
        source.Read(block.data(), kMaxBlockFrames);
        const int32_t length = source.GetLength();
        if (source.GetPosition() >= length) {
            const int32_t rest = std::clamp(length - before, 0, kMaxBlockFrames);
            if (rest > 0)
                sink.Write(block.data(), rest);
            if (progress)
                progress(length, length);
            return true;
        }
        sink.Write(block.data(), kMaxBlockFrames);
        if (progress)
            progress(source.GetPosition(), length);
    }
}

// True when the finished WAVE file holds everything its header declares (a
// write that failed part-way, on a full disk say, leaves it shorter), after
// its data has reached the disk.
bool IsCompleteOnDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    unsigned char head[8] = {};
    bool ok = ::fstat(fd, &st) == 0 && ::pread(fd, head, sizeof head, 0) == sizeof head &&
              std::equal(head, head + 4, "RIFF");
    if (ok) {
        const uint64_t riffSize = uint64_t{head[4]} | uint64_t{head[5]} << 8 |
                                  uint64_t{head[6]} << 16 | uint64_t{head[7]} << 24;
        ok = static_cast<uint64_t>(st.st_size) == riffSize + 8;
    }
    ok = ok && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

LSoundSource ConvertFormat(const LSoundSource& source, uint16_t channelCount, int32_t sampleRate,
                           uint32_t maxSample) {
    LSoundSource channels;
    LSPConvChannels(channelCount).Apply(channels, source);
    LSoundSource rate = channels;
    if (!IsInvalid(channels) && channels->sampleRate != sampleRate)
        LSPConvertRate(sampleRate).Apply(rate, channels);
    LSoundSource limited;
    LSPPeakLimit(static_cast<int32_t>(maxSample)).Apply(limited, rate);
    return limited;
}

LSoundSource ConvertForSink(const LSoundSource& source, const LSoundSinkBase& sink) {
    return ConvertFormat(source, sink.channels, static_cast<int32_t>(sink.sampleRate),
                         sink.maxSample);
}

bool WriteConvertedFile(const LSoundSource& source, const WaveFormat& format,
                        const std::string& destination, const ConversionStop& stop,
                        const ConversionProgress& progress) {
    if (IsInvalid(source))
        return false;
    ReplacementFile replacement(destination);
    if (!replacement.Made())
        return false;
    {
        const LSoundSink sink = CreateWaveSink(replacement.Path(), format);
        if (IsInvalid(sink))
            return false;
        const LSoundSource chain = ConvertForSink(source, *sink);
        if (IsInvalid(chain) || !CopyInBlocks(*chain, *sink, stop, progress))
            return false;
        // A sink whose write failed (a full disk) ends its file consistently
        // with what reached it: complete-looking, but short.
        if (sink->IsInvalid())
            return false;
    }  // the last handle of the sink goes: it completes its file
    if (!IsCompleteOnDisk(replacement.Path()))
        return false;
    if (std::rename(replacement.Path().c_str(), destination.c_str()) != 0)
        return false;
    replacement.Keep();
    return true;
}

}  // namespace orvia
